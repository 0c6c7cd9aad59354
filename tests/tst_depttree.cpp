// The department tree: TFrmTreeCodeMan maintaining the tree (add, rename
// with the one-transaction re-path of employees and sub-departments, delete
// with children), picking a department for a box, the name dialog, and the
// main-window commands built on them. Whatever writes runs once per engine.
#include "admin/depttreestore.h"
#include "admin/dictionarycommands.h"
#include "admin/tdlgentercaption.h"
#include "admin/tfrmtreecodeman.h"
#include "app/deptfilter.h"
#include "app/deptpicker.h"
#include "app/modal.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"
#include "messagespy.h"
#include "personnel/employeebrowser.h"
#include "personnel/mainactions.h"
#include "personnel/tfrmmain.h"
#include "testdatabase.h"

#include <QAction>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

namespace {

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));                                                                        \
    TdmData dm

QList<std::pair<QString, DbEngine>> engines()
{
    QList<std::pair<QString, DbEngine>> out{{QStringLiteral("sqlite"), DbEngine::Sqlite}};
    if (TestDatabase::postgresConfigured())
        out.append({QStringLiteral("postgresql"), DbEngine::PostgreSql});
    return out;
}

const QString Root = QStringLiteral("\\\\总公司");

// 总公司 > 财务部 > 会计组, 财务部二组 (its name begins like 财务部's),
// 人事部 > 招聘组 (no employees), IT部.
const QStringList Depts{QStringLiteral("001 总公司"),     QStringLiteral("001001 财务部"), QStringLiteral("001001001 会计组"),
                        QStringLiteral("001002 财务部二组"), QStringLiteral("001003 人事部"), QStringLiteral("001003001 招聘组"),
                        QStringLiteral("001004 IT部")};

// Rows "code name"; each path is made of the names of the code's prefixes.
bool insertDepts(const TestDatabase &t, const QStringList &rows, QString *why)
{
    QHash<QString, QString> names;
    for (const QString &row : rows)
        names.insert(row.section(u' ', 0, 0), row.section(u' ', 1));
    for (const QString &row : rows) {
        const QString code = row.section(u' ', 0, 0);
        QStringList path;
        for (int n = 3; n <= code.size(); n += 3)
            path << names.value(code.left(n));
        if (!t.exec(QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values(:c,:n,:p,'dept')"),
                    {{QStringLiteral(":c"), code}, {QStringLiteral(":n"), names.value(code)},
                     {QStringLiteral(":p"), QStringLiteral("\\\\") + path.join(u'\\')}},
                    why))
            return false;
    }
    return true;
}

// Employees E01 in 财务部, E02 in 会计组, E03 in 财务部二组, E04 in 总公司,
// E05 in IT部; a transfer into 财务部.
bool insertPeople(const TestDatabase &t, QString *why)
{
    const QList<std::pair<const char *, QString>> people = {
        {"E01", Root + QStringLiteral("\\财务部")},       {"E02", Root + QStringLiteral("\\财务部\\会计组")},
        {"E03", Root + QStringLiteral("\\财务部二组")}, {"E04", Root},
        {"E05", Root + QStringLiteral("\\IT部")},
    };
    for (const auto &[code, dept] : people) {
        if (!t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_dept,F_sex,F_useFlag) values(:c,:c,:d,'男',false)"),
                    {{QStringLiteral(":c"), QString::fromLatin1(code)}, {QStringLiteral(":d"), dept}}, why))
            return false;
    }
    return t.exec(QStringLiteral("insert into t_DDrec(F_empID,F_code,F_NewDept) values(1,'E01',:d)"),
                  {{QStringLiteral(":d"), Root + QStringLiteral("\\财务部")}}, why);
}

#define LOAD_FIXTURE(t)                                                                                      \
    do {                                                                                                     \
        QString why_;                                                                                        \
        QVERIFY2(insertDepts(t, Depts, &why_) && insertPeople(t, &why_), qPrintable(why_));                  \
    } while (false)

QStringList employees(const TestDatabase &t)
{
    return t.column(QStringLiteral("select F_code || ' ' || F_dept from t_employee order by F_code"));
}

QStringList treeRows(const TestDatabase &t)
{
    return t.column(QStringLiteral("select F_code || ' ' || F_name || ' ' || F_likecode from t_treecode order by F_code"));
}

