#include "personnel/employeebrowser.h"

#include "app/showmess.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"
#include "personnel/tdlgempcx.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QSqlQuery>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace EmployeeListQuery;

EmployeeBrowser::EmployeeBrowser(TdmData *dm, QWidget *parent)
    : QWidget(parent)
    , m_dm(dm)
    , m_qryMain(new SqlPageModel(this))
    , m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("EmployeeBrowser"));
    m_qryMain->setObjectName(QStringLiteral("QryMain"));

    // Keystrokes that arrive while a refresh runs are gathered into one
    // refresh with the last text typed.
    m_typing->setSingleShot(true);
    m_typing->setInterval(0);
    connect(m_typing, &QTimer::timeout, this, &EmployeeBrowser::RefreshEmployees);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buildSearchBar();

    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setObjectName(QStringLiteral("Splitter1"));
    buildLeftPane();

    auto *right = new QWidget(m_split);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(1);
    DBGridEh1 = new DataGrid(right);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setSourceModel(m_qryMain);
    DBGridEh1->setColumns(defaultColumns());
    DBGridEh1->setBlankDateFields(blankDateFields());
    DBGridEh1->setRowColorRule([this](int row) { return m_qryMain->value(row, QStringLiteral("F_useFlag")).toBool(); });
    lblZCnum = new QLabel(QStringLiteral("员工总数：0 个  "), right);
    lblZCnum->setObjectName(QStringLiteral("lblZCnum"));
    lblZCnum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblZCnum->setStyleSheet(QStringLiteral("color: blue;"));
    rightLayout->addWidget(DBGridEh1, 1);
    rightLayout->addWidget(lblZCnum);

    m_split->addWidget(Panel4);
    m_split->addWidget(right);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_split->setSizes({170, 600});
    layout->addWidget(m_split, 1);

    connect(DBGridEh1, &DataGrid::currentRowChanged, this, &EmployeeBrowser::currentEmployeeChanged);
    connect(DBGridEh1, &QAbstractItemView::doubleClicked, this, &EmployeeBrowser::editRequested);
}

EmployeeBrowser::~EmployeeBrowser()
{
    // The grid goes before the list it shows.
    delete DBGridEh1;
}

void EmployeeBrowser::buildSearchBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel2"));
    auto *h = new QHBoxLayout(bar);
    h->setContentsMargins(2, 2, 2, 2);

    SpeedButton1 = new QToolButton(bar);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("«"));
    SpeedButton1->setToolTip(QStringLiteral("显示或隐藏导航树"));
    connect(SpeedButton1, &QToolButton::clicked, this, &EmployeeBrowser::leftPaneToggled);

    auto *searchLabel = new QLabel(QStringLiteral("搜索(&V)"), bar);
    ComboBox1 = new QComboBox(bar);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const SearchColumn &c : searchColumns())
        ComboBox1->addItem(QString::fromUtf8(c.caption));
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setMinimumWidth(110);
    searchLabel->setBuddy(ComboBox1);

    auto *valueLabel = new QLabel(QStringLiteral("值(&V)"), bar);
    Edit1 = new QLineEdit(bar);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(160);
    valueLabel->setBuddy(Edit1);

    BitBtn1 = new QPushButton(QStringLiteral("查找(F3)"), bar);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    f3->setContext(Qt::WindowShortcut);
    connect(f3, &QShortcut::activated, this, &EmployeeBrowser::BitBtn1Click);

    CheckBox1 = new QCheckBox(QStringLiteral("包含已离职"), bar);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    SpeedButton2 = new QToolButton(bar);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("高级查找..."));
    SpeedButton2->setCheckable(true);

    h->addWidget(SpeedButton1);
    h->addSpacing(6);
    h->addWidget(searchLabel);
    h->addWidget(ComboBox1);
    h->addWidget(valueLabel);
    h->addWidget(Edit1, 1);
    h->addWidget(BitBtn1);
    h->addWidget(CheckBox1);
    h->addWidget(SpeedButton2);
    h->addStretch(1);
    static_cast<QVBoxLayout *>(layout())->addWidget(bar);

    connect(ComboBox1, &QComboBox::activated, this, &EmployeeBrowser::ComboBox1Change);
    connect(Edit1, &QLineEdit::textChanged, this, &EmployeeBrowser::Edit1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &EmployeeBrowser::BitBtn1Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &EmployeeBrowser::CheckBox1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &EmployeeBrowser::SpeedButton2Click);
}

