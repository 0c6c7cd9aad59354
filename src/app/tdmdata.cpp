#include "app/tdmdata.h"

#include "app/apppaths.h"
#include "app/globals.h"
#include "app/likepattern.h"
#include "app/showmess.h"
#include "app/sqldialect.h"
#include "app/writetransaction.h"
#include "grid/gridservices.h"

#include <QComboBox>
#include <QDateTime>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSqlDriver>
#include <QSqlError>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {
TdmData *g_instance = nullptr;
}

TdmData::TdmData()
{
    g_instance = this;
}

TdmData::~TdmData()
{
    releaseQueries();
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
    const QSqlDatabase db = ADOcnn();
    return db.isValid() ? SqlDialect::of(db) : SqlDialect::forEngine(m_settings.engine);
}

void TdmData::CloseConnection()
{
    releaseQueries();
    Database::close(Database::ConnectionName);
    DbReady = false;
}

Database::Result TdmData::openDirect(const DbSettings &settings, bool createIfMissing)
{
    releaseQueries();   // they would outlive the connection they were made on
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

// ---- services ----

void TdmData::releaseQueries()
{
    m_qryPub.reset();
    m_qryTemp.reset();
}

QSqlQuery &TdmData::scratch(std::optional<QSqlQuery> &query)
{
    // Made on first use, and made anew when ADOcnn was opened again since.
    const QSqlDatabase db = ADOcnn();
    if (!query || query->driver() != db.driver())
        query.emplace(db);
    return *query;
}

QSqlQuery &TdmData::QryPub()
{
    return scratch(m_qryPub);
}

QSqlQuery &TdmData::QryTemp()
{
    return scratch(m_qryTemp);
}

bool TdmData::run(QSqlQuery &query, const QString &sql, const QVariantMap &values)
{
    if (values.isEmpty())
        return query.exec(sql);   // unprepared: PostgreSQL cannot prepare every command
    if (!query.prepare(sql))
        return false;
    BindValues(query, values);
    return query.exec();
}

QVariant TdmData::lookup(const QString &sql, const QVariantMap &values, bool *ok)
{
    QSqlQuery &q = QryTemp();
    QVariant result;
    const bool ran = run(q, sql, values);
    if (ran && q.next())
        result = q.value(0);
    // No read cursor stays open: it would hold another workstation's commit back.
    q.finish();
    if (!ran)
        ShowMess(FailedText, MessError);
    if (ok)
        *ok = ran;
    return result;
}

bool TdmData::DeleteById(const QString &table, qint64 id)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    QSqlQuery &q = QryPub();
    if (!name.match(table).hasMatch()
        || !run(q, QStringLiteral("delete from %1 where F_ID = :id").arg(table), {{QStringLiteral(":id"), id}})) {
        ShowMess(DeleteFailedText, MessError);
        return false;
    }
    return true;
}

bool TdmData::ExecSql(const QString &sql, const QVariantMap &values)
{
    if (!run(QryPub(), sql, values)) {
        ShowMess(FailedText, MessError);
        return false;
    }
    return true;
}

QString TdmData::GetSingleText(const QString &sql, const QVariantMap &values)
{
    return lookup(sql, values).toString();
}

int TdmData::GetSingleInt(const QString &sql, const QVariantMap &values)
{
    return lookup(sql, values).toInt();
}

bool TdmData::OpenQuery(QSqlQuery &query, const QString &sql, const QVariantMap &values)
{
    query.finish();
    const QSqlDatabase db = ADOcnn();
    if (query.driver() != db.driver()) {
        const bool forwardOnly = query.isForwardOnly();
        query = QSqlQuery(db);
        query.setForwardOnly(forwardOnly);
    }
    if (!run(query, sql, values)) {
        ShowMess(OpenFailedText, MessError);
        return false;
    }
    return true;
}

void TdmData::FillCombo(const QString &sql, QComboBox *box, const QVariantMap &values)
{
    QSqlQuery &q = QryTemp();
    if (!run(q, sql, values)) {
        ShowMess(FailedText, MessError);
        return;
    }
    QStringList items;
    while (q.next()) {
        const QString text = q.value(0).toString();
        if (!text.trimmed().isEmpty())
            items << text;
    }
    q.finish();
    if (!box)
        return;

    // Refilling the list is no choice of the user's: no change signals.
    const QSignalBlocker quiet(box);
    const QString shown = box->currentText();
    box->clear();
    box->addItems(items);
    if (box->isEditable())
        box->setEditText(shown);
    else
        box->setCurrentIndex(box->findText(shown));
}