QTreeWidgetItem *node(const TFrmTreeCodeMan &w, const QString &name)
{
    const QList<QTreeWidgetItem *> found = w.tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Makes the node current and selected; the root for an empty name.
bool select(TFrmTreeCodeMan &w, const QString &name)
{
    QTreeWidgetItem *item = name.isEmpty() ? w.tree()->topLevelItem(0) : node(w, name);
    if (item)
        w.tree()->setCurrentItem(item);
    return item;
}

// Answers modal windows with the steps given, in order (a step may open a
// further window, answered by the next step); every title is remembered.
// A window without a step left is cancelled.
class ModalScript
{
public:
    using Step = std::function<int(QDialog *)>;

    explicit ModalScript(QList<Step> steps = {}) : m_steps(std::move(steps))
    {
        m_previous = SetModalHandler([this](QDialog *d) {
            titles << d->windowTitle();
            if (m_steps.isEmpty())
                return int(QDialog::Rejected);
            const Step step = m_steps.takeFirst();
            return step(d);
        });
    }
    ~ModalScript() { SetModalHandler(m_previous); }
    int left() const { return int(m_steps.size()); }

    QStringList titles;

private:
    QList<Step> m_steps;
    ModalHandler m_previous;
};

// The name dialog: type the text, press 确定; its own result tells whether it closed.
ModalScript::Step typeName(const QString &text, QString *prefilled = nullptr)
{
    return [text, prefilled](QDialog *d) {
        auto *dialog = qobject_cast<TDLGenterCaption *>(d);
        if (!dialog)
            return int(QDialog::Rejected);
        auto *edit = d->findChild<QLineEdit *>(QStringLiteral("edtCurValue"));
        if (prefilled)
            *prefilled = edit->text();
        edit->setText(text);
        dialog->btnOkClick();
        return d->result();
    };
}

ModalScript::Step cancel()
{
    return [](QDialog *d) {
        d->reject();
        return int(QDialog::Rejected);
    };
}

// The tree window in pick mode: choose the node and press 确定.
ModalScript::Step pickNode(const QString &name)
{
    return [name](QDialog *d) {
        auto *w = qobject_cast<TFrmTreeCodeMan *>(d);
        if (!w || !select(*w, name))
            return int(QDialog::Rejected);
        w->btnOkClick();
        return d->result();
    };
}

const QString Sibling = QStringLiteral("sibling");
const QString Child = QStringLiteral("child");

} // namespace

class TestDeptTree : public QObject
{
    Q_OBJECT
private slots:
    void childPath_data();
    void childPath();

    void renameMovesExactSubtree_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void renameMovesExactSubtree();
    void renameWritesNothing_data();
    void renameWritesNothing();
    void renameFailureWritesNothing_data();
    void renameFailureWritesNothing();
    void addNode_data();
    void addNode();
    void addRefused_data();
    void addRefused();
    void deleteNode_data();
    void deleteNode();

    void pickPreselectsAndConfirms();
    void pickRefusesRoot();
    void pickUnknownPathCancelled();
    void pickByDoubleClickAndEnter();
    void pickerSeam();
    void keys_data();
    void keys();

    void nameDialog();
    void changeSelectedDept_data();
    void changeSelectedDept();
    void action105ReloadsMainWindow();
};

void TestDeptTree::childPath_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("below the root") << QStringLiteral("\\\\") << QStringLiteral("总公司") << Root;
    QTest::newRow("below level 1") << Root << QStringLiteral("财务部") << Root + QStringLiteral("\\财务部");
    QTest::newRow("three backslashes become two") << QStringLiteral("\\\\") << QStringLiteral("\\总公司") << Root;
}

void TestDeptTree::childPath()
{
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(DeptTreeStore::childPath(parent, name), expected);
}

