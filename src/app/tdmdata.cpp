#include "app/tdmdata.h"

#include "app/apppaths.h"
#include "app/sqldialect.h"

namespace {
TdmData *g_instance = nullptr;
}

TdmData::TdmData()
{
    g_instance = this;
}

TdmData::~TdmData()
{
    Database::close(Database::ConnectionName);
    if (g_instance == this)
        g_instance = nullptr;
}

TdmData *TdmData::instance()
{
    return g_instance;
}

ConfigIni &TdmData::config()
{
    if (!m_config)
        m_config = std::make_unique<ConfigIni>(AppPaths::configFile());
    return *m_config;
}

QSqlDatabase TdmData::ADOcnn() const
{
    return QSqlDatabase::database(Database::ConnectionName, false);
}

const SqlDialect &TdmData::dialect() const
{
    return SqlDialect::forEngine(m_settings.engine);
}

Database::Result TdmData::openDirect(const DbSettings &settings, bool createIfMissing)
{
    m_settings = settings;
    const Database::Result r = Database::open(settings, createIfMissing);
    DbReady = r.ok();
    return r;
}

bool TdmData::StorePickedFolder(ConfigIni &ini, const QString &pickedFile)
{
    // The picked file name itself is not used: the folder's Employee.db is.
    bool ok = ini.WriteString(QStringLiteral("config"), QStringLiteral("ds"), AppPaths::folderOf(pickedFile));
    // Picking a file means working on that file, also where a server was configured.
    if (DbSettings::fromConfig(ini).engine != DbEngine::Sqlite)
        ok = ini.WriteString(QStringLiteral("config"), QStringLiteral("engine"), QStringLiteral("sqlite")) && ok;
    return ok;
}

bool TdmData::DataModuleCreate(const ConnectUi &ui)
{
    for (;;) {
        config().Reload();
        const DbSettings settings = DbSettings::fromConfig(config());
        if (ui.status)
            ui.status(QStringLiteral("正在连接数据库 ....."));

        // A fresh installation gets its database in the default folder; a
        // configured folder must already hold one.
        const bool create = settings.engine == DbEngine::PostgreSql || settings.defaultFolder;
        const Database::Result r = openDirect(settings, create);
        if (r.ok()) {
            if (ui.status)
                ui.status(QStringLiteral("连接成功，正在登录 ..."));
            return true;
        }

        if (ui.failed)
            ui.failed();
        if (settings.engine == DbEngine::PostgreSql && ui.explain)
            ui.explain(r.message);
        const QString picked = ui.pickDatabaseFile ? ui.pickDatabaseFile(AppPaths::programDir()) : QString();
        if (picked.isEmpty())
            return false;
        StorePickedFolder(config(), picked);
        if (ui.retrying)
            ui.retrying();
    }
}
