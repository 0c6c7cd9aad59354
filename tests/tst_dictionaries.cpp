// The option lists: the window TFrmCodeMan with its browse and edit modes,
// pending changes written in one transaction or dropped, deleting at once,
// its keys; and the drop-down boxes that read the lists. Whatever writes
// runs once per engine.
#include "admin/codelistmodel.h"
#include "admin/tfrmcodeman.h"
#include "app/codecombobox.h"
#include "app/modal.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "messagespy.h"
#include "testdatabase.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

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

// Every row of t_code as "id|type|name", in F_ID order.
QStringList codeTable(const TestDatabase &t)
{
    return t.column(QStringLiteral("select cast(F_ID as varchar(20)) || '|' || F_type || '|' || F_name from t_code order by F_ID"));
}

QStringList listed(const CodeListModel *m)
{
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->name(r);
    return out;
}

QToolButton *tool(QWidget *w, const char *name)
{
    return w->findChild<QToolButton *>(QString::fromLatin1(name));
}

// Opens the grid's cell editor on a row (committing one open elsewhere, as
// moving to another row does) and types the text into it.
QLineEdit *typeIn(DataGrid *grid, int row, const QString &text)
{
    const QModelIndex at = grid->model()->index(row, 0);
    grid->setCurrentIndex(at);
    if (!grid->indexWidget(at))
        grid->edit(at);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(at));
    if (editor)
        editor->setText(text);
    return editor;
}

void openTab(TFrmCodeMan &w, const char *tab)
{
    w.findChild<QToolButton *>(QString::fromLatin1(tab))->click();
}

// Answers every modal window with "cancel", remembering their titles.
struct ModalTitles {
    QStringList titles;
    ModalHandler previous;
    ModalTitles()
    {
        previous = SetModalHandler([this](QDialog *d) {
            titles << d->windowTitle();
            return int(QDialog::Rejected);
        });
    }
    ~ModalTitles() { SetModalHandler(previous); }
};

} // namespace

class TestDictionaries : public QObject
{
    Q_OBJECT
private slots:
    void tabsOnSeveralLines();
    void tabsReadTheirCategory_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void tabsReadTheirCategory();
    void buttonStates_data();
    void buttonStates();
    void savedEntryReachesDropDowns_data();
    void savedEntryReachesDropDowns();
    void cancelLeavesTableAsItWas_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void cancelLeavesTableAsItWas();
    void saveIsAllOrNothing_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void saveIsAllOrNothing();
    void blankAppendedRowsAreNotStored();
    void deleteAsksAndWritesAtOnce_data();
    void deleteAsksAndWritesAtOnce();
    void emptyListRefusals_data();
    void emptyListRefusals();
    void keys_data();
    void keys();
    void printAndRefresh();
    void dropDownReadsTheList_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void dropDownReadsTheList();
};

void TestDictionaries::tabsOnSeveralLines()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    TFrmCodeMan w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget *tabs = w.findChild<QWidget *>(QStringLiteral("PageControl1"));
    QVERIFY(tabs);
    const QList<QToolButton *> buttons = tabs->findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 24);
    QSet<int> lines;
    for (QToolButton *b : buttons) {
        lines.insert(b->y());
        // Each caption fits its button.
        QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= b->width(), qPrintable(b->objectName()));
    }
    QVERIFY(lines.size() >= 2);
    QCOMPARE(w.currentCategory(), QStringLiteral("duty"));
    QCOMPARE(w.columnTitle(), QStringLiteral("职    务"));
}

void TestDictionaries::tabsReadTheirCategory()
{
    OPEN_DB(t);
    // A word stored in another letter case is the same category.
    QVERIFY_SQL(t, QStringLiteral("insert into t_code(F_type, F_name) values('MINZU', '其他民族')"));
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    QAbstractItemModelTester tester(w.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(listed(w.model()), t.column(QStringLiteral("select F_name from t_code where F_type = 'duty' order by F_ID")));
    QVERIFY(w.model()->rowCount() > 0);

    openTab(w, "tminzu");
    QCOMPARE(w.currentCategory(), QStringLiteral("minzu"));
    QCOMPARE(w.columnTitle(), QStringLiteral("民    族"));
    QCOMPARE(w.grid()->columns().value(0).caption, QStringLiteral("民    族"));
    QVERIFY(listed(w.model()).contains(QStringLiteral("其他民族")));

    // 公司性质 keeps the entries its readers ask for: gstype.
    openTab(w, "ttype");
    QCOMPARE(w.currentCategory(), QStringLiteral("gstype"));
    QCOMPARE(listed(w.model()), t.column(QStringLiteral("select F_name from t_code where F_type = 'gstype' order by F_ID")));
    QVERIFY(w.model()->rowCount() > 0);
    QCOMPARE(spy.texts(), QStringList());
}

void TestDictionaries::buttonStates_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<bool>("editing");
    QTest::newRow("opening") << QStringList() << false;
    QTest::newRow("新增") << QStringList{"tbNew"} << true;
    QTest::newRow("修改") << QStringList{"tbEdit"} << true;
    QTest::newRow("新增, 取消") << QStringList{"tbNew", "tbCancel"} << false;
    QTest::newRow("修改, 保存") << QStringList{"tbEdit", "tbSave"} << false;
}