void TestDeptTree::renameMovesExactSubtree()
{
    OPEN_DB(t);
    LOAD_FIXTURE(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QVERIFY(select(w, QStringLiteral("财务部")));
    QString prefilled;
    ModalScript modal({typeName(QStringLiteral("财务中心"), &prefilled)});
    w.btnEditClick();

    QCOMPARE(modal.titles, QStringList{QStringLiteral("修改类别 001001 财务部 子类")});
    QCOMPARE(prefilled, QStringLiteral("财务部"));
    QCOMPARE(spy.texts(), QStringList());
    const QString moved = Root + QStringLiteral("\\财务中心");
    QCOMPARE(employees(t), (QStringList{QStringLiteral("E01 ") + moved, QStringLiteral("E02 ") + moved + QStringLiteral("\\会计组"),
                                        QStringLiteral("E03 ") + Root + QStringLiteral("\\财务部二组"),
                                        QStringLiteral("E04 ") + Root, QStringLiteral("E05 ") + Root + QStringLiteral("\\IT部")}));
    QCOMPARE(treeRows(t).mid(0, 4),
             (QStringList{QStringLiteral("001 总公司 ") + Root, QStringLiteral("001001 财务中心 ") + moved,
                          QStringLiteral("001001001 会计组 ") + moved + QStringLiteral("\\会计组"),
                          QStringLiteral("001002 财务部二组 ") + Root + QStringLiteral("\\财务部二组")}));
    // Event records keep the department they were saved with.
    QCOMPARE(t.scalar(QStringLiteral("select F_NewDept from t_DDrec")).toString(), Root + QStringLiteral("\\财务部"));

    // The window shows the new name, and its nodes stand for the new paths.
    QVERIFY(!node(w, QStringLiteral("财务部")));
    QCOMPARE(TFrmTreeCodeMan::nodePath(node(w, QStringLiteral("财务中心"))), moved);
    QCOMPARE(TFrmTreeCodeMan::nodePath(node(w, QStringLiteral("会计组"))), moved + QStringLiteral("\\会计组"));
    QCOMPARE(TdmData::NodeData(node(w, QStringLiteral("财务中心"))).F_name, QStringLiteral("财务中心"));

    // A level-1 department takes everything below it along.
    QVERIFY(select(w, QStringLiteral("总公司")));
    ModalScript again({typeName(QStringLiteral("集团"))});
    w.btnEditClick();
    QCOMPARE(spy.texts(), QStringList());
    const QString group = QStringLiteral("\\\\集团");
    QCOMPARE(employees(t), (QStringList{QStringLiteral("E01 ") + group + QStringLiteral("\\财务中心"),
                                        QStringLiteral("E02 ") + group + QStringLiteral("\\财务中心\\会计组"),
                                        QStringLiteral("E03 ") + group + QStringLiteral("\\财务部二组"),
                                        QStringLiteral("E04 ") + group, QStringLiteral("E05 ") + group + QStringLiteral("\\IT部")}));
    QVariantMap below;
    const QString inGroup = DeptSubtreeCondition(QStringLiteral("F_likecode"), group, below);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_treecode where (1=1)") + inGroup, below).toInt(), int(Depts.size()));
    QCOMPARE(TFrmTreeCodeMan::nodePath(node(w, QStringLiteral("招聘组"))), group + QStringLiteral("\\人事部\\招聘组"));
}

void TestDeptTree::renameWritesNothing_data()
{
    QTest::addColumn<QString>("typed");   // empty: the dialog is cancelled
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("only the letter case") << QStringLiteral("it部") << QStringList();
    QTest::newRow("the same name with blanks") << QStringLiteral("  IT部 ") << QStringList();
    QTest::newRow("cancelled") << QString() << QStringList();
    // Two departments of one path would share their employees.
    QTest::newRow("a sibling's name") << QStringLiteral("人事部")
                                      << QStringList{QStringLiteral("同一级别下已有名为“人事部”的部门，请换一个名称！")};
    QTest::newRow("a backslash") << QStringLiteral("IT\\部") << QStringList{QStringLiteral("部门名称不能包含反斜杠“\\”，请重新输入！")};
}

void TestDeptTree::renameWritesNothing()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    const QStringList people = employees(t);
    const QStringList tree = treeRows(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QVERIFY(select(w, QStringLiteral("IT部")));
    ModalScript modal({typed.isEmpty() ? cancel() : typeName(typed)});
    w.btnEditClick();
    QCOMPARE(modal.titles.size(), 1);
    QCOMPARE(spy.texts(), messages);
    QCOMPARE(employees(t), people);
    QCOMPARE(treeRows(t), tree);
    QVERIFY(node(w, QStringLiteral("IT部")));
}

void TestDeptTree::renameFailureWritesNothing_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("dept");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    for (const auto &[label, engine] : engines()) {
        // Its employees' paths would outgrow t_employee.F_dept (50).
        QTest::newRow(qPrintable(label + QStringLiteral("/moving employees fails"))) << engine << QStringLiteral("财务部")
                                                                                 << QString(45, u'财') << TdmData::FailedText;
        // Sub-departments move, then the node's own name (50 at most) is refused.
        QTest::newRow(qPrintable(label + QStringLiteral("/the node's own row fails"))) << engine << QStringLiteral("人事部")
                                                                                   << QString(51, u'人') << TFrmTreeCodeMan::WriteFailedText;
    }
}

