#pragma once

#include <QString>

// Where the program's files are: the program folder holds config.ini and the
// default data folder data/. When the program folder cannot be written, both
// move to the user's own folders.
namespace AppPaths {

QString programDir();                      // with a trailing '/'
void setProgramDir(const QString &dir);    // tests and tools run against another folder

QString configFile();
QString defaultDataFolder();               // with a trailing '/'

// A folder typed or stored relative to the program folder made absolute.
QString absoluteFolder(const QString &folder);

// The folder part of a file path, with its trailing '/'.
QString folderOf(const QString &filePath);

} // namespace AppPaths
