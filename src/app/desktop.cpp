#include "app/desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Desktop {

namespace {
OpenHandler &openHandler()
{
    static OpenHandler h;
    return h;
}

StartHandler &startHandler()
{
    static StartHandler h;
    return h;
}
} // namespace

bool open(const QString &pathOrUrl)
{
    if (const OpenHandler &h = openHandler())
        return h(pathOrUrl);
    const QUrl url = QFileInfo(pathOrUrl).isAbsolute() ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

bool startFirst(const QStringList &candidates, const QStringList &arguments)
{
    for (const QString &program : candidates) {
        const QString found = QStandardPaths::findExecutable(program);
        if (found.isEmpty())
            continue;
        if (const StartHandler &h = startHandler())
            return h(found, arguments);
        return QProcess::startDetached(found, arguments);
    }
    return false;
}

QStringList calculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("mate-calc"),
            QStringLiteral("galculator"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

QStringList textEditors()
{
    return {QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kwrite"), QStringLiteral("kate"),
            QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"), QStringLiteral("featherpad"),
            QStringLiteral("leafpad")};
}

OpenHandler setOpenHandler(OpenHandler handler)
{
    OpenHandler previous = std::move(openHandler());
    openHandler() = std::move(handler);
    return previous;
}

StartHandler setStartHandler(StartHandler handler)
{
    StartHandler previous = std::move(startHandler());
    startHandler() = std::move(handler);
    return previous;
}

} // namespace Desktop
