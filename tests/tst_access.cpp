// Login, change of operator, password change, the operator windows and the
// permissions that decide which main-window commands an operator sees. Every
// case that touches the database runs once per engine.
#include "access/accesscommands.h"
#include "access/operatorlimits.h"
#include "access/tfrmlimitgl.h"
#include "access/tfrmmodpass.h"
#include "access/tfrmopergl.h"
#include "access/tfrmoperlogin.h"
#include "app/apppaths.h"
#include "app/configini.h"
#include "app/globals.h"
#include "app/modal.h"
#include "app/passwordhash.h"
#include "app/tdmdata.h"
#include "db/limitcatalogue.h"
#include "grid/datagrid.h"
#include "messagespy.h"
#include "personnel/mainactions.h"
#include "personnel/tfrmmain.h"
#include "testdatabase.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

namespace {

QList<std::pair<QString, DbEngine>> engines()
{
    QList<std::pair<QString, DbEngine>> out{{QStringLiteral("sqlite"), DbEngine::Sqlite}};
    if (TestDatabase::postgresConfigured())
        out.append({QStringLiteral("postgresql"), DbEngine::PostgreSql});
    return out;
}

// Runs every modal window through the given handler while it lives.
class ModalGuard
{
public:
    explicit ModalGuard(ModalHandler handler) : m_previous(SetModalHandler(std::move(handler))) {}
    ~ModalGuard() { SetModalHandler(std::move(m_previous)); }
    ModalGuard(const ModalGuard &) = delete;
    ModalGuard &operator=(const ModalGuard &) = delete;

private:
    ModalHandler m_previous;
};

template <typename T>
T *child(QObject *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

QString limitName(const QString &code)
{
    for (const LimitDef &l : LimitCatalogue()) {
        if (QLatin1String(l.code) == code)
            return QString::fromUtf8(l.caption);
    }
    return QString();
}

QStringList allCodedAndFollowers()
{
    QStringList out;
    for (const LimitDef &l : LimitCatalogue())
        out << QStringLiteral("Action") + QLatin1String(l.code);
    for (const auto &[follower, leader] : MainActions::followers())
        out << follower;
    return out;
}

const QStringList FiveMenus{QStringLiteral("mnuFile"), QStringLiteral("mnuEdit"), QStringLiteral("mnuOutput"),
                            QStringLiteral("mnuStat"), QStringLiteral("mnuData")};

const QString WrongText = QStringLiteral("用户名或密码不正确，请重新输入！");
const QString NoOperatorText = QStringLiteral("此操作员并不存在，请重新选择操作员！");
const QString SaveFailed = QStringLiteral("保存失败，请检测数据库连接！");

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void firstLogin_data();
    void firstLogin();
    void nameBoxFilledAndPreset_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void nameBoxFilledAndPreset();
    void companyAtLogin_data();
    void companyAtLogin();
    void changeOperator_data();
    void changeOperator();
    void loginWindowEndsOnlyByItsButtons();

    void setLimits_data();
    void setLimits();
    void hiddenCommandUnreachable_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void hiddenCommandUnreachable();
    void mainWindowCommands_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void mainWindowCommands();

    void modPass_data();
    void modPass();

    void operatorList_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void operatorList();
    void adminProtected_data();
    void adminProtected();
    void deleteOperator_data();
    void deleteOperator();
    void emptyOperatorList_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void emptyOperatorList();
    void newModeLoops_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void newModeLoops();
    void editOperator_data();
    void editOperator();
    void saveIsOneTransaction_data();
    void saveIsOneTransaction();

private:
    // Operators beside admin, in F_ID order: li (password "pw " with its blank,
    // holds 201), zhang (disabled), o'brien (a quote in his name).
    void addOperators(const TestDatabase &t);

    // Stored forms of the fixture's passwords, hashed once (hashing is slow on purpose).
    QHash<QString, QString> m_hashes;
};

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));                                                                        \
    TdmData dm

#define EXEC_OK(t, sql, values)                                                                              \
    do {                                                                                                     \
        QString why_;                                                                                        \
        QVERIFY2((t).exec((sql), (values), &why_), qPrintable(why_));                                        \
    } while (false)


namespace {

QString storedPassword(const TestDatabase &t, const QString &name)
{
    return t.scalar(QStringLiteral("select F_PassWord from OperList where F_Name = :n"), {{QStringLiteral(":n"), name}})
        .toString();
}

QStringList grantsOf(const TestDatabase &t, const QString &name)
{
    return t.column(QStringLiteral("select F_lmtName from OperLimit where F_OperName = :n order by F_ID"),
                    {{QStringLiteral(":n"), name}});
}

QStringList operatorNames(const TestDatabase &t)
{
    return t.column(QStringLiteral("select F_Name from OperList order by F_ID"));
}

QStringList visibleActions(MainActions *actions)
{
    QStringList out;
    for (const QString &name : allCodedAndFollowers()) {
        if (actions->action(name)->isVisible())
            out << name;
    }
    return out;
}

QStringList visibleMenus(MainActions *actions)
{
    QStringList out;
    for (const QString &name : FiveMenus) {
        if (actions->menu(name)->menuAction()->isVisible())
            out << name;
    }
    return out;
}

QStringList checkedEntries(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            out << list->item(i)->text();
    }
    return out;
}