void EmployeeBrowser::buildLeftPane()
{
    Panel4 = new QWidget(m_split);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto *v = new QVBoxLayout(Panel4);
    v->setContentsMargins(0, 0, 0, 0);
    RPChrm = new QTabWidget(Panel4);
    RPChrm->setObjectName(QStringLiteral("RPChrm"));
    RPChrm->setTabPosition(QTabWidget::South);

    auto *items = new QWidget(RPChrm);
    auto *iv = new QVBoxLayout(items);
    iv->setContentsMargins(2, 2, 2, 2);
    cbbListType = new QComboBox(items);
    cbbListType->setObjectName(QStringLiteral("cbbListType"));
    for (const ItemKind &k : itemKinds())
        cbbListType->addItem(QString::fromUtf8(k.caption));
    vleList = new QTableWidget(0, 2, items);
    vleList->setObjectName(QStringLiteral("vleList"));
    vleList->verticalHeader()->hide();
    vleList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    vleList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    vleList->setColumnWidth(0, 28);
    vleList->setSelectionBehavior(QAbstractItemView::SelectRows);
    vleList->setSelectionMode(QAbstractItemView::SingleSelection);
    vleList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vleList->verticalHeader()->setDefaultSectionSize(20);
    iv->addWidget(cbbListType);
    iv->addWidget(vleList, 1);

    tvTree = new QTreeWidget(RPChrm);
    tvTree->setObjectName(QStringLiteral("tvTree"));
    tvTree->setHeaderHidden(true);
    tvTree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    RPChrm->addTab(items, QStringLiteral(" 项    目"));
    RPChrm->addTab(tvTree, QStringLiteral(" 部    门"));
    v->addWidget(RPChrm);

    connect(cbbListType, &QComboBox::activated, this, &EmployeeBrowser::cbbListTypeChange);
    connect(vleList, &QTableWidget::cellClicked, this, [this](int row, int) { vleListClick(row); });
    connect(tvTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) { tvTreeDblClick(item); });
    connect(tvTree, &QTreeWidget::currentItemChanged, this, &EmployeeBrowser::updateTreeIcons);
}

QWidget *EmployeeBrowser::leftPane() const
{
    return Panel4;
}

void EmployeeBrowser::LoadDepartments()
{
    if (!m_dm)
        return;
    m_treeFilterNode = nullptr;
    if (QTreeWidgetItem *root = m_dm->LoadTreeCodes(tvTree, QStringLiteral("部  门"), QStringLiteral("dept")))
        root->setExpanded(true);
    updateTreeIcons();
}

