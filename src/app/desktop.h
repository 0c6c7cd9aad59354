#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The desktop's own programs: opening a file or address with its associated
// program, and starting a program found on the PATH. Both go through seams
// that tests replace, so no program is started by a test.
namespace Desktop {

using OpenHandler = std::function<bool(const QString &pathOrUrl)>;
using StartHandler = std::function<bool(const QString &program, const QStringList &arguments)>;

// Opens a local file (absolute path) or an http/mailto address. False when no program took it.
bool open(const QString &pathOrUrl);

// Starts the first of the candidate programs that is installed; false when none is.
bool startFirst(const QStringList &candidates, const QStringList &arguments = {});

// The programs tried for the calculator and the plain text editor.
QStringList calculators();
QStringList textEditors();

OpenHandler setOpenHandler(OpenHandler handler);
StartHandler setStartHandler(StartHandler handler);

} // namespace Desktop
