#include "db/databasecreator.h"

#include "app/passwordhash.h"
#include "app/sqldialect.h"
#include "app/writetransaction.h"
#include "db/limitcatalogue.h"
#include "db/schema.h"
#include "db/seedlists.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace DatabaseCreator {

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

bool insertSeed(WriteTransaction &tx, const QString &backupFolder)
{
    const SqlDialect &dialect = SqlDialect::of(tx.database());

    for (const LimitDef &l : LimitCatalogue()) {
        if (!tx.exec(QStringLiteral("insert into Limits(F_code,F_name,F_flag) values(:code,:name,:flag)"),
                     {{QStringLiteral(":code"), u8(l.code)}, {QStringLiteral(":name"), u8(l.caption)},
                      {QStringLiteral(":flag"), true}}))
            return false;
    }

    // The built-in operator, with the empty password.
    const QString adminHash = PasswordHash::hash(QString());
    if (adminHash.isEmpty()) {
        tx.fail(QSqlError(QString(), QStringLiteral("password hashing failed"), QSqlError::UnknownError));
        return false;
    }
    if (!tx.exec(QStringLiteral("insert into OperList(F_Name,F_PassWord,F_Mem,F_Flag,F_xtFlag) "
                                "values(:name,:pass,:mem,:flag,:xt)"),
                 {{QStringLiteral(":name"), QStringLiteral("admin")}, {QStringLiteral(":pass"), adminHash},
                  {QStringLiteral(":mem"), QStringLiteral("系统默认用户")}, {QStringLiteral(":flag"), false},
                  {QStringLiteral(":xt"), false}}))
        return false;

    if (!tx.exec(QStringLiteral("insert into SysInfo(F_Code,F_Name,F_BakPath,F_Manager,F_Phone,F_HandPhone,"
                                "F_Email,F_Homepage,F_Enroler,F_Mem) "
                                "values('','',:bak,'','','','','','','')"),
                 {{QStringLiteral(":bak"), backupFolder}}))
        return false;

    for (const ImportSeed &i : EmployeeImportColumns()) {
        if (!tx.exec(QStringLiteral("insert into cfg_import(F_tablename,F_iFlag,F_FieldName,S_Field,F_Field) "
                                    "values('t_employee',1,:caption,:field,'')"),
                     {{QStringLiteral(":caption"), u8(i.caption)}, {QStringLiteral(":field"), u8(i.field)}}))
            return false;
    }

    const bool pg = dialect.engine() == DbEngine::PostgreSql;
    for (const StatSeed &s : StarterStatistics()) {
        if (!tx.exec(QStringLiteral("insert into cfg_stat(F_name,F_SQLtext) values(:name,:sql)"),
                     {{QStringLiteral(":name"), u8(s.name)}, {QStringLiteral(":sql"), u8(pg ? s.postgres : s.sqlite)}}))
            return false;
    }

    for (const CodeSeed &c : StarterCodes()) {
        if (!tx.exec(QStringLiteral("insert into t_code(F_type,F_name) values(:type,:name)"),
                     {{QStringLiteral(":type"), u8(c.type)}, {QStringLiteral(":name"), u8(c.name)}}))
            return false;
    }

    return tx.exec(QStringLiteral("insert into cfg_schema(F_version,F_product) values(:v,:p)"),
                   {{QStringLiteral(":v"), Schema::CurrentVersion}, {QStringLiteral(":p"), Schema::ProductMark}});
}

} // namespace

bool createSchema(const QSqlDatabase &db, const QString &backupFolder, QString *error)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    {
        // Outside the transaction: journal mode cannot change inside one.
        QSqlQuery q(db);
        for (const QString &sql : dialect.prepareNewDatabase()) {
            if (!q.exec(sql)) {
                if (error)
                    *error = q.lastError().text();
                return false;
            }
        }
    }
    return WriteTransaction::run(
        db,
        [&](WriteTransaction &tx) {
            for (const TableDef &t : Schema::tables()) {
                if (!tx.exec(dialect.createTable(t)))
                    return false;
                for (const QString &ix : dialect.createIndexes(t)) {
                    if (!tx.exec(ix))
                        return false;
                }
            }
            return insertSeed(tx, backupFolder);
        },
        error);
}

int storedVersion(const QSqlDatabase &db)
{
    const SqlDialect &dialect = SqlDialect::of(db);
    if (!dialect.tableExists(db, QStringLiteral("cfg_schema")))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select F_version, F_product from cfg_schema order by F_ID")))
        return -1;
    if (!q.next() || q.value(1).toString() != Schema::ProductMark)
        return 0;
    return q.value(0).toInt();
}

bool upgrade(const QSqlDatabase &db, int fromVersion, QString *error)
{
    if (fromVersion >= Schema::CurrentVersion)
        return true;
    // Each step takes the tables from version n to n + 1; none yet beyond the first.
    return WriteTransaction::run(
        db,
        [&](WriteTransaction &tx) {
            return tx.exec(QStringLiteral("update cfg_schema set F_version = :v"),
                           {{QStringLiteral(":v"), Schema::CurrentVersion}});
        },
        error);
}

} // namespace DatabaseCreator
