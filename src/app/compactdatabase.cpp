#include "app/compactdatabase.h"

#include "app/database.h"
#include "app/sqldialect.h"
#include "db/databasecreator.h"

#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

bool CompactDatabase(const DbSettings &settings, QString *error)
{
    if (settings.engine == DbEngine::Sqlite && !QFileInfo::exists(settings.sqliteFile())) {
        if (error)
            *error = QStringLiteral("数据库文件 %1 不存在。").arg(settings.sqliteFile());
        return false;
    }
    const QString name = QStringLiteral("compact-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = Database::addConnection(settings, name);
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else if (DatabaseCreator::storedVersion(db) <= 0) {
            if (error)
                *error = QStringLiteral("%1 不是本系统的数据库。").arg(settings.describe());
        } else {
            ok = SqlDialect::of(db).compact(db, error);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}
