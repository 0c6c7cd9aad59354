#pragma once

#include "app/configini.h"
#include "app/database.h"
#include "app/dbsettings.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

class SqlDialect;

// The data module: the one connection ADOcnn for the whole run and the
// services every window uses.
class TdmData
{
public:
    // What the connection procedure needs from the screen.
    struct ConnectUi {
        std::function<void(const QString &)> status;           // the splash line
        std::function<void()> failed;                           // the splash goes away
        std::function<void(const QString &)> explain;           // why a server could not be reached
        std::function<QString(const QString &startDir)> pickDatabaseFile;   // empty: cancelled
        std::function<void()> retrying;                         // a new splash is shown
    };

    TdmData();
    ~TdmData();

    static TdmData *instance();   // the module of this run, once created

    // Opens ADOcnn as config.ini says; on failure asks for the database folder,
    // stores it and tries again, until it connects or the user cancels.
    // Sets and returns DbReady.
    bool DataModuleCreate(const ConnectUi &ui);

    // Opens ADOcnn on the given settings without asking anything (tests, tools).
    Database::Result openDirect(const DbSettings &settings, bool createIfMissing);

    ConfigIni &config();
    const DbSettings &settings() const { return m_settings; }
    QSqlDatabase ADOcnn() const;
    const SqlDialect &dialect() const;

    bool DbReady = false;

    // The text of the file dialog that picks a database folder.
    static inline const QString PickCaption = QStringLiteral("连接网络数据库");
    static inline const QString PickFilter = QStringLiteral("Qarvel数据库 (Employee.db *.db)");

    // Writes the folder of a picked database file to [config] ds, with its
    // trailing separator. Returns false when the settings file cannot be written.
    static bool StorePickedFolder(ConfigIni &ini, const QString &pickedFile);

private:
    std::unique_ptr<ConfigIni> m_config;
    DbSettings m_settings;
};