void TestDeptTree::renameFailureWritesNothing()
{
    QFETCH(QString, dept);
    QFETCH(QString, name);
    QFETCH(QString, message);
    OPEN_DB(t);
    LOAD_FIXTURE(t);
    const QStringList people = employees(t);
    const QStringList tree = treeRows(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QVERIFY(select(w, dept));
    ModalScript modal({typeName(name)});
    w.btnEditClick();
    QCOMPARE(spy.texts(), QStringList{message});
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(employees(t), people);
    QCOMPARE(treeRows(t), tree);
    QVERIFY(node(w, dept));
    QCOMPARE(TdmData::NodeData(node(w, dept)).F_name, dept);
}

void TestDeptTree::addNode_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QStringList>("depts");
    QTest::addColumn<QString>("selected");   // empty: the root
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");     // of the new node on screen; empty: the root

    QStringList nine{QStringLiteral("001 总公司")};
    for (int i = 1; i <= 9; ++i)
        nine << QStringLiteral("001%1 部门%2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
    const QStringList two{QStringLiteral("001 总公司"), QStringLiteral("002 分公司")};

    for (const auto &[label, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(label + u'/' + QString::fromUtf8(what))); };
        *row("first child of an empty tree") << engine << QStringList() << QString() << Child << QStringLiteral("总公司")
                                             << QStringLiteral("添加 000 员工部门资料 子类") << "001" << Root << QString();
        *row("next sibling of 001009") << engine << nine << QStringLiteral("部门9") << Sibling << QStringLiteral("部门十")
                                       << QStringLiteral("添加 001009 部门9 同类") << "001010" << Root + QStringLiteral("\\部门十")
                                       << QStringLiteral("总公司");
        *row("first child of 002") << engine << two << QStringLiteral("分公司") << Child << QStringLiteral("销售部")
                                   << QStringLiteral("添加 002 分公司 子类") << "002001" << QStringLiteral("\\\\分公司\\销售部")
                                   << QStringLiteral("分公司");
        *row("sibling on level 1") << engine << two << QStringLiteral("总公司") << Sibling << QStringLiteral("办事处")
                                   << QStringLiteral("添加 001 总公司 同类") << "003" << QStringLiteral("\\\\办事处") << QString();
        *row("child of the root") << engine << two << QString() << Child << QStringLiteral("办事处")
                                  << QStringLiteral("添加 000 员工部门资料 子类") << "003" << QStringLiteral("\\\\办事处") << QString();
        *row("quotes and percent as typed") << engine << two << QStringLiteral("总公司") << Child
                                            << QStringLiteral("O'Neil 50%_部") << QStringLiteral("添加 001 总公司 子类") << "001001"
                                            << Root + QStringLiteral("\\O'Neil 50%_部") << QStringLiteral("总公司");
        *row("blanks around the name") << engine << two << QStringLiteral("总公司") << Child << QStringLiteral("  销售部 ")
                                       << QStringLiteral("添加 001 总公司 子类") << "001001" << Root + QStringLiteral("\\销售部")
                                       << QStringLiteral("总公司");
    }
}

void TestDeptTree::addNode()
{
    QFETCH(QStringList, depts);
    QFETCH(QString, selected);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, code);
    QFETCH(QString, path);
    QFETCH(QString, parent);
    OPEN_DB(t);
    QString why;
    QVERIFY2(insertDepts(t, depts, &why), qPrintable(why));
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QVERIFY(select(w, selected));
    ModalScript modal({typeName(name)});
    if (kind == Sibling)
        w.btnAddSameClick();
    else
        w.btnAddChildClick();

    QCOMPARE(modal.titles, QStringList{title});
    QCOMPARE(spy.texts(), QStringList());
    const QString trimmed = name.trimmed();
    QCOMPARE(t.column(QStringLiteral("select F_name || '|' || F_likecode || '|' || F_flag from t_treecode where F_code = :c"),
                      {{QStringLiteral(":c"), code}}),
             QStringList{trimmed + u'|' + path + QStringLiteral("|dept")});
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_treecode")).toInt(), depts.size() + 1);

    // On screen: the last child of its parent, current, with its record.
    QTreeWidgetItem *added = w.tree()->currentItem();
    QVERIFY(added);
    QCOMPARE(added->text(0), trimmed);
    QTreeWidgetItem *up = added->parent();
    QVERIFY(up);
    QCOMPARE(up->parent() ? up->text(0) : QString(), parent);
    QCOMPARE(up->indexOfChild(added), up->childCount() - 1);
    const tNodeData d = TdmData::NodeData(added);
    QCOMPARE(d.F_code, code);
    QCOMPARE(d.F_name, trimmed);
    QCOMPARE(d.F_likecode, path);
}

