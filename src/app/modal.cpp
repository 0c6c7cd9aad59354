#include "app/modal.h"

#include <QDialog>

namespace {
ModalHandler &handler()
{
    static ModalHandler h;
    return h;
}
} // namespace

int RunModal(QDialog *dialog)
{
    if (const ModalHandler &h = handler())
        return h(dialog);
    return dialog->exec();
}

ModalHandler SetModalHandler(ModalHandler h)
{
    ModalHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}