void TestDictionaries::buttonStates()
{
    QFETCH(QStringList, presses);
    QFETCH(bool, editing);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    for (const QString &p : presses)
        w.findChild<QToolButton *>(p)->click();

    QCOMPARE(w.isEditing(), editing);
    for (const char *name : {"tbNew", "tbEdit", "tbDel", "tbExit", "tbRefresh", "tbPrint"})
        QVERIFY2(tool(&w, name)->isEnabled() == !editing, name);
    for (const char *name : {"tbSave", "tbCancel"})
        QVERIFY2(tool(&w, name)->isEnabled() == editing, name);
    QCOMPARE(w.findChild<QWidget *>(QStringLiteral("PageControl1"))->isEnabled(), !editing);
    // The grid takes typing only while editing.
    const QModelIndex first = w.grid()->model()->index(0, 0);
    QCOMPARE(bool(w.grid()->model()->flags(first) & Qt::ItemIsEditable), editing);
    QCOMPARE(spy.texts(), QStringList());
}

void TestDictionaries::savedEntryReachesDropDowns_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("text");
    for (const auto &[name, engine] : engines()) {
        QTest::newRow(qPrintable(name + QStringLiteral("/plain"))) << engine << QStringLiteral("人事经理");
        QTest::newRow(qPrintable(name + QStringLiteral("/quote"))) << engine << QStringLiteral("O'Brien 主任");
        QTest::newRow(qPrintable(name + QStringLiteral("/percent"))) << engine << QStringLiteral("100%_完成 \\ 备注");
    }
}

void TestDictionaries::savedEntryReachesDropDowns()
{
    QFETCH(QString, text);
    OPEN_DB(t);
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    openTab(w, "tpzemp");
    QCOMPARE(w.model()->rowCount(), 0);

    tool(&w, "tbNew")->click();
    // "新增" opens the new row for typing.
    QVERIFY(w.grid()->indexWidget(w.grid()->model()->index(0, 0)));
    QVERIFY(typeIn(w.grid(), 0, text));
    tool(&w, "tbSave")->click();
    QCOMPARE(spy.texts(), QStringList());
    QVERIFY(!w.isEditing());

    QCOMPARE(t.column(QStringLiteral("select F_type || '|' || F_name from t_code where F_type = 'pzemp'")),
             QStringList{QStringLiteral("pzemp|") + text});
    QCOMPARE(listed(w.model()), QStringList{text});
    QVERIFY(w.model()->id(0) > 0);

    // Any letter case of the word finds it; typing into the box adds nothing.
    for (const QString &category : {QStringLiteral("pzemp"), QStringLiteral("PZemp")}) {
        CodeComboBox box(category);
        box.setEditText(QStringLiteral("手写的"));
        box.refill();
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.itemText(0), text);
        QCOMPARE(box.currentText(), QStringLiteral("手写的"));
    }
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_code where F_type = 'pzemp'")).toInt(), 1);
}