void TdmData::WriteLog(const QString &what)
{
    const QDateTime now = QDateTime::currentDateTime();
    QSqlQuery &q = QryTemp();
    run(q,
        QStringLiteral("insert into LogRec(F_EmpName,F_OperType,F_OperDate,F_OperTime) "
                       "values(:EmpName,:OperType,:OperDate,:OperTime)"),
        {{QStringLiteral(":EmpName"), CurrentOperator},
         {QStringLiteral(":OperType"), what},
         {QStringLiteral(":OperDate"), now.date().toString(QStringLiteral("yyyy-MM-dd"))},
         {QStringLiteral(":OperTime"), now.time().toString(QStringLiteral("hh:mm:ss"))}});
    q.finish();
}

tNodeData TdmData::NodeData(const QTreeWidgetItem *item)
{
    return item ? item->data(0, Qt::UserRole).value<tNodeData>() : tNodeData();
}

void TdmData::SetNodeData(QTreeWidgetItem *item, const tNodeData &data)
{
    if (item)
        item->setData(0, Qt::UserRole, QVariant::fromValue(data));
}

QTreeWidgetItem *TdmData::LoadTreeCodes(QTreeWidget *tree, const QString &rootCaption, const QString &flag)
{
    tree->clear();
    auto *root = new QTreeWidgetItem(tree, QStringList{rootCaption});
    SetNodeData(root, tNodeData{0, TreeCodes::RootCode, rootCaption, TreeCodes::RootPath});

    QSqlQuery &q = QryTemp();
    if (!run(q, QStringLiteral("select F_code,F_name,F_likecode from t_treecode where F_flag = :flag order by F_code"),
             {{QStringLiteral(":flag"), flag}})) {
        ShowMess(FailedText, MessError);
        return root;
    }
    QVector<tNodeData> rows;
    QVector<int> lengths;
    while (q.next()) {
        const QString code = q.value(0).toString();
        rows.append(tNodeData{int(code.size()), code, q.value(1).toString(), q.value(2).toString()});
        lengths.append(int(code.size()));
    }
    q.finish();

    const QVector<int> parents = TreeCodes::parentRows(lengths);
    QVector<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem *parent = parents[i] < 0 ? root : items[parents[i]];
        auto *item = new QTreeWidgetItem(parent, QStringList{rows[i].F_name});
        SetNodeData(item, rows[i]);
        items.append(item);
    }
    // Level 1 opens, once its children are there to show.
    for (int i = 0; i < root->childCount(); ++i)
        root->child(i)->setExpanded(true);
    return root;
}

QString TdmData::TreeNodePath(const QTreeWidgetItem *node, int mode)
{
    const QTreeWidgetItem *start = mode == 1 || !node ? node : node->parent();
    if (!start)
        return QString();
    QStringList names;
    for (const QTreeWidgetItem *item = start; item->parent(); item = item->parent())
        names.prepend(item->text(0));
    return TreeCodes::nodePath(names);
}

QString TdmData::NextTreeCode(const QString &code, const QString &flag, int mode)
{
    if (mode != TreeCodes::Sibling && mode != TreeCodes::Child)
        return QString();
    const QString prefix = TreeCodes::searchPrefix(code, mode);
    bool ok = false;
    const QString highest =
        lookup(QStringLiteral("select Max(F_code) from t_treecode where ") + LikePattern::condition(QStringLiteral("F_code"), QStringLiteral(":prefix"))
                   + QStringLiteral(" and F_flag = :flag and ") + dialect().length(QStringLiteral("F_code")) + QStringLiteral(" <= :len"),
               {{QStringLiteral(":prefix"), LikePattern::startsWith(prefix)},
                {QStringLiteral(":flag"), flag},
                {QStringLiteral(":len"), int(prefix.size() + TreeCodes::GroupLength)}},
               &ok)
            .toString();
    return ok ? TreeCodes::nextCode(code, highest, mode) : QString();
}

QString TdmData::DateRangeCaption(bool fromTicked, const QDate &from, bool toTicked, const QDate &to, const QString &prefix)
{
    const QString format = QStringLiteral("yyyy年MM月dd日");
    return (prefix.trimmed().isEmpty() ? QStringLiteral("统计") : prefix) + QStringLiteral("日期：自 ")
           + (fromTicked ? from.toString(format) : QStringLiteral("启用系统")) + QStringLiteral(" 至 ")
           + (toTicked ? to.toString(format) : QStringLiteral("记帐最后一天"));
}

bool TdmData::ExportGridToExcel(DataGrid *grid, const QString &sheetName, bool visible)
{
    return ::ExportGridToExcel(grid, sheetName, visible);
}

void TdmData::PreviewGrid(DataGrid *grid, const QString &title, int mode, const QString &footer, const QString &header)
{
    ::PreviewGrid(grid, title, mode, footer, header);
}

::AutoBackup::Outcome TdmData::AutoBackup()
{
    bool ok = false;
    const QString folder = lookup(QStringLiteral("select f_BakPath from sysInfo"), {}, &ok).toString();
    if (!ok)
        return ::AutoBackup::Outcome::Failed;   // the lookup has said why
    return ::AutoBackup(ADOcnn()).run(folder, QDate::currentDate());
}