void checkOnly(QListWidget *list, const QStringList &entries)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(entries.contains(list->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
}

QString configValue(const QString &section, const QString &key)
{
    return ConfigIni(AppPaths::configFile()).ReadString(section, key);
}

// Logs in through the window and applies the permissions to the main window.
bool logIn(TdmData *dm, TFrmMain *main, bool changeOperator, const QString &name, const QString &password)
{
    TfrmOperLogin login(dm, main, changeOperator);
    child<QComboBox>(&login, "cbbOperName")->setEditText(name);
    child<QLineEdit>(&login, "edtPassWord")->setText(password);
    QSignalSpy finished(&login, &QDialog::finished);
    login.btnOkClick();
    return finished.size() == 1 && finished.at(0).at(0).toInt() == QDialog::Accepted;
}

} // namespace

void TestAccess::addOperators(const TestDatabase &t)
{
    const QList<std::tuple<QString, QString, QString, bool, bool>> ops{
        {QStringLiteral("li"), QStringLiteral("pw "), QStringLiteral("财务"), false, true},
        {QStringLiteral("zhang"), QStringLiteral("z"), QString(), true, false},
        {QStringLiteral("o'brien"), QStringLiteral("q"), QString(), false, false}};
    for (const auto &[name, password, memo, disabled, xt] : ops)
        EXEC_OK(t, QStringLiteral("insert into OperList(F_Name,F_PassWord,F_Mem,F_Flag,F_xtFlag) values(:n,:p,:m,:f,:x)"),
                (QVariantMap{{QStringLiteral(":n"), name}, {QStringLiteral(":p"), m_hashes.value(password)},
                             {QStringLiteral(":m"), memo}, {QStringLiteral(":f"), disabled}, {QStringLiteral(":x"), xt}}));
    EXEC_OK(t, QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) values('li', :l)"),
            (QVariantMap{{QStringLiteral(":l"), limitName(QStringLiteral("201"))}}));
}

void TestAccess::initTestCase()
{
    for (const char *p : {"", "pw ", "z", "q"})
        m_hashes.insert(QString::fromLatin1(p), PasswordHash::hash(QString::fromLatin1(p)));
}

void TestAccess::init()
{
    CurrentOperator.clear();
    CurrentCompany.clear();
}

// ---- login ----

void TestAccess::firstLogin_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("passwords");   // typed one after another, each followed by "确定"
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("outcome");         // open, accepted or ended
    QTest::addColumn<QString>("log");             // the one LogRec entry, or none
    QTest::addColumn<QString>("oper");            // CurrentOperator afterwards
    QTest::addColumn<int>("fails");

    const QString w = WrongText;
    const QString n = NoOperatorText;
    for (const auto &[engineName, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(engineName + u'/' + QLatin1String(what))); };
        *row("admin with the empty password") << engine << "admin" << QStringList{""} << QStringList() << "accepted"
                                                << "" << "admin" << 0;
        *row("fourth wrong password ends the program")
            << engine << "admin" << QStringList{"a", "b", "c", "d"} << QStringList{w, w, w, "非法操作员!"} << "ended"
            << "登录失败！" << "" << 4;
        *row("three wrong then the right one") << engine << "admin" << QStringList{"a", "b", "c", ""}
                                                 << QStringList{w, w, w} << "accepted" << "" << "admin" << 3;
        *row("name trimmed, any letter case") << engine << "  ADMIN " << QStringList{""} << QStringList()
                                                << "accepted" << "" << "ADMIN" << 0;
        *row("a password's trailing blank must be typed") << engine << "li" << QStringList{"pw", "pw "}
                                                            << QStringList{w} << "accepted" << "" << "li" << 1;
        *row("passwords are case-sensitive") << engine << "li" << QStringList{"PW "} << QStringList{w} << "open" << ""
                                               << "" << 1;
        *row("disabled operator is refused and is no try")
            << engine << "zhang" << QStringList{"z", "z", "z", "z", "z"} << QStringList{n, n, n, n, n} << "open" << ""
            << "" << 0;
        *row("unknown name is no try") << engine << "nobody" << QStringList{""} << QStringList{n} << "open" << "" << ""
                                         << 0;
        *row("empty name") << engine << "   " << QStringList{""} << QStringList{"请选择用户！"} << "open" << "" << ""
                             << 0;
        *row("a quote in a name is just text") << engine << "o'brien" << QStringList{"q"} << QStringList() << "accepted"
                                                 << "" << "o'brien" << 0;
        *row("injected name logs nobody in") << engine << "' or '1'='1" << QStringList{"' or '1'='1"} << QStringList{n}
                                               << "open" << "" << "" << 0;
        *row("injected password logs nobody in") << engine << "admin" << QStringList{"' or '1'='1"} << QStringList{w}
                                                   << "open" << "" << "" << 1;
    }
}