void TestDictionaries::cancelLeavesTableAsItWas()
{
    OPEN_DB(t);
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    QAbstractItemModelTester tester(w.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QStringList before = codeTable(t);
    const QStringList shown = listed(w.model());
    QVERIFY(shown.size() >= 3);

    tool(&w, "tbEdit")->click();
    QVERIFY(typeIn(w.grid(), 0, QStringLiteral("改一")));
    QVERIFY(typeIn(w.grid(), 2, QStringLiteral("改三")));
    w.model()->appendEntry();
    QVERIFY(typeIn(w.grid(), w.model()->rowCount() - 1, QStringLiteral("新的一条")));
    w.grid()->setCurrentIndex(w.grid()->model()->index(1, 0));   // posts the last row
    QVERIFY(w.model()->hasPendingChanges());
    QCOMPARE(w.model()->name(2), QStringLiteral("改三"));

    tool(&w, "tbCancel")->click();
    QVERIFY(!w.isEditing());
    QVERIFY(!w.model()->hasPendingChanges());
    QCOMPARE(listed(w.model()), shown);
    QCOMPARE(codeTable(t), before);
    QCOMPARE(spy.texts(), QStringList());
}

void TestDictionaries::saveIsAllOrNothing()
{
    OPEN_DB(t);
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    const QStringList before = codeTable(t);

    // A change, and an entry the column cannot hold (100 characters at most).
    tool(&w, "tbEdit")->click();
    QVERIFY(typeIn(w.grid(), 0, QStringLiteral("改过的")));
    const int added = w.model()->appendEntry();
    QVERIFY(typeIn(w.grid(), added, QString(101, u'长')));
    tool(&w, "tbSave")->click();

    QCOMPARE(spy.texts(), QStringList{TdmData::FailedText});
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(codeTable(t), before);
    // Nothing typed is lost: the edit goes on.
    QVERIFY(w.isEditing());
    QCOMPARE(w.model()->name(0), QStringLiteral("改过的"));
    QCOMPARE(w.model()->name(added), QString(101, u'长'));

    QVERIFY(typeIn(w.grid(), added, QStringLiteral("短的")));
    tool(&w, "tbSave")->click();
    QCOMPARE(spy.texts().size(), 1);
    QVERIFY(!w.isEditing());
    const QStringList duty = t.column(QStringLiteral("select F_name from t_code where F_type = 'duty' order by F_ID"));
    QCOMPARE(duty.first(), QStringLiteral("改过的"));
    QCOMPARE(duty.last(), QStringLiteral("短的"));
    QCOMPARE(codeTable(t).size(), before.size() + 1);
}

void TestDictionaries::blankAppendedRowsAreNotStored()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    const QStringList before = codeTable(t);
    tool(&w, "tbNew")->click();                 // left untouched
    w.model()->appendEntry();
    QVERIFY(typeIn(w.grid(), w.model()->rowCount() - 1, QStringLiteral("   ")));
    tool(&w, "tbSave")->click();
    QCOMPARE(spy.texts(), QStringList());
    QCOMPARE(codeTable(t), before);
    QCOMPARE(w.model()->rowCount(), before.filter(QStringLiteral("|duty|")).size());
}

void TestDictionaries::deleteAsksAndWritesAtOnce_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deleted");
    for (const auto &[name, engine] : engines()) {
        QTest::newRow(qPrintable(name + QStringLiteral("/yes"))) << engine << int(MessYes) << true;
        QTest::newRow(qPrintable(name + QStringLiteral("/no"))) << engine << int(MessNo) << false;
    }
}

void TestDictionaries::deleteAsksAndWritesAtOnce()
{
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    OPEN_DB(t);
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    const int count = w.model()->rowCount();
    w.grid()->setCurrentRow(1);
    const QString entry = w.model()->name(1);
    const qint64 id = w.model()->id(1);
    // An employee who carries the text keeps it.
    QString why;
    QVERIFY2(t.exec(QStringLiteral("insert into t_employee(F_code, F_name, F_duty) values('E01', '王明', :duty)"),
                    {{QStringLiteral(":duty"), entry}}, &why),
             qPrintable(why));

    spy.answer(answer);
    tool(&w, "tbDel")->click();
    QCOMPARE(spy.texts(), QStringList{QStringLiteral("真的要删除 \"职    务\"") + entry + QStringLiteral("吗？")});
    QCOMPARE(spy.lastStyle(), int(MessQuestion));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_code where F_ID = %1").arg(id)).toInt(), deleted ? 0 : 1);
    QCOMPARE(w.model()->rowCount(), deleted ? count - 1 : count);
    QCOMPARE(listed(w.model()).contains(entry), !deleted);
    QVERIFY(!w.isEditing());
    QCOMPARE(t.scalar(QStringLiteral("select F_duty from t_employee where F_code = 'E01'")).toString(), entry);
}

void TestDictionaries::emptyListRefusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    QTest::newRow("修改") << "tbEdit" << QStringLiteral("此表为空，没有记录需要修改！") << int(MessError);
    QTest::newRow("删除") << "tbDel" << QStringLiteral("此表是空表，不需要删除！") << int(MessInfo);
}

void TestDictionaries::emptyListRefusals()
{
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(int, style);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    openTab(w, "tpzemp");
    w.findChild<QToolButton *>(button)->click();
    QCOMPARE(spy.texts(), QStringList{message});
    QCOMPARE(spy.lastStyle(), style);
    QVERIFY(!w.isEditing());
}

