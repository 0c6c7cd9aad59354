#include "app/dbsettings.h"

#include "app/apppaths.h"
#include "app/configini.h"

#include <QStringList>

QString DbSettings::describe() const
{
    if (engine == DbEngine::PostgreSql)
        return QStringLiteral("%1:%2/%3").arg(pgHost).arg(pgPort).arg(pgDatabase);
    return sqliteFile();
}

DbSettings DbSettings::fromConfig(const ConfigIni &ini)
{
    DbSettings s;
    const QString engine = ini.ReadString(QStringLiteral("config"), QStringLiteral("engine")).trimmed().toLower();
    if (engine == QLatin1String("postgresql") || engine == QLatin1String("postgres") || engine == QLatin1String("pgsql"))
        s.engine = DbEngine::PostgreSql;

    // A non-blank folder is used exactly as stored, so it must end with its separator.
    const QString ds = ini.ReadString(QStringLiteral("config"), QStringLiteral("ds"));
    if (ds.trimmed().isEmpty()) {
        s.dataFolder = AppPaths::defaultDataFolder();
        s.defaultFolder = true;
    } else {
        s.dataFolder = AppPaths::absoluteFolder(ds);
        s.defaultFolder = false;
    }

    s.pgHost = ini.ReadString(QStringLiteral("config"), QStringLiteral("pghost"), s.pgHost).trimmed();
    s.pgPort = ini.ReadInteger(QStringLiteral("config"), QStringLiteral("pgport"), s.pgPort);
    s.pgDatabase = ini.ReadString(QStringLiteral("config"), QStringLiteral("pgdatabase"), s.pgDatabase).trimmed();
    s.pgUser = ini.ReadString(QStringLiteral("config"), QStringLiteral("pguser")).trimmed();
    s.pgPassword = ini.ReadString(QStringLiteral("config"), QStringLiteral("pgpassword"));
    return s;
}

DbSettings DbSettings::fromConnectionString(const QString &text)
{
    DbSettings s;
    s.engine = DbEngine::PostgreSql;
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        const QString value = part.mid(eq + 1).trimmed();
        if (key == QLatin1String("host"))
            s.pgHost = value;
        else if (key == QLatin1String("port"))
            s.pgPort = value.toInt();
        else if (key == QLatin1String("user"))
            s.pgUser = value;
        else if (key == QLatin1String("password"))
            s.pgPassword = value;
        else if (key == QLatin1String("dbname"))
            s.pgDatabase = value;
    }
    return s;
}