void TestAccess::firstLogin()
{
    QFETCH(QString, name);
    QFETCH(QStringList, passwords);
    QFETCH(QStringList, messages);
    QFETCH(QString, outcome);
    QFETCH(QString, log);
    QFETCH(QString, oper);
    QFETCH(int, fails);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;

    MessageSpy spy;
    TfrmOperLogin login(&dm, nullptr, false);
    QSignalSpy finished(&login, &QDialog::finished);
    child<QComboBox>(&login, "cbbOperName")->setEditText(name);
    for (const QString &p : passwords) {
        QCOMPARE(finished.size(), 0);
        child<QLineEdit>(&login, "edtPassWord")->setText(p);
        login.btnOkClick();
    }

    QCOMPARE(spy.texts(), messages);
    QCOMPARE(login.FailCount(), fails);
    QCOMPARE(CurrentOperator, oper);
    if (outcome == QLatin1String("open")) {
        QCOMPARE(finished.size(), 0);
    } else {
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), outcome == QLatin1String("accepted") ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
    QCOMPARE(login.endsProgram(), outcome == QLatin1String("ended"));
    if (outcome == QLatin1String("ended"))
        QCOMPARE(spy.lastStyle(), int(MessError));
    // The name is remembered only by a successful login.
    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("CurOperName")), outcome == QLatin1String("accepted") ? oper : QString());

    const QStringList entries = t.column(QStringLiteral("select coalesce(F_EmpName, '') || '|' || F_OperType from LogRec"));
    QCOMPARE(entries, log.isEmpty() ? QStringList() : QStringList{u'|' + log});
}

void TestAccess::nameBoxFilledAndPreset()
{
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    EXEC_OK(t, QStringLiteral("insert into OperList(F_Name,F_PassWord,F_Flag,F_xtFlag) values('  ', '', false, false)"), QVariantMap());
    QVERIFY(dm.config().WriteString(QStringLiteral("Config"), QStringLiteral("CurOperName"), QStringLiteral("zhang")));

    MessageSpy spy;
    TfrmOperLogin login(&dm, nullptr, false);
    auto *box = child<QComboBox>(&login, "cbbOperName");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    // Disabled operators are listed; blank names are not.
    QCOMPARE(items, (QStringList{"admin", "li", "zhang", "o'brien"}));
    QCOMPARE(box->currentText(), QStringLiteral("zhang"));
    QCOMPARE(spy.texts(), QStringList());
}

void TestAccess::companyAtLogin_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<bool>("withRow");
    for (const auto &[engineName, engine] : engines()) {
        QTest::newRow(qPrintable(engineName + QStringLiteral("/company row"))) << engine << true;
        QTest::newRow(qPrintable(engineName + QStringLiteral("/no SysInfo row"))) << engine << false;
    }
}

void TestAccess::companyAtLogin()
{
    QFETCH(bool, withRow);
    OPEN_DB(t);
    EXEC_OK(t, withRow ? QStringLiteral("update SysInfo set F_Code = '千帆机械'") : QStringLiteral("delete from SysInfo"), QVariantMap());
    CurrentCompany = QStringLiteral("之前的公司");
    MessageSpy spy;
    QVERIFY(logIn(&dm, nullptr, false, QStringLiteral("admin"), QString()));
    QCOMPARE(CurrentCompany, withRow ? QStringLiteral("千帆机械") : QString());
    QCOMPARE(spy.texts(), QStringList());
}

void TestAccess::changeOperator_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("how");
    for (const auto &[engineName, engine] : engines()) {
        for (const char *how : {"cancel", "four wrong passwords", "admin logs in"})
            QTest::newRow(qPrintable(engineName + u'/' + QLatin1String(how))) << engine << QString::fromLatin1(how);
    }
}

void TestAccess::changeOperator()
{
    QFETCH(QString, how);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    MessageSpy spy;
    TFrmMain main(&dm);
    QVERIFY(logIn(&dm, &main, false, QStringLiteral("li"), QStringLiteral("pw ")));
    QCOMPARE(main.panelText(1), QStringLiteral(" li"));
    QCOMPARE(visibleActions(main.actions()), (QStringList{"Action201", "Action21", "Action32"}));
    spy.clear();

    TfrmOperLogin login(&dm, &main, true);
    QSignalSpy finished(&login, &QDialog::finished);
    QCOMPARE(login.ChangeOperator(), true);
    child<QComboBox>(&login, "cbbOperName")->setEditText(QStringLiteral("admin"));
    if (how == QLatin1String("cancel")) {
        login.btnCancelClick();
        QCOMPARE(spy.texts(), QStringList());
    } else if (how == QLatin1String("four wrong passwords")) {
        for (int i = 0; i < 4; ++i) {
            child<QLineEdit>(&login, "edtPassWord")->setText(QStringLiteral("x"));
            login.btnOkClick();
        }
        QCOMPARE(spy.texts(), (QStringList{WrongText, WrongText, WrongText, "更换操作员失败!"}));
        QCOMPARE(spy.lastStyle(), int(MessError));
        // The entry carries the operator who was logged in.
        QCOMPARE(t.column(QStringLiteral("select coalesce(F_EmpName, '') || '|' || F_OperType from LogRec")), QStringList{"li|更换操作员失败！"});
    } else {
        login.btnOkClick();
    }

    QCOMPARE(finished.size(), 1);
    QCOMPARE(login.endsProgram(), false);
    if (how == QLatin1String("admin logs in")) {
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QCOMPARE(CurrentOperator, QStringLiteral("admin"));
        QCOMPARE(main.panelText(1), QStringLiteral(" admin"));
        QCOMPARE(visibleActions(main.actions()), allCodedAndFollowers());
        QCOMPARE(configValue(QStringLiteral("Config"), QStringLiteral("CurOperName")), QStringLiteral("admin"));
        return;
    }
    // The previous operator stays, with his permissions and his name in the status bar.
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(CurrentOperator, QStringLiteral("li"));
    QCOMPARE(main.panelText(1), QStringLiteral(" li"));
    QCOMPARE(visibleActions(main.actions()), (QStringList{"Action201", "Action21", "Action32"}));
    QCOMPARE(visibleMenus(main.actions()), QStringList{"mnuEdit"});
    QCOMPARE(configValue(QStringLiteral("Config"), QStringLiteral("CurOperName")), QStringLiteral("li"));
}

