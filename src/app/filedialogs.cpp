#include "app/filedialogs.h"

#include <QFileDialog>

namespace {
OpenFileHandler &handler()
{
    static OpenFileHandler h;
    return h;
}
} // namespace

QString PickOpenFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    if (const OpenFileHandler &h = handler())
        return h(parent, caption, dir, filter);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

OpenFileHandler SetOpenFileHandler(OpenFileHandler h)
{
    OpenFileHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}
