#pragma once

#include <QString>
#include <functional>

class QWidget;

// The file-open dialog of the program, through one seam that tests answer.
// Returns the chosen file, or an empty text when the user cancels.
using OpenFileHandler = std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                                              const QString &filter)>;

QString PickOpenFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);

// Installs a handler (tests) and returns the previous one; an empty handler
// restores the desktop's dialog.
OpenFileHandler SetOpenFileHandler(OpenFileHandler handler);