void TestAccess::loginWindowEndsOnlyByItsButtons()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TfrmOperLogin login(&dm, nullptr, false);
    QVERIFY(login.windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(!(login.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(login.windowFlags() & Qt::WindowSystemMenuHint));
    QCOMPARE(login.windowTitle(), QStringLiteral("登录窗口"));
    QCOMPARE(child<QLabel>(&login, "lblNote")->text(),
             QStringLiteral("请输入正确的操作员编号及密码，系统超级用户“admin”，系统初始密码为空："));
    QCOMPARE(child<QLineEdit>(&login, "edtPassWord")->echoMode(), QLineEdit::Password);

    QSignalSpy finished(&login, &QDialog::finished);
    login.show();
    QVERIFY(QTest::qWaitForWindowActive(&login));

    // Alt+F4 arrives as a close request from the window manager.
    QVERIFY(!login.close());
    QTest::keyClick(&login, Qt::Key_Escape);
    QVERIFY(login.isVisible());
    QCOMPARE(finished.size(), 0);

    // Enter moves on: name, password, then "确定".
    auto *name = child<QComboBox>(&login, "cbbOperName");
    auto *password = child<QLineEdit>(&login, "edtPassWord");
    name->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), name);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), password);
    QTest::keyClick(password, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(&login, "btnOk"));
    QCOMPARE(finished.size(), 0);
    QCOMPARE(spy.texts(), QStringList());

    login.btnCancelClick();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!login.isVisible());
    QVERIFY(login.endsProgram());
}

// ---- permissions ----

void TestAccess::setLimits_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("codes");       // granted to the operator
    QTest::addColumn<QStringList>("withdrawn");   // catalogue entries no longer offered (F_flag false)
    QTest::addColumn<QStringList>("visible");     // "*": every coded and following command
    QTest::addColumn<QStringList>("menus");

    for (const auto &[engineName, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(engineName + u'/' + QLatin1String(what))); };
        *row("only 201") << engine << "wang" << QStringList{"201"} << QStringList()
                         << QStringList{"Action201", "Action21", "Action32"} << QStringList{"mnuEdit"};
        // li's grant is his own.
        *row("no grants") << engine << "wang" << QStringList() << QStringList() << QStringList() << QStringList();
        *row("admin in any letter case, holding nothing") << engine << " AdMiN " << QStringList() << QStringList()
                                                          << QStringList{"*"} << FiveMenus;
        *row("a withdrawn entry still counts at login") << engine << "wang" << QStringList{"503"} << QStringList{"503"}
                                                        << QStringList{"Action503"} << QStringList{"mnuData"};
        *row("history-page commands follow theirs")
            << engine << "wang" << QStringList{"202", "203", "204", "205", "206", "301"} << QStringList()
            << QStringList{"Action202", "Action203", "Action204", "Action205", "Action206", "Action301",
                           "Action22", "Action23", "Action24", "Action25", "Action26", "Action31"}
            << QStringList{"mnuEdit", "mnuOutput"};
        *row("the last code of each menu") << engine << "wang" << QStringList{"105", "216", "305", "409", "505"}
                                           << QStringList()
                                           << QStringList{"Action105", "Action216", "Action305", "Action409", "Action505"}
                                           << FiveMenus;
    }
}

void TestAccess::setLimits()
{
    QFETCH(QString, name);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, withdrawn);
    QFETCH(QStringList, visible);
    QFETCH(QStringList, menus);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    for (const QString &code : codes)
        EXEC_OK(t, QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) values('wang', :l)"),
                (QVariantMap{{QStringLiteral(":l"), limitName(code)}}));
    for (const QString &code : withdrawn)
        EXEC_OK(t, QStringLiteral("update Limits set F_flag = false where F_code = :c"), (QVariantMap{{QStringLiteral(":c"), code}}));
    if (visible == QStringList{"*"})
        visible = allCodedAndFollowers();

    MessageSpy spy;
    TFrmMain main(&dm);
    MainActions *actions = main.actions();
    // Whatever an earlier login showed is set anew.
    SetLimits(actions, &dm, QStringLiteral("admin"));
    SetLimits(actions, &dm, name);

    QCOMPARE(visibleActions(actions), visible);
    QCOMPARE(visibleMenus(actions), menus);
    for (const char *always : {"mnuView", "mnuTools", "mnuHelp"})
        QVERIFY(actions->menu(QString::fromLatin1(always))->menuAction()->isVisible());
    // CheckLimit answers for the grants as stored; admin's rule is SetLimits' alone.
    CurrentOperator = name.trimmed();
    for (const LimitDef &l : LimitCatalogue())
        QCOMPARE(CheckLimit(&dm, QString::fromLatin1(l.code)), codes.contains(QString::fromLatin1(l.code)));
    QCOMPARE(spy.texts(), QStringList());
}

