#include "admin/tfrmtreecodeman.h"

#include "admin/depttreestore.h"
#include "admin/tdlgentercaption.h"
#include "app/deptpicker.h"
#include "app/dispformpos.h"
#include "app/keyfilter.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "app/treecodes.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

TFrmTreeCodeMan::TFrmTreeCodeMan(TdmData *dm, QWidget *parent)
    : QDialog(parent)
    , m_dm(dm)
    , lblHint(new QLabel(QStringLiteral("    增加节点，需先选中左边框里的节点成灰色，然后才能选择增加同级节点或子节点"), this))
    , tvTree(new QTreeWidget(this))
    , btnAddSame(new QPushButton(QStringLiteral("添加同类(&A)"), this))
    , btnAddChild(new QPushButton(QStringLiteral("添加子类(&C)"), this))
    , btnEdit(new QPushButton(QStringLiteral("修    改(&E)"), this))
    , btnDelete(new QPushButton(QStringLiteral("删除(包含子类)"), this))
    , pnlBottom(new QWidget(this))
    , btnOk(new QPushButton(QStringLiteral("确定"), pnlBottom))
    , btnCancel(new QPushButton(QStringLiteral("取消"), pnlBottom))
    , PopupMenu1(new QMenu(this))
{
    setObjectName(QStringLiteral("FrmTreeCodeMan"));
    setWindowTitle(RootCaption);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    tvTree->setObjectName(QStringLiteral("tvTree"));
    btnAddSame->setObjectName(QStringLiteral("btnAddSame"));
    btnAddChild->setObjectName(QStringLiteral("btnAddChild"));
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));

    lblHint->setWordWrap(true);
    tvTree->setHeaderHidden(true);
    tvTree->setColumnCount(1);
    tvTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvTree->setSelectionMode(QAbstractItemView::SingleSelection);
    tvTree->setContextMenuPolicy(Qt::CustomContextMenu);
    tvTree->setMinimumSize(260, 320);
    // Enter on a node is the tree's own key (a pick in pick mode).
    tvTree->setProperty("enterKeepsFocus", true);
    for (QPushButton *b : {btnAddSame, btnAddChild, btnEdit, btnDelete, btnOk, btnCancel})
        b->setAutoDefault(false);

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(btnAddSame);
    buttons->addWidget(btnAddChild);
    buttons->addWidget(btnEdit);
    buttons->addWidget(btnDelete);
    buttons->addStretch();

    auto *body = new QHBoxLayout;
    body->setSpacing(10);
    body->addWidget(tvTree, 1);
    body->addLayout(buttons);

    auto *bottom = new QHBoxLayout(pnlBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addStretch();
    bottom->addWidget(btnOk);
    bottom->addWidget(btnCancel);
    pnlBottom->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(lblHint);
    layout->addLayout(body, 1);
    layout->addWidget(pnlBottom);
    resize(470, 460);

    PopupMenu1->addAction(btnAddSame->text(), this, &TFrmTreeCodeMan::btnAddSameClick);
    PopupMenu1->addAction(btnAddChild->text(), this, &TFrmTreeCodeMan::btnAddChildClick);
    PopupMenu1->addAction(btnEdit->text(), this, &TFrmTreeCodeMan::btnEditClick);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(btnDelete->text(), this, &TFrmTreeCodeMan::btnDeleteClick);

    setTabOrder(tvTree, btnAddSame);
    setTabOrder(btnAddSame, btnAddChild);
    setTabOrder(btnAddChild, btnEdit);
    setTabOrder(btnEdit, btnDelete);
    setTabOrder(btnDelete, btnOk);
    setTabOrder(btnOk, btnCancel);

    connect(btnAddSame, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnAddSameClick);
    connect(btnAddChild, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnAddChildClick);
    connect(btnEdit, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnDeleteClick);
    connect(btnOk, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmTreeCodeMan::btnCancelClick);
    connect(tvTree, &QTreeWidget::itemDoubleClicked, this, &TFrmTreeCodeMan::tvTreeDblClick);
    connect(tvTree, &QTreeWidget::currentItemChanged, this, &TFrmTreeCodeMan::updateIcons);
    connect(tvTree, &QWidget::customContextMenuRequested, this, &TFrmTreeCodeMan::showPopup);

    KeyFilter *keys = KeyFilter::install(this);
    keys->onSave([this] { btnEditClick(); });
    keys->onCancel([this] { btnCancelClick(); });
    // Installed after the shared filter, so it sees the tree's keys first.
    tvTree->installEventFilter(this);
    installEventFilter(this);
}

void TFrmTreeCodeMan::ShowTree(TdmData *dm, QWidget *parent)
{
    TFrmTreeCodeMan w(dm, parent);
    DispFormPos(&w, 0);
    w.OpenTree(MaintainMode);
    RunModal(&w);
}

QString TFrmTreeCodeMan::ChooseDept(TdmData *dm, QWidget *parent, const QString &current)
{
    TFrmTreeCodeMan w(dm, parent);
    DispFormPos(&w, 1);
    w.OpenTree(PickMode);
    QString path;
    return w.PickDept(current, path) ? path : QString();
}