void TestDeptTree::addRefused_data()
{
    QTest::addColumn<QStringList>("depts");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");   // empty: no dialog expected
    QTest::addColumn<QStringList>("messages");

    QStringList full{QStringLiteral("001 总公司")};
    for (int i = 1; i <= 999; ++i)
        full << QStringLiteral("001%1 部门%2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
    const QString fullText = QStringLiteral("该级别已有999个部门，不能再增加节点！");

    QTest::newRow("sibling of the root") << Depts << QString() << Sibling << QString()
                                         << QStringList{QStringLiteral("不能增加根节点的同类节点，该节点只能增加子节点！")};
    QTest::newRow("child on a full level") << full << QStringLiteral("总公司") << Child << QString() << QStringList{fullText};
    QTest::newRow("sibling on a full level") << full << QStringLiteral("部门5") << Sibling << QString() << QStringList{fullText};
    QTest::newRow("a backslash in the name") << Depts << QStringLiteral("总公司") << Child << QStringLiteral("财务\\审计部")
                                             << QStringList{QStringLiteral("部门名称不能包含反斜杠“\\”，请重新输入！")};
    QTest::newRow("a sibling of that name") << Depts << QStringLiteral("财务部") << Sibling << QStringLiteral("人事部")
                                            << QStringList{QStringLiteral("同一级别下已有名为“人事部”的部门，请换一个名称！")};
    QTest::newRow("a sibling of that name in another case") << Depts << QStringLiteral("总公司") << Child << QStringLiteral("it部")
                                                            << QStringList{QStringLiteral("同一级别下已有名为“it部”的部门，请换一个名称！")};
    QTest::newRow("an empty name") << Depts << QStringLiteral("总公司") << Child << QStringLiteral("   ")
                                   << QStringList{QStringLiteral("部门名称不能为空！")};
}

void TestDeptTree::addRefused()
{
    QFETCH(QStringList, depts);
    QFETCH(QString, selected);
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    {
        QSqlDatabase db = t.db();
        db.transaction();
        QString why;
        QVERIFY2(insertDepts(t, depts, &why), qPrintable(why));
        db.commit();
    }
    const QStringList before = treeRows(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    const int nodes = int(w.tree()->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive).size());
    QVERIFY(select(w, selected));
    ModalScript modal({typeName(typed)});
    if (kind == Sibling)
        w.btnAddSameClick();
    else
        w.btnAddChildClick();

    QCOMPARE(spy.texts(), messages);
    // A refused name keeps the dialog open; the operator then gives up.
    QCOMPARE(modal.titles.size(), typed.isNull() ? 0 : 1);
    QCOMPARE(treeRows(t), before);
    QCOMPARE(int(w.tree()->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive).size()), nodes);
}

void TestDeptTree::deleteNode_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("gone");   // codes
    for (const auto &[label, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(label + u'/' + QString::fromUtf8(what))); };
        *row("a leaf") << engine << QStringLiteral("会计组") << int(MessYes)
                       << QStringLiteral("真的要删除当前节点 “001001001会计组” 吗？") << QStringList{"001001001"};
        *row("with children") << engine << QStringLiteral("财务部") << int(MessYes)
                              << QStringLiteral("此节点包含有子节点，真的要删除所有的子节点吗？")
                              << QStringList{"001001", "001001001"};
        *row("answered no") << engine << QStringLiteral("财务部") << int(MessNo)
                            << QStringLiteral("此节点包含有子节点，真的要删除所有的子节点吗？") << QStringList();
    }
    QTest::newRow("the root") << DbEngine::Sqlite << QString() << int(MessYes) << QStringLiteral("不能删除根节点！") << QStringList();
}

void TestDeptTree::deleteNode()
{
    QFETCH(QString, selected);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QStringList, gone);
    OPEN_DB(t);
    LOAD_FIXTURE(t);
    const QStringList people = employees(t);
    QStringList expected;
    for (const QString &row : treeRows(t)) {
        if (!gone.contains(row.section(u' ', 0, 0)))
            expected << row;
    }
    MessageSpy spy;
    spy.answer(answer);
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QVERIFY(select(w, selected));
    w.btnDeleteClick();

    QCOMPARE(spy.texts(), QStringList{message});
    QCOMPARE(treeRows(t), expected);
    // Employees keep the paths they carry.
    QCOMPARE(employees(t), people);
    if (!selected.isEmpty())
        QCOMPARE(!node(w, selected), !gone.isEmpty());
    QVERIFY(w.tree()->topLevelItem(0));
    QCOMPARE(bool(node(w, QStringLiteral("会计组"))), !gone.contains(QStringLiteral("001001001")));
    QVERIFY(node(w, QStringLiteral("财务部二组")));
}