void TestAccess::hiddenCommandUnreachable()
{
    OPEN_DB(t);
    MessageSpy spy;
    TFrmMain main(&dm);
    MainActions *actions = main.actions();
    int added = 0;
    int changed = 0;
    actions->setHandler(QStringLiteral("Action201"), [&] { ++added; });
    actions->setHandler(QStringLiteral("Action202"), [&] { ++changed; });
    QAction *add = actions->action(QStringLiteral("Action201"));
    QVERIFY(!add->shortcut().isEmpty());

    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    const auto tryBoth = [&] {
        QTest::keySequence(&main, add->shortcut());
        // A double-click on the employee grid triggers "修改" like this.
        actions->action(QStringLiteral("Action202"))->trigger();
    };

    SetLimits(actions, &dm, QStringLiteral("wang"));
    tryBoth();
    QCOMPARE(added, 0);
    QCOMPARE(changed, 0);

    // The same paths reach the commands once they are granted.
    EXEC_OK(t, QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) values('wang', :a), ('wang', :b)"),
            (QVariantMap{{QStringLiteral(":a"), limitName(QStringLiteral("201"))}, {QStringLiteral(":b"), limitName(QStringLiteral("202"))}}));
    SetLimits(actions, &dm, QStringLiteral("wang"));
    tryBoth();
    QCOMPARE(added, 1);
    QCOMPARE(changed, 1);

    main.hide();
}

void TestAccess::mainWindowCommands()
{
    OPEN_DB(t);
    MessageSpy spy;
    TFrmMain main(&dm);
    AccessCommands *commands = ConnectAccessCommands(&main, &dm);
    int refreshed = 0;
    commands->setRefreshEmployees([&] { ++refreshed; });

    QStringList opened;
    ModalGuard modal([&](QDialog *d) {
        if (auto *login = qobject_cast<TfrmOperLogin *>(d))
            opened << QStringLiteral("login, change=%1").arg(int(login->ChangeOperator()));
        else
            opened << QString::fromLatin1(d->metaObject()->className());
        return int(QDialog::Rejected);
    });
    const auto run = [&](const char *name) { main.action(QString::fromLatin1(name))->trigger(); };

    CurrentOperator = QStringLiteral("admin");
    SetLimits(main.actions(), &dm, CurrentOperator);
    run("Action102");
    run("Action103");
    run("actReLogin");
    QCOMPARE(refreshed, 0);
    run("actReLoginTool");
    QCOMPARE(refreshed, 1);
    QCOMPARE(opened, (QStringList{"TfrmModPass", "TfrmOperGl", "login, change=1", "login, change=1"}));

    opened.clear();
    SetLimits(main.actions(), &dm, QStringLiteral("wang"));
    run("Action102");
    run("Action103");
    QCOMPARE(opened, QStringList());
    // The tool button stays: it is no coded command.
    run("actReLoginTool");
    QCOMPARE(opened, QStringList{"login, change=1"});
}

// ---- password change ----

void TestAccess::modPass_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("oper");
    QTest::addColumn<QString>("oldPass");
    QTest::addColumn<QString>("newPass");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("valid");     // the password that verifies afterwards
    QTest::addColumn<QString>("invalid");   // one that must not

    for (const auto &[engineName, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(engineName + u'/' + QLatin1String(what))); };
        *row("old password wrong") << engine << "li" << "pw" << "new" << "new" << "旧口令输入错误，不能更改！"
                                   << int(MessWarning) << "pw " << "new";
        *row("new and repeat differ") << engine << "li" << "pw " << "new" << "old" << "新口令错误，不能更改！" << int(MessInfo)
                                      << "pw " << "new";
        *row("compared trimmed, stored as typed") << engine << "li" << "pw " << " abc" << "abc" << "更改口令成功！"
                                                  << int(MessInfo) << " abc" << "abc";
        *row("operator with a quote in his name") << engine << "o'brien" << "q" << "r" << "r" << "更改口令成功！"
                                                  << int(MessInfo) << "r" << "q";
    }
}

void TestAccess::modPass()
{
    QFETCH(QString, oper);
    QFETCH(QString, oldPass);
    QFETCH(QString, newPass);
    QFETCH(QString, repeat);
    QFETCH(QString, message);
    QFETCH(int, style);
    QFETCH(QString, valid);
    QFETCH(QString, invalid);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    const QString adminBefore = storedPassword(t, QStringLiteral("admin"));

    CurrentOperator = oper;
    MessageSpy spy;
    TfrmModPass dlg(&dm);
    QCOMPARE(child<QLabel>(&dlg, "lblOperator")->text(), QStringLiteral("当前操作员：") + oper + u' ');
    QSignalSpy finished(&dlg, &QDialog::finished);
    child<QLineEdit>(&dlg, "edtOldPass")->setText(oldPass);
    child<QLineEdit>(&dlg, "edtNewPass")->setText(newPass);
    child<QLineEdit>(&dlg, "edtAdjustPass")->setText(repeat);
    dlg.BitBtn1Click();

    QCOMPARE(spy.texts(), QStringList{message});
    QCOMPARE(spy.lastStyle(), style);
    // "确定(&O)" closes the dialog whatever came of it.
    QCOMPARE(finished.size(), 1);
    const QString stored = storedPassword(t, oper);
    QVERIFY(PasswordHash::verify(stored, valid));
    QVERIFY(!PasswordHash::verify(stored, invalid));
    QCOMPARE(storedPassword(t, QStringLiteral("admin")), adminBefore);
}

