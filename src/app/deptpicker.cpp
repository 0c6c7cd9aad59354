#include "app/deptpicker.h"

namespace {
DeptPickHandler &handler()
{
    static DeptPickHandler h;
    return h;
}
} // namespace

QString PickDeptPath(QWidget *parent, const QString &currentPath)
{
    const DeptPickHandler &h = handler();
    return h ? h(parent, currentPath) : QString();
}

bool HasDeptPicker()
{
    return bool(handler());
}

DeptPickHandler SetDeptPicker(DeptPickHandler h)
{
    DeptPickHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}
