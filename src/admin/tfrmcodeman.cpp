#include "admin/tfrmcodeman.h"

#include "admin/codecategories.h"
#include "admin/codelistmodel.h"
#include "app/dispformpos.h"
#include "app/keyfilter.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"

#include <QAbstractItemDelegate>
#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int TabsPerLine = 8;
}

TFrmCodeMan::TFrmCodeMan(TdmData *dm, QWidget *parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_list(new CodeListModel(this))
    , ToolBar1(new QToolBar(this))
    , PageControl1(new QWidget(this))
    , m_tabs(new QButtonGroup(this))
    , DBGridEh1(new DataGrid(this))
    , StatusBar1(new QStatusBar(this))
    , m_modePanel(new QLabel(StatusBar1))
    , m_countPanel(new QLabel(StatusBar1))
{
    setObjectName(QStringLiteral("FrmCodeMan"));
    setWindowTitle(QStringLiteral("选项设置管理"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setMovable(false);
    tbNew = addTool(QStringLiteral("tbNew"), QStringLiteral("新增"), QStyle::SP_FileIcon);
    tbEdit = addTool(QStringLiteral("tbEdit"), QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView);
    tbDel = addTool(QStringLiteral("tbDel"), QStringLiteral("删除"), QStyle::SP_TrashIcon);
    ToolBar1->addSeparator();
    tbSave = addTool(QStringLiteral("tbSave"), QStringLiteral("保存"), QStyle::SP_DialogSaveButton);
    tbCancel = addTool(QStringLiteral("tbCancel"), QStringLiteral("取消"), QStyle::SP_DialogCancelButton);
    ToolBar1->addSeparator();
    tbPrint = addTool(QStringLiteral("tbPrint"), QStringLiteral("打印"), QStyle::SP_FileDialogContentsView);
    tbRefresh = addTool(QStringLiteral("tbRefresh"), QStringLiteral("刷新"), QStyle::SP_BrowserReload);
    ToolBar1->addSeparator();
    tbExit = addTool(QStringLiteral("tbExit"), QStringLiteral("退出"), QStyle::SP_DialogCloseButton);

    // The tabs as buttons on several lines, all categories in view at once.
    auto *tabLayout = new QGridLayout(PageControl1);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->setSpacing(2);
    const QVector<CodeCategory> &categories = CodeCategories();
    for (int i = 0; i < categories.size(); ++i) {
        auto *b = new QToolButton(PageControl1);
        b->setObjectName(categories[i].tab);
        b->setText(categories[i].caption);
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_tabs->addButton(b, i);
        m_tabButtons << b;
        tabLayout->addWidget(b, i / TabsPerLine, i % TabsPerLine);
    }
    m_tabs->setExclusive(true);
    m_tabButtons.first()->setChecked(true);

    DBGridEh1->setSourceModel(m_list);
    DBGridEh1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridEh1->setMinimumHeight(260);

    m_modePanel->setMinimumWidth(80);
    m_countPanel->setMinimumWidth(120);
    StatusBar1->addWidget(m_modePanel);
    StatusBar1->addWidget(m_countPanel, 1);
    StatusBar1->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(ToolBar1);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(6, 0, 6, 0);
    body->setSpacing(4);
    body->addWidget(PageControl1);
    body->addWidget(DBGridEh1, 1);
    layout->addLayout(body, 1);
    layout->addWidget(StatusBar1);
    resize(680, 520);

    connect(tbNew, &QToolButton::clicked, this, &TFrmCodeMan::tbNewClick);
    connect(tbEdit, &QToolButton::clicked, this, &TFrmCodeMan::tbEditClick);
    connect(tbDel, &QToolButton::clicked, this, &TFrmCodeMan::tbDelClick);
    connect(tbSave, &QToolButton::clicked, this, &TFrmCodeMan::tbSaveClick);
    connect(tbCancel, &QToolButton::clicked, this, &TFrmCodeMan::tbCancelClick);
    connect(tbPrint, &QToolButton::clicked, this, &TFrmCodeMan::tbPrintClick);
    connect(tbRefresh, &QToolButton::clicked, this, &TFrmCodeMan::tbRefreshClick);
    connect(tbExit, &QToolButton::clicked, this, &TFrmCodeMan::tbExitClick);
    connect(m_tabs, &QButtonGroup::idClicked, this, &TFrmCodeMan::PageControl1Change);
    connect(m_list, &QAbstractItemModel::modelReset, this, &TFrmCodeMan::showStatus);
    connect(m_list, &QAbstractItemModel::rowsInserted, this, &TFrmCodeMan::showStatus);

    KeyFilter *keys = KeyFilter::install(this);
    keys->onSave([this] {
        if (tbSave->isEnabled())
            tbSaveClick();
    });
    keys->onCancel([this] {
        if (tbCancel->isEnabled())
            tbCancelClick();
        else
            tbExitClick();
    });
    installEventFilter(this);
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *w : children)
        w->installEventFilter(this);

    m_list->setDatabase(dm->ADOcnn());
    PageControl1Change(0);
}

void TFrmCodeMan::ShowCodeMan(TdmData *dm, QWidget *parent)
{
    TFrmCodeMan w(dm, parent);
    DispFormPos(&w, 0);
    RunModal(&w);
}

QToolButton *TFrmCodeMan::addTool(const QString &name, const QString &caption, int icon)
{
    auto *b = new QToolButton(ToolBar1);
    b->setObjectName(name);
    b->setText(caption);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setMinimumWidth(52);
    ToolBar1->addWidget(b);
    return b;
}

QString TFrmCodeMan::currentCategory() const
{
    return CodeCategories().value(m_page).type;
}

void TFrmCodeMan::PageControl1Change(int index)
{
    // One editing pass never mixes categories.
    if (m_editing || index < 0 || index >= CodeCategories().size())
        return;
    m_page = index;
    m_tabButtons[index]->setChecked(true);
    m_title = CodeCategories()[index].caption.trimmed();

    GridColumn name;
    name.field = QStringLiteral("F_Name");
    name.caption = m_title;
    name.width = 360;
    name.readOnly = false;   // editable while the list is
    DBGridEh1->setColumns({name});
    openList();
    setEditing(false);
}

void TFrmCodeMan::openList()
{
    if (!m_list->load(currentCategory()))
        ShowMess(TdmData::OpenFailedText, MessError);
    if (m_list->rowCount() > 0)
        DBGridEh1->setCurrentRow(0);
}

void TFrmCodeMan::setEditing(bool editing)
{
    m_editing = editing;
    for (QToolButton *b : {tbNew, tbEdit, tbDel, tbExit, tbRefresh, tbPrint})
        b->setEnabled(!editing);
    tbSave->setEnabled(editing);
    tbCancel->setEnabled(editing);
    PageControl1->setEnabled(!editing);
    m_list->setEditable(editing);
    DBGridEh1->setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                             | QAbstractItemView::AnyKeyPressed
                                       : QAbstractItemView::NoEditTriggers);
    showStatus();
}

void TFrmCodeMan::showStatus()
{
    m_modePanel->setText(m_editing ? QStringLiteral(" 编辑状态") : QStringLiteral(" 浏览状态"));
    m_countPanel->setText(QStringLiteral(" 共 %1 项").arg(m_list->rowCount()));
}

void TFrmCodeMan::postEditor()
{
    const QModelIndex at = DBGridEh1->currentIndex();
    QWidget *editor = at.isValid() ? DBGridEh1->indexWidget(at) : nullptr;
    if (!editor)
        return;
    QAbstractItemDelegate *delegate = DBGridEh1->itemDelegateForIndex(at);
    delegate->setModelData(editor, DBGridEh1->model(), at);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TFrmCodeMan::tbNewClick()
{
    if (m_editing)
        return;
    setEditing(true);
    const int row = m_list->appendEntry();
    DBGridEh1->setCurrentRow(row);
    DBGridEh1->setFocus();
    DBGridEh1->edit(DBGridEh1->model()->index(row, 0));
}

void TFrmCodeMan::tbEditClick()
{
    if (m_editing)
        return;
    if (m_list->rowCount() == 0) {
        ShowMess(QStringLiteral("此表为空，没有记录需要修改！"), MessError);
        return;
    }
    setEditing(true);
    DBGridEh1->setFocus();
}

void TFrmCodeMan::tbDelClick()
{
    if (m_editing)
        return;
    const int row = DBGridEh1->currentRow();
    if (m_list->rowCount() == 0 || row < 0) {
        ShowMess(QStringLiteral("此表是空表，不需要删除！"), MessInfo);
        return;
    }
    const QString question = QStringLiteral("真的要删除 \"") + m_title + u'"' + m_list->name(row) + QStringLiteral("吗？");
    if (ShowMess(question, MessQuestion) == MessNo)
        return;
    if (!m_dm->DeleteById(QStringLiteral("t_code"), m_list->id(row)))
        return;
    openList();
    if (m_list->rowCount() > 0)
        DBGridEh1->setCurrentRow(qMin(row, m_list->rowCount() - 1));
}

void TFrmCodeMan::tbSaveClick()
{
    if (!m_editing)
        return;
    postEditor();
    // A refused save keeps the edits, to be saved again or dropped.
    if (!m_list->submitAll()) {
        ShowMess(TdmData::FailedText, MessError);
        return;
    }
    if (!m_list->lastError().isEmpty())
        ShowMess(TdmData::OpenFailedText, MessError);
    setEditing(false);
}

void TFrmCodeMan::tbCancelClick()
{
    if (!m_editing)
        return;
    m_list->revertAll();
    setEditing(false);
}

void TFrmCodeMan::tbPrintClick()
{
    TdmData::PreviewGrid(DBGridEh1, m_title + QStringLiteral("设置"), 1, QStringLiteral("date"), QString());
}

void TFrmCodeMan::tbRefreshClick()
{
    if (m_editing)
        return;
    const int row = DBGridEh1->currentRow();
    openList();
    if (row >= 0 && m_list->rowCount() > 0)
        DBGridEh1->setCurrentRow(qMin(row, m_list->rowCount() - 1));
}

void TFrmCodeMan::tbExitClick()
{
    accept();
}

bool TFrmCodeMan::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    QToolButton *pressed = nullptr;
    if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_A)
        pressed = tbNew;
    else if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_E)
        pressed = tbEdit;
    else if ((key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) && key->key() == Qt::Key_Delete)
        pressed = tbDel;
    if (!pressed || !pressed->isEnabled())
        return QDialog::eventFilter(watched, event);
    pressed->click();
    return true;
}