// ---- operator windows ----

void TestAccess::operatorList()
{
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    MessageSpy spy;
    TfrmOperGl w(&dm);
    DataGrid *grid = child<DataGrid>(&w, "DBGridEh1");
    const auto names = [&] {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, 0).data().toString();
        return out;
    };
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("操作员"));
    QCOMPARE(names(), (QStringList{"admin", "li", "o'brien"}));

    auto *disabled = child<QCheckBox>(&w, "CheckBox1");
    disabled->setChecked(true);
    w.CheckBox1Click();
    QCOMPARE(names(), (QStringList{"admin", "li", "zhang", "o'brien"}));

    // The memo and the flag show the current row.
    QVERIFY(grid->setCurrentRow(1));
    QCOMPARE(child<QPlainTextEdit>(&w, "DBMemo1")->toPlainText(), QStringLiteral("财务"));
    QVERIFY(child<QCheckBox>(&w, "DBCheckBox1")->isChecked());
    QVERIFY(grid->setCurrentRow(2));
    QVERIFY(!child<QCheckBox>(&w, "DBCheckBox1")->isChecked());
    QCOMPARE(spy.texts(), QStringList());
}

void TestAccess::adminProtected_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QString>("message");
    for (const auto &[engineName, engine] : engines()) {
        for (const char *stored : {"admin", "Admin"}) {
            QTest::newRow(qPrintable(engineName + QStringLiteral("/change ") + QLatin1String(stored)))
                << engine << QString::fromLatin1(stored) << false << "此用户为系统默认用户，不能修改和编辑！";
            QTest::newRow(qPrintable(engineName + QStringLiteral("/delete ") + QLatin1String(stored)))
                << engine << QString::fromLatin1(stored) << true << "此用户为系统默认用户，不能删除！";
        }
    }
}

void TestAccess::adminProtected()
{
    QFETCH(QString, stored);
    QFETCH(bool, remove);
    QFETCH(QString, message);
    OPEN_DB(t);
    EXEC_OK(t, QStringLiteral("update OperList set F_Name = :n"), (QVariantMap{{QStringLiteral(":n"), stored}}));
    MessageSpy spy;
    spy.answer(MessYes);
    int editors = 0;
    ModalGuard modal([&](QDialog *) { ++editors; return int(QDialog::Rejected); });

    TfrmOperGl w(&dm);
    QCOMPARE(w.currentOperator().name, stored);
    if (remove)
        w.Button3Click();
    else
        w.Button2Click();
    QCOMPARE(spy.texts(), QStringList{message});
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(editors, 0);
    QCOMPARE(operatorNames(t), QStringList{stored});
}

void TestAccess::deleteOperator_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<int>("answer");
    for (const auto &[engineName, engine] : engines()) {
        QTest::newRow(qPrintable(engineName + QStringLiteral("/yes"))) << engine << int(MessYes);
        QTest::newRow(qPrintable(engineName + QStringLiteral("/no"))) << engine << int(MessNo);
    }
}

void TestAccess::deleteOperator()
{
    QFETCH(int, answer);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    MessageSpy spy;
    spy.answer(answer);
    TfrmOperGl w(&dm);
    QVERIFY(w.grid()->setCurrentRow(1));
    QCOMPARE(w.currentOperator().name, QStringLiteral("li"));
    w.Button3Click();

    QCOMPARE(spy.texts(), QStringList{"真的要删除当前操作员 \"li\" 吗？"});
    QCOMPARE(spy.lastStyle(), int(MessQuestion));
    const bool yes = answer == MessYes;
    QCOMPARE(operatorNames(t), yes ? (QStringList{"admin", "zhang", "o'brien"}) : (QStringList{"admin", "li", "zhang", "o'brien"}));
    // His grants stay behind either way.
    QCOMPARE(grantsOf(t, QStringLiteral("li")), QStringList{limitName(QStringLiteral("201"))});
    QCOMPARE(w.grid()->rowCount(), yes ? 2 : 3);
    QCOMPARE(w.currentOperator().name, yes ? QStringLiteral("o'brien") : QStringLiteral("li"));
}

void TestAccess::emptyOperatorList()
{
    OPEN_DB(t);
    EXEC_OK(t, QStringLiteral("delete from OperList"), QVariantMap());
    MessageSpy spy;
    spy.answer(MessYes);
    int editors = 0;
    ModalGuard modal([&](QDialog *) { ++editors; return int(QDialog::Rejected); });
    TfrmOperGl w(&dm);
    w.Button2Click();
    w.Button3Click();
    QCOMPARE(spy.texts(), (QStringList{"此表为空，没有记录需要修改！", "此表为空，没有记录需要删除！"}));
    QCOMPARE(editors, 0);
}

