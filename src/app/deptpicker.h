#pragma once

#include <QString>
#include <functional>

class QWidget;

// Choosing a department path for a text box with a chooser button. The
// department window installs the chooser; tests install their own answer.
// Returns the chosen path, or an empty text when the user cancels.
using DeptPickHandler = std::function<QString(QWidget *parent, const QString &currentPath)>;

QString PickDeptPath(QWidget *parent, const QString &currentPath);
bool HasDeptPicker();
DeptPickHandler SetDeptPicker(DeptPickHandler handler);
