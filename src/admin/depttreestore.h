#pragma once

#include <QSqlDatabase>
#include <QString>

// The writes of the department tree (t_treecode rows of one flag, "dept")
// and the rules for the names and paths of its nodes. A department's path is
// two backslashes, then the names from level 1 down joined by backslashes;
// employees carry that path in F_dept.
class DeptTreeStore
{
public:
    explicit DeptTreeStore(const QSqlDatabase &db, const QString &flag = QStringLiteral("dept"));

    // The path of a department named `name` below the department with
    // `parentPath` (the root's path is two backslashes). Three backslashes in
    // a row become two.
    static QString childPath(const QString &parentPath, const QString &name);
    // What is wrong with a department name, as the message the operator sees;
    // empty when the name will do. A backslash would split every path below it.
    static QString nameProblem(const QString &name);
    // `path` with `oldPath` at its front replaced by `newPath`, when it lies in
    // oldPath's subtree (the path itself, or below it); otherwise unchanged.
    static QString repathed(const QString &path, const QString &oldPath, const QString &newPath);

    // True when another department of the tree (not the one with exceptCode)
    // already has this path, in any letter case. A second department of the
    // same path would share the first one's employees.
    bool pathTaken(const QString &path, const QString &exceptCode = QString()) const;
    // True when no new code is free among the children of the node (mode 2)
    // or its siblings (mode 1): the level holds 999 codes. False also when the
    // lookup fails.
    bool levelFull(const QString &code, int mode) const;

    bool insert(const QString &code, const QString &name, const QString &path);

    enum class RenameResult {
        Renamed,
        Unchanged,      // the same path in another letter case or with blanks: nothing written
        RepathFailed,   // moving employees or sub-departments failed: nothing written
        UpdateFailed,   // the node's own row failed: nothing written either
    };
    // Gives the node its new name and path and moves its employees and
    // sub-departments from the old path to the new one, all in one
    // transaction. Only the subtree moves: a sibling whose name merely begins
    // with the same characters keeps its path.
    RenameResult rename(const QString &code, const QString &oldPath, const QString &newPath, const QString &name);

    // Deletes the node with the code and every node below it. Employees keep
    // the paths they carry.
    bool removeSubtree(const QString &code);

    QString lastError() const { return m_error; }

private:
    QSqlDatabase m_db;
    QString m_flag;
    mutable QString m_error;
};
