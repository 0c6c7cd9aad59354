#pragma once

#include <QString>

class QApplication;

// The start sequence: splash, connection (with the folder-picking retry),
// main window, message loop. Returns the program's exit code.
int RunProgram(QApplication &app);

// `qarvel-hr --create-database [FOLDER]`: creates a new database and returns
// the exit code (0 on success). Needs only a core application.
int CreateDatabaseCommand(const QString &folder);