void TestDictionaries::keys_data()
{
    QTest::addColumn<bool>("startEditing");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("editing");     // afterwards
    QTest::addColumn<int>("appended");     // rows more than stored
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    const int ctrl = int(Qt::ControlModifier);
    const int none = int(Qt::NoModifier);
    QTest::newRow("Ctrl+A adds") << false << int(Qt::Key_A) << ctrl << true << 1 << 0 << false;
    QTest::newRow("Ctrl+A while editing") << true << int(Qt::Key_A) << ctrl << true << 1 << 0 << false;
    QTest::newRow("Ctrl+E edits") << false << int(Qt::Key_E) << ctrl << true << 0 << 0 << false;
    QTest::newRow("Ctrl+S saves") << true << int(Qt::Key_S) << ctrl << false << 0 << 0 << false;
    QTest::newRow("Esc cancels") << true << int(Qt::Key_Escape) << none << false << 0 << 0 << false;
    QTest::newRow("Esc exits") << false << int(Qt::Key_Escape) << none << false << 0 << 0 << true;
    QTest::newRow("Del deletes") << false << int(Qt::Key_Delete) << none << false << 0 << 1 << false;
    QTest::newRow("Del while editing") << true << int(Qt::Key_Delete) << none << true << 1 << 0 << false;
}

void TestDictionaries::keys()
{
    QFETCH(bool, startEditing);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, editing);
    QFETCH(int, appended);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    QSignalSpy finished(&w, &QDialog::finished);
    const int stored = w.model()->rowCount();
    if (startEditing) {
        tool(&w, "tbNew")->click();
        // The keys reach the grid, not the open cell.
        w.grid()->setCurrentIndex(w.grid()->model()->index(0, 0));
    }
    QTest::keyClick(w.grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(w.isEditing(), editing);
    QCOMPARE(w.model()->rowCount(), stored + appended);
    QCOMPARE(spy.messages().size(), questions);
    QCOMPARE(finished.size(), closed ? 1 : 0);
}

void TestDictionaries::printAndRefresh()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    MessageSpy spy;
    TFrmCodeMan w(&dm);
    {
        ModalTitles modal;
        tool(&w, "tbPrint")->click();
        QCOMPARE(modal.titles, QStringList{QStringLiteral("打印预览")});
    }
    const int count = w.model()->rowCount();
    QVERIFY_SQL(t, QStringLiteral("insert into t_code(F_type, F_name) values('Duty', '别处加的')"));
    tool(&w, "tbRefresh")->click();
    QCOMPARE(w.model()->rowCount(), count + 1);
    QCOMPARE(w.model()->name(count), QStringLiteral("别处加的"));
    QCOMPARE(spy.texts(), QStringList());
}

void TestDictionaries::dropDownReadsTheList()
{
    OPEN_DB(t);
    for (const char *name : {"甲", "  ", "乙", "甲", ""}) {
        QString why;
        QVERIFY2(t.exec(QStringLiteral("insert into t_code(F_type, F_name) values('minZu', :name)"),
                        {{QStringLiteral(":name"), QString::fromUtf8(name)}}, &why),
                 qPrintable(why));
    }
    MessageSpy spy;
    CodeComboBox box(QStringLiteral("minzu"));
    box.setEditText(QStringLiteral("自己打的"));
    // Entering the box reads the list.
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&box, &in);
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    const int seeded = t.scalar(QStringLiteral("select count(distinct F_name) from t_code where F_type = 'minzu' and F_name <> '' and F_name <> '  '")).toInt();
    QCOMPARE(items.size(), seeded);
    QCOMPARE(items.count(QStringLiteral("甲")), 1);
    QCOMPARE(items.count(QStringLiteral("乙")), 1);
    QVERIFY(!items.contains(QStringLiteral("  ")));
    QCOMPARE(box.currentText(), QStringLiteral("自己打的"));

    // Entries added meanwhile appear on the next entering.
    QVERIFY_SQL(t, QStringLiteral("insert into t_code(F_type, F_name) values('MINZU', '丙')"));
    QApplication::sendEvent(&box, &in);
    QCOMPARE(box.count(), seeded + 1);
    QCOMPARE(box.currentText(), QStringLiteral("自己打的"));
    QCOMPARE(spy.texts(), QStringList());
}

QTEST_MAIN(TestDictionaries)
#include "tst_dictionaries.moc"