void TestDeptTree::pickPreselectsAndConfirms()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::PickMode);
    const QString current = Root + QStringLiteral("\\财务部\\会计组");
    bool preselected = false;
    ModalScript modal({[&](QDialog *d) {
        QTreeWidgetItem *item = w.tree()->currentItem();
        preselected = item && item->isSelected() && item->text(0) == QStringLiteral("会计组") && item->parent()->isExpanded()
                      && !w.findChild<QWidget *>(QStringLiteral("pnlBottom"))->isHidden();
        w.btnOkClick();
        return d->result();
    }});
    QString path;
    QVERIFY(w.PickDept(current, path));
    QVERIFY(preselected);
    QCOMPARE(path, current);
    QCOMPARE(modal.titles, QStringList{QStringLiteral("员工部门资料")});
    QCOMPARE(spy.texts(), QStringList());
}

void TestDeptTree::pickRefusesRoot()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    MessageSpy spy;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::PickMode);
    bool stayedOpen = false;
    ModalScript modal({[&](QDialog *d) {
        select(w, QString());
        w.btnOkClick();
        stayedOpen = d->result() == QDialog::Rejected;
        select(w, QStringLiteral("财务部二组"));
        w.btnOkClick();
        return d->result();
    }});
    QString path;
    QVERIFY(w.PickDept(QString(), path));
    QCOMPARE(spy.texts(), QStringList{QStringLiteral("不能选择根节点！")});
    QCOMPARE(spy.lastStyle(), int(MessInfo));
    QVERIFY(stayedOpen);
    QCOMPARE(path, Root + QStringLiteral("\\财务部二组"));
}

void TestDeptTree::pickUnknownPathCancelled()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::PickMode);
    bool noneSelected = false;
    ModalScript modal({[&](QDialog *d) {
        noneSelected = w.tree()->selectedItems().isEmpty();
        w.btnCancelClick();
        return d->result();
    }});
    const QString typed = QStringLiteral("\\\\别处\\某部");
    QString path = QStringLiteral("not set");
    QVERIFY(!w.PickDept(typed, path));
    QVERIFY(noneSelected);
    QCOMPARE(path, typed);
}

void TestDeptTree::pickByDoubleClickAndEnter()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    MessageSpy spy;
    {
        TFrmTreeCodeMan w(&dm);
        w.OpenTree(TFrmTreeCodeMan::PickMode);
        QSignalSpy finished(&w, &QDialog::finished);
        w.tvTreeDblClick(w.tree()->topLevelItem(0));   // the root: nothing
        QCOMPARE(finished.size(), 0);
        w.tvTreeDblClick(node(w, QStringLiteral("人事部")));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }
    {
        TFrmTreeCodeMan w(&dm);
        w.OpenTree(TFrmTreeCodeMan::PickMode);
        QSignalSpy finished(&w, &QDialog::finished);
        select(w, QString());
        QTest::keyClick(w.tree(), Qt::Key_Return);
        QCOMPARE(finished.size(), 0);
        select(w, QStringLiteral("招聘组"));
        QTest::keyClick(w.tree(), Qt::Key_Return);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }
    {
        // In maintain mode a double-click picks nothing.
        TFrmTreeCodeMan w(&dm);
        w.OpenTree(TFrmTreeCodeMan::MaintainMode);
        QSignalSpy finished(&w, &QDialog::finished);
        w.tvTreeDblClick(node(w, QStringLiteral("人事部")));
        QCOMPARE(finished.size(), 0);
    }
    QCOMPARE(spy.texts(), QStringList());
}

void TestDeptTree::pickerSeam()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    const DeptPickHandler previous = SetDeptPicker({});
    InstallDeptPicker(&dm);
    QVERIFY(HasDeptPicker());
    {
        ModalScript modal({pickNode(QStringLiteral("会计组"))});
        QCOMPARE(PickDeptPath(nullptr, Root), Root + QStringLiteral("\\财务部\\会计组"));
        QCOMPARE(modal.titles, QStringList{QStringLiteral("员工部门资料")});
    }
    {
        ModalScript modal({cancel()});
        QCOMPARE(PickDeptPath(nullptr, Root), QString());
    }
    SetDeptPicker(previous);
}

