#pragma once

#include <QString>

// Why a template cannot be made into a report, and where: the file (the
// template or one of its partials) and the line and column, counted from 1.
struct ReportError
{
    QString message;
    QString file;
    int line = 0;     // 0: no place known
    int column = 0;

    bool isNull() const { return message.isEmpty(); }

    // "frHtInfoMan.html 第 3 行第 12 列：区段 {{#frxDM}} 没有结束"
    QString text() const
    {
        if (line <= 0)
            return file.isEmpty() ? message : file + QStringLiteral("：") + message;
        return QStringLiteral("%1 第 %2 行第 %3 列：%4").arg(file).arg(line).arg(column).arg(message);
    }
};