void TestAccess::newModeLoops()
{
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    // Left behind by a deleted operator of the same name: not inherited.
    EXEC_OK(t, QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) values('chen', :l)"),
            (QVariantMap{{QStringLiteral(":l"), limitName(QStringLiteral("203"))}}));
    MessageSpy spy;
    TfrmOperGl w(&dm);

    QStringList afterSaves;   // what the editor shows after each save: name, boxes, checks, still open
    QStringList offered;
    ModalGuard modal([&](QDialog *d) {
        auto *ed = qobject_cast<TFrmLimitGl *>(d);
        if (!ed)
            return int(QDialog::Rejected);
        auto *list = child<QListWidget>(ed, "clbOperLimt");
        for (int i = 0; i < list->count(); ++i)
            offered << list->item(i)->text();
        QSignalSpy finished(ed, &QDialog::finished);
        const auto save = [&](const QString &name, const QString &pass, const QStringList &checks) {
            child<QComboBox>(ed, "cbbName")->setEditText(name);
            child<QLineEdit>(ed, "edtPassWord")->setText(pass);
            child<QLineEdit>(ed, "edtRepPass")->setText(pass);
            child<QPlainTextEdit>(ed, "Mem1")->setPlainText(name + QStringLiteral("的说明"));
            child<QCheckBox>(ed, "cbXtFlag")->setChecked(true);
            checkOnly(list, checks);
            ed->BitBtn1Click();
            afterSaves << QStringLiteral("%1|%2|%3|%4|%5|open=%6")
                              .arg(child<QComboBox>(ed, "cbbName")->currentText(),
                                   child<QLineEdit>(ed, "edtPassWord")->text(),
                                   child<QPlainTextEdit>(ed, "Mem1")->toPlainText(),
                                   checkedEntries(list).join(u','))
                              .arg(int(child<QCheckBox>(ed, "cbXtFlag")->isChecked()))
                              .arg(int(finished.isEmpty()));
        };
        save(QStringLiteral(" chen "), QStringLiteral("1"), {limitName(QStringLiteral("301")), limitName(QStringLiteral("201"))});
        save(QStringLiteral("zhou"), QString(), {});
        ed->BitBtn2Click();
        return ed->result();
    });
    w.Button1Click();

    QCOMPARE(offered.size(), 40);
    QCOMPARE(afterSaves, (QStringList{"||||0|open=1", "||||0|open=1"}));
    QCOMPARE(operatorNames(t), (QStringList{"admin", "li", "zhang", "o'brien", "chen", "zhou"}));
    QVERIFY(PasswordHash::verify(storedPassword(t, QStringLiteral("chen")), QStringLiteral("1")));
    // A new operator saved with empty boxes has the empty password.
    QVERIFY(PasswordHash::verify(storedPassword(t, QStringLiteral("zhou")), QString()));
    // Grants in list order, top to bottom.
    QCOMPARE(grantsOf(t, QStringLiteral("chen")), (QStringList{limitName(QStringLiteral("201")), limitName(QStringLiteral("301"))}));
    QCOMPARE(grantsOf(t, QStringLiteral("zhou")), QStringList());
    QCOMPARE(t.scalar(QStringLiteral("select F_Mem from OperList where F_Name = 'chen'")).toString(), QStringLiteral(" chen 的说明"));
    // The list was read again after each save and stands on the last one.
    QCOMPARE(w.currentOperator().name, QStringLiteral("zhou"));
    QCOMPARE(w.grid()->rowCount(), 5);
    QCOMPARE(spy.texts(), QStringList());
}

void TestAccess::editOperator_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pass");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QStringList>("message");
    QTest::addColumn<QString>("valid");      // the password of the saved operator afterwards
    QTest::addColumn<QString>("invalid");

    const QStringList none;
    for (const auto &[engineName, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(engineName + u'/' + QLatin1String(what))); };
        *row("empty boxes keep the password") << engine << "li" << "" << "" << none << "pw " << "";
        *row("a typed pair replaces it") << engine << "li" << "neu" << "neu" << none << "neu" << "pw ";
        *row("a blank in the pair is part of the password") << engine << "li" << " " << " " << none << " " << "pw ";
        *row("the pair must agree as typed") << engine << "li" << "neu" << "neu " << QStringList{"验正码不正确，请重新确认输入！"}
                                             << "pw " << "neu";
        *row("one box typed") << engine << "li" << "neu" << "" << QStringList{"验正码不正确，请重新确认输入！"} << "pw "
                              << "neu";
        *row("empty name") << engine << "  " << "" << "" << QStringList{"操作员名称不能为空！"} << "pw " << "";
        *row("a disabled operator's name in other letters")
            << engine << "ZHANG" << "" << "" << QStringList{"操作员名称重复，请重新输入！"} << "pw " << "";
        *row("admin's name") << engine << "Admin" << "" << "" << QStringList{"操作员名称重复，请重新输入！"} << "pw " << "";
        *row("his own name in other letters") << engine << "LI" << "" << "" << none << "pw " << "";
        *row("renamed, with a quote") << engine << "li'x" << "" << "" << none << "pw " << "";
    }
}