void TestDeptTree::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<bool>("closed");
    QTest::newRow("Del deletes") << int(Qt::Key_Delete) << int(Qt::NoModifier)
                                 << QStringList{QStringLiteral("真的要删除当前节点 “001001001会计组” 吗？")} << QStringList() << false;
    QTest::newRow("Ctrl+S renames") << int(Qt::Key_S) << int(Qt::ControlModifier) << QStringList()
                                    << QStringList{QStringLiteral("修改类别 001001001 会计组 子类")} << false;
    QTest::newRow("Esc closes") << int(Qt::Key_Escape) << int(Qt::NoModifier) << QStringList() << QStringList() << true;
    QTest::newRow("Enter in maintain mode") << int(Qt::Key_Return) << int(Qt::NoModifier) << QStringList() << QStringList() << false;
}

void TestDeptTree::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, dialogs);
    QFETCH(bool, closed);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    const QStringList before = treeRows(t);
    MessageSpy spy;
    ModalScript modal;
    TFrmTreeCodeMan w(&dm);
    w.OpenTree(TFrmTreeCodeMan::MaintainMode);
    QSignalSpy finished(&w, &QDialog::finished);
    QVERIFY(select(w, QStringLiteral("会计组")));
    QTest::keyClick(w.tree(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(spy.texts(), messages);
    QCOMPARE(modal.titles, dialogs);
    QCOMPARE(finished.size(), closed ? 1 : 0);
    if (closed)
        QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(treeRows(t), before);
}

void TestDeptTree::nameDialog()
{
    MessageSpy spy;
    const DeptPickHandler previous = SetDeptPicker([](QWidget *, const QString &current) {
        return current == QStringLiteral("取消") ? QString() : QStringLiteral("\\\\总公司\\人事部");
    });
    {
        TDLGenterCaption d;
        auto *edit = d.findChild<QLineEdit *>(QStringLiteral("edtCurValue"));
        auto *chooser = d.findChild<QToolButton *>(QStringLiteral("sbtype"));
        QVERIFY(edit && chooser);
        QVERIFY(chooser->isHidden());

        edit->setText(QStringLiteral("  "));
        d.btnOkClick();
        QCOMPARE(spy.texts(), QStringList{QStringLiteral("部门名称不能为空！")});
        QCOMPARE(spy.lastStyle(), int(MessInfo));
        QCOMPARE(d.result(), int(QDialog::Rejected));

        // The chooser fills the edit; a cancelled choice leaves it.
        d.setChooserVisible(true);
        QVERIFY(!chooser->isHidden());
        edit->setText(QStringLiteral("取消"));
        d.sbtypeClick();
        QCOMPARE(edit->text(), QStringLiteral("取消"));
        edit->setText(QStringLiteral("x"));
        d.sbtypeClick();
        QCOMPARE(edit->text(), QStringLiteral("\\\\总公司\\人事部"));
        d.btnOkClick();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    {
        QString prefilled;
        ModalScript modal({typeName(QStringLiteral("新名"), &prefilled)});
        QCOMPARE(TDLGenterCaption::AskName(nullptr, QStringLiteral("标题"), QStringLiteral("旧名")), QStringLiteral("新名"));
        QCOMPARE(prefilled, QStringLiteral("旧名"));
        QCOMPARE(modal.titles, QStringList{QStringLiteral("标题")});
    }
    {
        ModalScript modal({cancel()});
        QCOMPARE(TDLGenterCaption::AskName(nullptr, QStringLiteral("标题"), QStringLiteral("旧名")), QString());
    }
    SetDeptPicker(previous);
}

void TestDeptTree::changeSelectedDept_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("dialogAnswered");
    QTest::addColumn<QStringList>("selected");   // employee codes
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("moved");
    const QString question = QStringLiteral("真的要改变当前所选人员的部门吗？");
    QTest::newRow("two rows") << int(MessYes) << true << QStringList{"E01", "E03"} << QStringList{question}
                              << QStringList{"E01", "E03"};
    QTest::newRow("answered no") << int(MessNo) << true << QStringList{"E01"} << QStringList{question} << QStringList();
    QTest::newRow("dialog cancelled") << int(MessYes) << false << QStringList{"E01"} << QStringList{question} << QStringList();
    QTest::newRow("no row selected") << int(MessYes) << true << QStringList()
                                     << QStringList{question, QStringLiteral("请选择需要更改所选人员的部门资料！")} << QStringList();
}

void TestDeptTree::changeSelectedDept()
{
    QFETCH(int, answer);
    QFETCH(bool, dialogAnswered);
    QFETCH(QStringList, selected);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, moved);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    const DeptPickHandler previous = SetDeptPicker({});
    MessageSpy spy;
    spy.answer(answer);
    QStringList before;
    for (const QString &row : employees(t))
        before << row;

    TFrmMain main(&dm);
    main.FormShow();
    DictionaryCommands *commands = ConnectDictionaryCommands(&main, &dm);
    QVERIFY(main.actions()->hasHandler(QStringLiteral("actChangeDept")));
    EmployeeBrowser *b = main.browser();
    SqlPageModel *list = b->QryMain();
    QItemSelectionModel *selection = b->grid()->selectionModel();
    selection->clearSelection();
    for (int r = 0; r < list->rowCount(); ++r) {
        if (selected.contains(list->value(r, QStringLiteral("F_code")).toString()))
            selection->select(b->grid()->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const qint64 current = b->currentEmployeeId();

    // The dialog's chooser opens the tree; the path picked there is the answer.
    const QString target = Root + QStringLiteral("\\财务部\\会计组");
    bool chooserShown = false;
    ModalScript modal({[&](QDialog *d) {
                           chooserShown = !d->findChild<QToolButton *>(QStringLiteral("sbtype"))->isHidden();
                           if (!dialogAnswered)
                               return cancel()(d);
                           static_cast<TDLGenterCaption *>(d)->sbtypeClick();
                           static_cast<TDLGenterCaption *>(d)->btnOkClick();
                           return d->result();
                       },
                       pickNode(QStringLiteral("会计组"))});
    commands->ChangeSelectedDept();

    QCOMPARE(spy.texts(), messages);
    if (answer == MessYes) {
        QVERIFY(chooserShown);
        QCOMPARE(modal.titles.value(0), QStringLiteral("部门结构名称"));
    }
    QStringList expected;
    for (const QString &row : before) {
        const QString code = row.section(u' ', 0, 0);
        expected << (moved.contains(code) ? code + u' ' + target : row);
    }
    QCOMPARE(employees(t), expected);
    // The list shows the new values, on the row it was on.
    for (int r = 0; r < list->rowCount(); ++r) {
        if (moved.contains(list->value(r, QStringLiteral("F_code")).toString()))
            QCOMPARE(list->value(r, QStringLiteral("F_dept")).toString(), target);
    }
    QCOMPARE(b->currentEmployeeId(), current);
    SetDeptPicker(previous);
}

void TestDeptTree::action105ReloadsMainWindow()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    LOAD_FIXTURE(t);
    MessageSpy spy;
    TFrmMain main(&dm);
    main.FormShow();
    ConnectDictionaryCommands(&main, &dm);
    QTreeWidget *mainTree = main.browser()->findChild<QTreeWidget *>(QStringLiteral("tvTree"));
    QVERIFY(mainTree);

    // In the tree window: rename 财务部, then close it.
    ModalScript modal({[](QDialog *d) {
                           auto *w = qobject_cast<TFrmTreeCodeMan *>(d);
                           if (!w || w->mode() != TFrmTreeCodeMan::MaintainMode || !select(*w, QStringLiteral("财务部")))
                               return int(QDialog::Rejected);
                           w->btnEditClick();
                           return int(QDialog::Rejected);
                       },
                       typeName(QStringLiteral("财务中心"))});
    main.actions()->action(QStringLiteral("Action105"))->trigger();
    QCOMPARE(modal.left(), 0);
    QCOMPARE(spy.texts(), QStringList());

    QVERIFY(!mainTree->findItems(QStringLiteral("财务中心"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    QVERIFY(mainTree->findItems(QStringLiteral("财务部"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    QVERIFY(mainTree->topLevelItem(0)->isExpanded());
    SqlPageModel *list = main.browser()->QryMain();
    bool seen = false;
    for (int r = 0; r < list->rowCount(); ++r) {
        if (list->value(r, QStringLiteral("F_code")).toString() == QStringLiteral("E01")) {
            QCOMPARE(list->value(r, QStringLiteral("F_dept")).toString(), Root + QStringLiteral("\\财务中心"));
            seen = true;
        }
    }
    QVERIFY(seen);
}

QTEST_MAIN(TestDeptTree)
#include "tst_depttree.moc"
