#include "admin/depttreestore.h"

#include "app/deptfilter.h"
#include "app/likepattern.h"
#include "app/sqldialect.h"
#include "app/treecodes.h"
#include "app/writetransaction.h"

#include <QSqlError>
#include <QSqlQuery>

DeptTreeStore::DeptTreeStore(const QSqlDatabase &db, const QString &flag)
    : m_db(db)
    , m_flag(flag)
{
}

QString DeptTreeStore::childPath(const QString &parentPath, const QString &name)
{
    QString path = (parentPath.isEmpty() || parentPath == TreeCodes::RootPath ? TreeCodes::RootPath : parentPath + u'\\') + name;
    const QString three = QStringLiteral("\\\\\\");
    while (path.contains(three))
        path.replace(three, TreeCodes::RootPath);
    return path;
}

QString DeptTreeStore::nameProblem(const QString &name)
{
    if (name.contains(u'\\'))
        return QStringLiteral("部门名称不能包含反斜杠“\\”，请重新输入！");
    return QString();
}

QString DeptTreeStore::repathed(const QString &path, const QString &oldPath, const QString &newPath)
{
    if (oldPath.isEmpty() || !DeptInSubtree(path, oldPath))
        return path;
    return newPath + path.mid(oldPath.size());
}

bool DeptTreeStore::pathTaken(const QString &path, const QString &exceptCode) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select count(*) from t_treecode where F_likecode = :path and F_flag = :flag")
              + (exceptCode.isEmpty() ? QString() : QStringLiteral(" and F_code <> :code")));
    q.bindValue(QStringLiteral(":path"), path);
    q.bindValue(QStringLiteral(":flag"), m_flag);
    if (!exceptCode.isEmpty())
        q.bindValue(QStringLiteral(":code"), exceptCode);
    const bool taken = q.exec() && q.next() && q.value(0).toInt() > 0;
    if (q.lastError().isValid())
        m_error = q.lastError().text();
    return taken;
}

bool DeptTreeStore::levelFull(const QString &code, int mode) const
{
    if (mode != TreeCodes::Sibling && mode != TreeCodes::Child)
        return false;
    const QString prefix = TreeCodes::searchPrefix(code, mode);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select Max(F_code) from t_treecode where ")
              + LikePattern::condition(QStringLiteral("F_code"), QStringLiteral(":prefix"))
              + QStringLiteral(" and F_flag = :flag and ") + SqlDialect::of(m_db).length(QStringLiteral("F_code"))
              + QStringLiteral(" <= :len"));
    q.bindValue(QStringLiteral(":prefix"), LikePattern::startsWith(prefix));
    q.bindValue(QStringLiteral(":flag"), m_flag);
    q.bindValue(QStringLiteral(":len"), int(prefix.size() + TreeCodes::GroupLength));
    if (!q.exec() || !q.next()) {
        m_error = q.lastError().text();
        return false;
    }
    return TreeCodes::nextCode(code, q.value(0).toString(), mode).isEmpty();
}

bool DeptTreeStore::insert(const QString &code, const QString &name, const QString &path)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values(:code,:name,:path,:flag)"));
    q.bindValue(QStringLiteral(":code"), code);
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":path"), path);
    q.bindValue(QStringLiteral(":flag"), m_flag);
    if (q.exec())
        return true;
    m_error = q.lastError().text();
    return false;
}

DeptTreeStore::RenameResult DeptTreeStore::rename(const QString &code, const QString &oldPath, const QString &newPath,
                                                  const QString &name)
{
    if (oldPath.trimmed().compare(newPath.trimmed(), Qt::CaseInsensitive) == 0)
        return RenameResult::Unchanged;

    // Both engines count characters in substr; the first `cut - 1` of them
    // are the old path in every matched row.
    const int cut = int(oldPath.toUcs4().size()) + 1;
    bool repathing = true;
    const bool ok = WriteTransaction::run(
        m_db,
        [&](WriteTransaction &tx) {
            repathing = true;
            QVariantMap emp{{QStringLiteral(":new"), newPath}, {QStringLiteral(":cut"), cut}};
            const QString empIn = DeptSubtreeCondition(QStringLiteral("F_dept"), oldPath, emp, QStringLiteral(":old"));
            QVariantMap tree{{QStringLiteral(":new"), newPath}, {QStringLiteral(":cut"), cut}, {QStringLiteral(":flag"), m_flag}};
            const QString treeIn = DeptSubtreeCondition(QStringLiteral("F_likecode"), oldPath, tree, QStringLiteral(":old"));
            if (empIn.isEmpty() || treeIn.isEmpty()) {
                tx.fail(QSqlError(QString(), QStringLiteral("the root is not renamed"), QSqlError::UnknownError));
                return false;
            }
            if (!tx.exec(QStringLiteral("update t_employee set F_dept = :new || substr(F_dept, :cut) where (1=1)") + empIn, emp)
                || !tx.exec(QStringLiteral("update t_treecode set F_likecode = :new || substr(F_likecode, :cut) "
                                           "where F_flag = :flag")
                                + treeIn,
                            tree))
                return false;

            repathing = false;
            QSqlQuery node(tx.database());
            if (!node.prepare(QStringLiteral("update t_treecode set F_name = :name, F_likecode = :new "
                                             "where (F_code = :code and F_flag = :flag)"))) {
                tx.fail(node.lastError());
                return false;
            }
            node.bindValue(QStringLiteral(":name"), name);
            node.bindValue(QStringLiteral(":new"), newPath);
            node.bindValue(QStringLiteral(":code"), code);
            node.bindValue(QStringLiteral(":flag"), m_flag);
            if (!tx.exec(node))
                return false;
            // The node is gone (another workstation deleted it): its
            // employees must not move to a department that does not exist.
            if (node.numRowsAffected() != 1) {
                tx.fail(QSqlError(QString(), QStringLiteral("department %1 not found").arg(code), QSqlError::UnknownError));
                return false;
            }
            return true;
        },
        &m_error);
    if (ok)
        return RenameResult::Renamed;
    return repathing ? RenameResult::RepathFailed : RenameResult::UpdateFailed;
}

bool DeptTreeStore::removeSubtree(const QString &code)
{
    // An empty pattern would take the whole tree; the root has no row.
    if (code.isEmpty() || code == TreeCodes::RootCode) {
        m_error = QStringLiteral("the root is not deleted");
        return false;
    }
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("delete from t_treecode where ") + LikePattern::condition(QStringLiteral("F_code"), QStringLiteral(":code"))
              + QStringLiteral(" and F_flag = :flag"));
    q.bindValue(QStringLiteral(":code"), LikePattern::startsWith(code));
    q.bindValue(QStringLiteral(":flag"), m_flag);
    if (q.exec())
        return true;
    m_error = q.lastError().text();
    return false;
}
