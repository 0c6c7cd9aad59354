#include "app/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {

namespace {
QString &overrideDir()
{
    static QString dir;
    return dir;
}

QString withSlash(QString dir)
{
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

bool writable(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

QString userFolder(QStandardPaths::StandardLocation where)
{
    return withSlash(QStandardPaths::writableLocation(where));
}
} // namespace

QString programDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return withSlash(QCoreApplication::applicationDirPath());
}

void setProgramDir(const QString &dir)
{
    overrideDir() = dir.isEmpty() ? QString() : withSlash(QDir::cleanPath(dir));
}

QString configFile()
{
    const QString dir = programDir();
    if (writable(dir) || QFileInfo::exists(dir + QStringLiteral("config.ini")))
        return dir + QStringLiteral("config.ini");
    return userFolder(QStandardPaths::AppConfigLocation) + QStringLiteral("config.ini");
}

QString defaultDataFolder()
{
    const QString dir = programDir();
    const QString data = dir + QStringLiteral("data/");
    if (writable(dir) || writable(data))
        return data;
    return userFolder(QStandardPaths::AppDataLocation) + QStringLiteral("data/");
}

QString absoluteFolder(const QString &folder)
{
    if (folder.isEmpty() || QDir::isAbsolutePath(folder))
        return folder;
    const bool slash = folder.endsWith(u'/') || folder.endsWith(u'\\');
    const QString abs = QDir::cleanPath(programDir() + folder);
    return slash ? withSlash(abs) : abs;
}

QString folderOf(const QString &filePath)
{
    return withSlash(QFileInfo(filePath).absolutePath());
}

} // namespace AppPaths
