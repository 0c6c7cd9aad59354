#pragma once

#include "app/autobackup.h"
#include "app/configini.h"
#include "app/database.h"
#include "app/dbsettings.h"
#include "app/treecodes.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class DataGrid;
class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;
class SqlDialect;

// The data module: the one connection ADOcnn for the whole run and the
// services every window uses. The services work on whatever connection is
// open under the name ADOcnn, also one opened without DataModuleCreate
// (tests). Every service takes its statement with the values to bind
// (":Name" -> value); values a user typed never go into the statement text.
// Failures are reported with the service's own message and give false, an
// empty text or 0.
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
    const SqlDialect &dialect() const;   // of the open connection, else of the settings

    // Releases the scratch queries and closes ADOcnn (before a restore or a
    // compaction replaces the database under it).
    void CloseConnection();

    // Scratch queries on ADOcnn: QryPub for commands, QryTemp for lookups.
    // Their contents last only until the next service call; a caller that
    // keeps rows uses its own query (OpenQuery).
    QSqlQuery &QryPub();
    QSqlQuery &QryTemp();

    static inline const QString FailedText = QStringLiteral("操作失败，请检查数据连接... ");
    static inline const QString DeleteFailedText = QStringLiteral("删除操作失败，请检查数据连接... ");
    static inline const QString OpenFailedText = QStringLiteral("打开操作失败，请检查数据连接... ");

    // "delete from {table} where F_ID = :id"; the table is a name from the program.
    bool DeleteById(const QString &table, qint64 id);
    bool ExecSql(const QString &sql, const QVariantMap &values = {});
    // First column of the first row; empty text or 0 when there is no row.
    QString GetSingleText(const QString &sql, const QVariantMap &values = {});
    int GetSingleInt(const QString &sql, const QVariantMap &values = {});
    // Runs a select in the caller's own query, on ADOcnn.
    bool OpenQuery(QSqlQuery &query, const QString &sql, const QVariantMap &values = {});
    // Replaces the box's items by the first column of the rows, blank values
    // left out; the box keeps the text it shows.
    void FillCombo(const QString &sql, QComboBox *box, const QVariantMap &values = {});
    // One LogRec row for CurrentOperator, now; failures are ignored.
    void WriteLog(const QString &what);

    // Fills the tree from t_treecode rows of the flag under a root item with
    // the caption; every item carries its tNodeData. Returns the root item.
    QTreeWidgetItem *LoadTreeCodes(QTreeWidget *tree, const QString &rootCaption, const QString &flag);
    static tNodeData NodeData(const QTreeWidgetItem *item);
    static void SetNodeData(QTreeWidgetItem *item, const tNodeData &data);
    // The path of names of the node (mode 1) or of its parent (mode 2);
    // the root's path is two backslashes; empty for no node.
    static QString TreeNodePath(const QTreeWidgetItem *node, int mode);
    // A new code for a sibling (mode 1) or child (mode 2) of the node with the
    // code; the root is "" (or "000"). Empty when none is free (999 on the
    // level) or the lookup failed: the caller must not add the node then.
    QString NextTreeCode(const QString &code, const QString &flag, int mode);

    // "统计日期：自 2024年01月01日 至 记帐最后一天"; a blank prefix is "统计".
    static QString DateRangeCaption(bool fromTicked, const QDate &from, bool toTicked, const QDate &to,
                                    const QString &prefix);

    // The grid services (src/grid/gridservices.h), as members of the module.
    static bool ExportGridToExcel(DataGrid *grid, const QString &sheetName, bool visible);
    static void PreviewGrid(DataGrid *grid, const QString &title, int mode, const QString &footer, const QString &header);

    // Today's backup into the folder SysInfo names (the rule of when is
    // AutoBackup::ShouldAutoBackup); reports its failures itself.
    ::AutoBackup::Outcome AutoBackup();

    bool DbReady = false;

    // The text of the file dialog that picks a database folder.
    static inline const QString PickCaption = QStringLiteral("连接网络数据库");
    static inline const QString PickFilter = QStringLiteral("Qarvel数据库 (Employee.db *.db)");

    // Writes the folder of a picked database file to [config] ds, with its
    // trailing separator. Returns false when the settings file cannot be written.
    static bool StorePickedFolder(ConfigIni &ini, const QString &pickedFile);

private:
    QSqlQuery &scratch(std::optional<QSqlQuery> &query);
    void releaseQueries();
    // Runs the statement in the query; values bound when there are any.
    static bool run(QSqlQuery &query, const QString &sql, const QVariantMap &values);
    // The first column of the first row in QryTemp; *ok false after the failure message.
    QVariant lookup(const QString &sql, const QVariantMap &values, bool *ok = nullptr);

    std::unique_ptr<ConfigIni> m_config;
    DbSettings m_settings;
    std::optional<QSqlQuery> m_qryPub;
    std::optional<QSqlQuery> m_qryTemp;
};