void TestAccess::editOperator()
{
    QFETCH(QString, name);
    QFETCH(QString, pass);
    QFETCH(QString, repeat);
    QFETCH(QStringList, message);
    QFETCH(QString, valid);
    QFETCH(QString, invalid);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    // li also holds a permission that the editor no longer offers.
    EXEC_OK(t, QStringLiteral("update Limits set F_flag = false where F_code = '503'"), QVariantMap());
    EXEC_OK(t, QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) values('li', :l)"),
            (QVariantMap{{QStringLiteral(":l"), limitName(QStringLiteral("503"))}}));
    const QStringList checks{limitName(QStringLiteral("202")), limitName(QStringLiteral("402"))};

    MessageSpy spy;
    TfrmOperGl w(&dm);
    QVERIFY(w.grid()->setCurrentRow(1));
    QStringList loaded;
    bool closed = false;
    ModalGuard modal([&](QDialog *d) {
        auto *ed = qobject_cast<TFrmLimitGl *>(d);
        if (!ed)
            return int(QDialog::Rejected);
        auto *list = child<QListWidget>(ed, "clbOperLimt");
        auto *box = child<QComboBox>(ed, "cbbName");
        loaded << box->currentText() << child<QLineEdit>(ed, "edtPassWord")->text()
               << child<QLineEdit>(ed, "edtRepPass")->text() << child<QPlainTextEdit>(ed, "Mem1")->toPlainText()
               << QString::number(child<QCheckBox>(ed, "cbXtFlag")->isChecked())
               << QString::number(child<QCheckBox>(ed, "CheckBox1")->isChecked()) << checkedEntries(list).join(u',');
        QSignalSpy finished(ed, &QDialog::finished);
        box->setEditText(name);
        child<QLineEdit>(ed, "edtPassWord")->setText(pass);
        child<QLineEdit>(ed, "edtRepPass")->setText(repeat);
        checkOnly(list, checks);
        ed->BitBtn1Click();
        closed = !finished.isEmpty();
        return ed->result();
    });
    w.Button2Click();

    // Change mode shows no password: there is none to show.
    QCOMPARE(loaded, (QStringList{"li", "", "", "财务", "1", "0", limitName(QStringLiteral("201"))}));
    QCOMPARE(spy.texts(), message);
    const bool saved = message.isEmpty();
    QCOMPARE(closed, saved);
    const QString savedName = saved ? name.trimmed() : QStringLiteral("li");
    QCOMPARE(operatorNames(t), (QStringList{"admin", savedName, "zhang", "o'brien"}));
    QVERIFY(PasswordHash::verify(storedPassword(t, savedName), valid));
    QVERIFY(!PasswordHash::verify(storedPassword(t, savedName), invalid));
    if (saved) {
        // The grants are the editor's; nothing stays under the old name.
        QCOMPARE(grantsOf(t, savedName), checks);
        if (savedName.compare(QLatin1String("li"), Qt::CaseInsensitive) != 0)
            QCOMPARE(grantsOf(t, QStringLiteral("li")), QStringList());
        QCOMPARE(w.currentOperator().name, savedName);
    } else {
        QCOMPARE(grantsOf(t, QStringLiteral("li")), (QStringList{limitName(QStringLiteral("201")), limitName(QStringLiteral("503"))}));
    }
}

void TestAccess::saveIsOneTransaction_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<bool>("editMode");
    for (const auto &[engineName, engine] : engines()) {
        QTest::newRow(qPrintable(engineName + QStringLiteral("/new operator"))) << engine << false;
        QTest::newRow(qPrintable(engineName + QStringLiteral("/changed operator"))) << engine << true;
    }
}

void TestAccess::saveIsOneTransaction()
{
    QFETCH(bool, editMode);
    OPEN_DB(t);
    addOperators(t);
    if (QTest::currentTestFailed())
        return;
    const QString before = storedPassword(t, QStringLiteral("li"));
    MessageSpy spy;
    TfrmOperGl w(&dm);
    QVERIFY(w.grid()->setCurrentRow(1));
    bool open = false;
    bool dropped = false;
    ModalGuard modal([&](QDialog *d) {
        auto *ed = qobject_cast<TFrmLimitGl *>(d);
        if (!ed)
            return int(QDialog::Rejected);
        QSignalSpy finished(ed, &QDialog::finished);
        child<QComboBox>(ed, "cbbName")->setEditText(QStringLiteral("sun"));
        child<QLineEdit>(ed, "edtPassWord")->setText(QStringLiteral("s"));
        child<QLineEdit>(ed, "edtRepPass")->setText(QStringLiteral("s"));
        child<QCheckBox>(ed, "CheckBox1")->setChecked(true);
        // The grants cannot be written: the operator row must not be either.
        dropped = QSqlQuery(t.db()).exec(QStringLiteral("drop table OperLimit"));   // unprepared: DDL
        ed->BitBtn1Click();
        open = finished.isEmpty();
        return ed->result();
    });
    if (editMode)
        w.Button2Click();
    else
        w.Button1Click();

    QVERIFY(dropped);
    QCOMPARE(spy.texts(), QStringList{SaveFailed});
    QCOMPARE(spy.lastStyle(), int(MessError));
    QVERIFY(open);
    QCOMPARE(operatorNames(t), (QStringList{"admin", "li", "zhang", "o'brien"}));
    QCOMPARE(storedPassword(t, QStringLiteral("li")), before);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from OperList where F_Flag = true")).toInt(), 1);
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