void InstallDeptPicker(TdmData *dm)
{
    SetDeptPicker([dm](QWidget *parent, const QString &current) { return TFrmTreeCodeMan::ChooseDept(dm, parent, current); });
}

void TFrmTreeCodeMan::OpenTree(int mode)
{
    m_mode = mode;
    setWindowTitle(RootCaption);
    pnlBottom->setVisible(mode == PickMode);
    QTreeWidgetItem *root = m_dm->LoadTreeCodes(tvTree, RootCaption, Flag);
    root->setExpanded(true);
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it)
        setIcon(*it, false);
}

bool TFrmTreeCodeMan::PickDept(const QString &current, QString &path)
{
    m_current = current;
    pnlBottom->setVisible(true);
    preselect(current);
    if (RunModal(this) == QDialog::Accepted) {
        path = nodePath(selectedNode());
        return true;
    }
    path = current;
    return false;
}

void TFrmTreeCodeMan::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    tvTree->setFocus();
    if (QTreeWidgetItem *item = tvTree->currentItem())
        tvTree->scrollToItem(item);
}

void TFrmTreeCodeMan::preselect(const QString &path)
{
    const QString wanted = path.trimmed();
    if (wanted.isEmpty())
        return;
    bool first = true;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        QTreeWidgetItem *item = *it;
        if (!item->parent() || nodePath(item).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        for (QTreeWidgetItem *up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        item->setExpanded(true);
        if (first)
            tvTree->setCurrentItem(item);
        first = false;
    }
}

QString TFrmTreeCodeMan::nodePath(const QTreeWidgetItem *item)
{
    if (!item)
        return QString();
    const QString stored = TdmData::NodeData(item).F_likecode;
    return stored.isEmpty() ? TdmData::TreeNodePath(item, 1) : stored;
}

QTreeWidgetItem *TFrmTreeCodeMan::selectedNode() const
{
    QTreeWidgetItem *item = tvTree->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void TFrmTreeCodeMan::setIcon(QTreeWidgetItem *item, bool selected)
{
    QStyle *s = style();
    if (!item->parent())
        item->setIcon(0, s->standardIcon(QStyle::SP_DirHomeIcon));
    else
        item->setIcon(0, s->standardIcon(selected ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
}

void TFrmTreeCodeMan::updateIcons(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (previous)
        setIcon(previous, false);
    if (current)
        setIcon(current, true);
}

void TFrmTreeCodeMan::showPopup(const QPoint &pos)
{
    if (QTreeWidgetItem *item = tvTree->itemAt(pos))
        tvTree->setCurrentItem(item);
    PopupMenu1->popup(tvTree->viewport()->mapToGlobal(pos));
}

QString TFrmTreeCodeMan::askDeptName(const QString &title, const QString &name, const QString &parentPath,
                                     const QString &exceptCode)
{
    const DeptTreeStore store(m_dm->ADOcnn(), Flag);
    const auto check = [&store, parentPath, exceptCode](const QString &typed) {
        const QString problem = DeptTreeStore::nameProblem(typed);
        if (!problem.isEmpty())
            return problem;
        if (store.pathTaken(DeptTreeStore::childPath(parentPath, typed), exceptCode))
            return QStringLiteral("同一级别下已有名为“%1”的部门，请换一个名称！").arg(typed);
        return QString();
    };
    return TDLGenterCaption::AskName(this, title, name, check).trimmed();
}

QString TFrmTreeCodeMan::newCode(const QString &code, int mode)
{
    const QString next = m_dm->NextTreeCode(code, Flag, mode);
    // An empty code after a failed lookup has had its message; else the level is full.
    if (next.isEmpty() && DeptTreeStore(m_dm->ADOcnn(), Flag).levelFull(code, mode))
        ShowMess(QStringLiteral("该级别已有%1个部门，不能再增加节点！").arg(TreeCodes::MaxSiblings), MessInfo);
    return next;
}

QTreeWidgetItem *TFrmTreeCodeMan::addNode(QTreeWidgetItem *parent, const QString &code, const QString &name,
                                          const QString &path)
{
    if (!DeptTreeStore(m_dm->ADOcnn(), Flag).insert(code, name, path)) {
        ShowMess(WriteFailedText, MessError);
        return nullptr;
    }
    auto *item = new QTreeWidgetItem(parent, QStringList{name});
    TdmData::SetNodeData(item, tNodeData{0, code, name, path});
    setIcon(item, false);
    parent->setExpanded(true);
    tvTree->setCurrentItem(item);
    return item;
}

void TFrmTreeCodeMan::btnAddSameClick()
{
    QTreeWidgetItem *s = selectedNode();
    if (!s)
        return;
    if (!s->parent()) {
        ShowMess(QStringLiteral("不能增加根节点的同类节点，该节点只能增加子节点！"), MessInfo);
        return;
    }
    const tNodeData data = TdmData::NodeData(s);
    const QString code = newCode(data.F_code, TreeCodes::Sibling);
    if (code.isEmpty())
        return;
    const QString parentPath = TdmData::TreeNodePath(s, 2);
    const QString name = askDeptName(QStringLiteral("添加 ") + data.F_code + u' ' + data.F_name + QStringLiteral(" 同类"),
                                     QString(), parentPath, QString());
    if (name.isEmpty())
        return;
    addNode(s->parent(), code, name, DeptTreeStore::childPath(parentPath, name));
}

void TFrmTreeCodeMan::btnAddChildClick()
{
    QTreeWidgetItem *s = selectedNode();
    if (!s)
        return;
    const tNodeData data = TdmData::NodeData(s);
    const QString code = newCode(s->parent() ? data.F_code : QString(), TreeCodes::Child);
    if (code.isEmpty())
        return;
    const QString parentPath = TdmData::TreeNodePath(s, 1);
    const QString name = askDeptName(QStringLiteral("添加 ") + data.F_code + u' ' + data.F_name + QStringLiteral(" 子类"),
                                     QString(), parentPath, QString());
    if (name.isEmpty())
        return;
    addNode(s, code, name, DeptTreeStore::childPath(parentPath, name));
}

void TFrmTreeCodeMan::btnEditClick()
{
    QTreeWidgetItem *s = selectedNode();
    if (!s || !s->parent())
        return;
    const tNodeData data = TdmData::NodeData(s);
    const QString oldPath = TdmData::TreeNodePath(s, 1);
    const QString parentPath = TdmData::TreeNodePath(s, 2);
    const QString name = askDeptName(QStringLiteral("修改类别 ") + data.F_code + u' ' + data.F_name + QStringLiteral(" 子类"),
                                     data.F_name, parentPath, data.F_code);
    if (name.isEmpty())
        return;
    const QString newPath = DeptTreeStore::childPath(parentPath, name);

    DeptTreeStore store(m_dm->ADOcnn(), Flag);
    switch (store.rename(data.F_code, oldPath, newPath, name)) {
    case DeptTreeStore::RenameResult::Unchanged:
        return;
    case DeptTreeStore::RenameResult::RepathFailed:
        ShowMess(TdmData::FailedText, MessError);
        return;
    case DeptTreeStore::RenameResult::UpdateFailed:
        ShowMess(WriteFailedText, MessError);
        return;
    case DeptTreeStore::RenameResult::Renamed:
        break;
    }
    s->setText(0, name);
    tNodeData renamed = data;
    renamed.F_name = name;
    renamed.F_likecode = newPath;
    TdmData::SetNodeData(s, renamed);
    // The nodes below carry paths that began with the old one.
    QList<QTreeWidgetItem *> below;
    for (int i = 0; i < s->childCount(); ++i)
        below << s->child(i);
    while (!below.isEmpty()) {
        QTreeWidgetItem *item = below.takeLast();
        tNodeData d = TdmData::NodeData(item);
        d.F_likecode = DeptTreeStore::repathed(d.F_likecode, oldPath, newPath);
        TdmData::SetNodeData(item, d);
        for (int i = 0; i < item->childCount(); ++i)
            below << item->child(i);
    }
}

void TFrmTreeCodeMan::btnDeleteClick()
{
    QTreeWidgetItem *s = selectedNode();
    if (!s)
        return;
    // The root has no row: deleting it would only hide the whole tree.
    if (!s->parent()) {
        ShowMess(QStringLiteral("不能删除根节点！"), MessInfo);
        return;
    }
    const tNodeData data = TdmData::NodeData(s);
    const QString question = s->childCount() == 0
                                 ? QStringLiteral("真的要删除当前节点 “") + data.F_code + data.F_name + QStringLiteral("” 吗？")
                                 : QStringLiteral("此节点包含有子节点，真的要删除所有的子节点吗？");
    if (ShowMess(question, MessQuestion) != MessYes)
        return;
    if (!DeptTreeStore(m_dm->ADOcnn(), Flag).removeSubtree(data.F_code)) {
        ShowMess(WriteFailedText, MessError);
        return;
    }
    delete s;
}

void TFrmTreeCodeMan::btnOkClick()
{
    QTreeWidgetItem *s = selectedNode();
    if (!s || !s->parent()) {
        ShowMess(QStringLiteral("不能选择根节点！"), MessInfo);
        return;
    }
    accept();
}

void TFrmTreeCodeMan::btnCancelClick()
{
    reject();
}

void TFrmTreeCodeMan::tvTreeDblClick(QTreeWidgetItem *item)
{
    if (m_mode == PickMode && item && item->parent()) {
        tvTree->setCurrentItem(item);
        accept();
    }
}

bool TFrmTreeCodeMan::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return QDialog::eventFilter(watched, event);
    if (key->key() == Qt::Key_Delete) {
        btnDeleteClick();
        return true;
    }
    if (watched == tvTree && m_mode == PickMode && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        QTreeWidgetItem *s = selectedNode();
        if (s && s->parent())
            accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