void EmployeeBrowser::updateTreeIcons()
{
    QStyle *s = style();
    QTreeWidgetItem *current = tvTree->currentItem();
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        QTreeWidgetItem *item = *it;
        if (!item->parent())
            item->setIcon(0, s->standardIcon(QStyle::SP_DirHomeIcon));
        else
            item->setIcon(0, s->standardIcon(item == current ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    }
}

Filter EmployeeBrowser::currentFilter() const
{
    Filter f;
    f.searchColumn = ComboBox1->currentIndex();
    f.searchText = Edit1->text();
    f.includeResigned = CheckBox1->isChecked();
    f.leftPage = RPChrm->currentIndex();
    f.itemKind = m_itemKind;
    if (m_selectedItemRow > 0 && m_selectedItemRow < vleList->rowCount())
        f.itemValue = vleList->item(m_selectedItemRow, 1)->text();
    if (m_treeFilterNode && m_treeFilterNode->parent())
        f.deptPath = TdmData::NodeData(m_treeFilterNode).F_likecode;
    return f;
}

bool EmployeeBrowser::advancedFind() const
{
    return SpeedButton2->isChecked();
}

bool EmployeeBrowser::RefreshEmployees()
{
    m_typing->stop();
    if (!m_qryMain->setQuery(compose(currentFilter()))) {
        ShowMess(TdmData::OpenFailedText, MessError);
        return false;
    }
    updateCount();
    // The grid makes the first row current and announces it.
    emit listRefreshed();
    return true;
}

void EmployeeBrowser::updateCount()
{
    lblZCnum->setText(QStringLiteral("员工总数：%1个  ").arg(m_qryMain->rowCount()));
}

QString EmployeeBrowser::countText() const
{
    return lblZCnum->text();
}

void EmployeeBrowser::FillItemList(const QString &sql, int kind)
{
    m_itemKind = kind;
    vleList->clearContents();
    vleList->setRowCount(0);
    vleList->setHorizontalHeaderLabels({QString(), cbbListType->itemText(kind)});
    const auto addRow = [this](int number, const QString &value) {
        const int row = vleList->rowCount();
        vleList->insertRow(row);
        auto *n = new QTableWidgetItem(QString::number(number));
        n->setTextAlignment(Qt::AlignCenter);
        vleList->setItem(row, 0, n);
        vleList->setItem(row, 1, new QTableWidgetItem(value));
    };
    // The first row, "全部", stands for no filter.
    addRow(0, QStringLiteral("全部"));
    {
        const QSignalBlocker quiet(vleList);
        vleList->selectRow(0);
    }
    m_selectedItemRow = 0;
    RefreshEmployees();

    QSqlQuery q(m_dm ? m_dm->ADOcnn() : QSqlDatabase());
    if (m_dm && m_dm->OpenQuery(q, sql)) {
        int number = 1;
        while (q.next())
            addRow(number++, q.value(0).toString());
    }
}

void EmployeeBrowser::ComboBox1Change()
{
    // Clearing a box that holds text refreshes the list through its change.
    Edit1->clear();
}

void EmployeeBrowser::Edit1Change()
{
    m_typing->start();
}

void EmployeeBrowser::BitBtn1Click()
{
    RefreshEmployees();
}

void EmployeeBrowser::CheckBox1Click()
{
    RefreshEmployees();
}

void EmployeeBrowser::cbbListTypeChange(int kind)
{
    FillItemList(itemValuesSql(kind), kind);
}

void EmployeeBrowser::vleListClick(int row)
{
    m_selectedItemRow = row;
    RefreshEmployees();
}

void EmployeeBrowser::tvTreeDblClick(QTreeWidgetItem *item)
{
    m_treeFilterNode = item;
    RefreshEmployees();
}

void EmployeeBrowser::SpeedButton2Click()
{
    if (!SpeedButton2->isChecked()) {
        SpeedButton2->setStyleSheet(QString());
        RefreshEmployees();
        return;
    }
    const std::optional<ListQuery> query = TDlgEmpCX::BuildQuery(this);
    if (!query) {
        SpeedButton2->setChecked(false);
        SpeedButton2->setStyleSheet(QString());
        return;
    }
    SpeedButton2->setStyleSheet(QStringLiteral("color: red;"));
    if (!m_qryMain->setQuery(*query)) {
        ShowMess(TdmData::OpenFailedText, MessError);
        return;
    }
    emit listRefreshed();
    emit advancedCount(QStringLiteral("员工总数：%1").arg(m_qryMain->rowCount()));
}

qint64 EmployeeBrowser::currentEmployeeId() const
{
    return currentValue(QStringLiteral("F_ID")).toLongLong();
}

QVariant EmployeeBrowser::currentValue(const QString &field) const
{
    const int row = DBGridEh1->currentRow();
    return row < 0 ? QVariant() : m_qryMain->value(row, field);
}
