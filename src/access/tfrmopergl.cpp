#include "access/tfrmopergl.h"

#include "access/operatorlimits.h"
#include "access/tfrmlimitgl.h"
#include "app/dispformpos.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmOperGl::TfrmOperGl(TdmData *dm, QWidget *parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_qryOper(new SqlPageModel(this))
    , DBGridEh1(new DataGrid(this))
    , DBMemo1(new QPlainTextEdit(this))
    , DBCheckBox1(new QCheckBox(QStringLiteral("只看到自己的客户"), this))
    , CheckBox1(new QCheckBox(QStringLiteral("显示禁用操作员"), this))
    , Button1(new QPushButton(QStringLiteral("新增"), this))
    , Button2(new QPushButton(QStringLiteral("修改"), this))
    , Button3(new QPushButton(QStringLiteral("删除"), this))
    , Button4(new QPushButton(QStringLiteral("关闭"), this))
{
    setObjectName(QStringLiteral("frmOperGl"));
    setWindowTitle(QStringLiteral("操作员权限管理"));
    m_qryOper->setObjectName(QStringLiteral("QryOper"));
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3->setObjectName(QStringLiteral("Button3"));
    Button4->setObjectName(QStringLiteral("Button4"));

    m_qryOper->setDatabase(dm->ADOcnn());
    DBGridEh1->setSourceModel(m_qryOper);
    GridColumn name;
    name.field = QStringLiteral("F_Name");
    name.caption = QStringLiteral("操作员");
    name.width = 180;
    DBGridEh1->setColumns({name});
    DBGridEh1->setMinimumSize(220, 300);

    DBMemo1->setReadOnly(true);
    // Shows the current row's flag; not a control of its own.
    DBCheckBox1->setAttribute(Qt::WA_TransparentForMouseEvents);
    DBCheckBox1->setFocusPolicy(Qt::NoFocus);
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        b->setAutoDefault(false);

    auto *memoBox = new QGroupBox(QStringLiteral("其他描述"), this);
    auto *memoLayout = new QVBoxLayout(memoBox);
    memoLayout->addWidget(DBMemo1);
    memoLayout->addWidget(DBCheckBox1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch();
    buttons->addWidget(Button4);

    auto *right = new QVBoxLayout;
    right->addWidget(memoBox, 1);
    right->addWidget(CheckBox1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(DBGridEh1, 1);
    layout->addLayout(right, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(Button1, &QPushButton::clicked, this, &TfrmOperGl::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmOperGl::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmOperGl::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TfrmOperGl::Button4Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TfrmOperGl::CheckBox1Click);
    connect(DBGridEh1, &QAbstractItemView::doubleClicked, this, &TfrmOperGl::Button2Click);
    connect(DBGridEh1, &DataGrid::currentRowChanged, this, &TfrmOperGl::showCurrent);

    // The window is made for one showing: its list is read now.
    LoadOperators();
}

void TfrmOperGl::ShowOperGl(TdmData *dm, QWidget *parent)
{
    TfrmOperGl w(dm, parent);
    DispFormPos(&w, 0);
    RunModal(&w);
}

bool TfrmOperGl::LoadOperators()
{
    ListQuery q;
    q.columns = QStringLiteral("F_ID, F_Name, F_Mem, F_Flag, F_xtFlag");
    q.from = QStringLiteral("OperList");
    q.where = QStringLiteral(" where (1=1) ") + (CheckBox1->isChecked() ? QString() : QStringLiteral("and F_flag = false "));
    q.baseOrder = QStringLiteral("F_ID");
    const bool ok = m_qryOper->setQuery(q);
    if (!ok)
        ShowMess(TdmData::OpenFailedText, MessError);
    if (m_qryOper->rowCount() > 0 && DBGridEh1->currentRow() < 0)
        DBGridEh1->setCurrentRow(0);
    showCurrent();
    return ok;
}

OperatorRecord TfrmOperGl::currentOperator() const
{
    OperatorRecord op;
    const int row = DBGridEh1->currentRow();
    if (row < 0 || row >= m_qryOper->rowCount())
        return op;
    op.id = m_qryOper->value(row, QStringLiteral("F_ID")).toLongLong();
    op.name = m_qryOper->value(row, QStringLiteral("F_Name")).toString();
    op.memo = m_qryOper->value(row, QStringLiteral("F_Mem")).toString();
    op.disabled = m_qryOper->value(row, QStringLiteral("F_Flag")).toBool();
    op.xtFlag = m_qryOper->value(row, QStringLiteral("F_xtFlag")).toBool();
    return op;
}

void TfrmOperGl::showCurrent()
{
    const OperatorRecord op = currentOperator();
    DBMemo1->setPlainText(op.memo);
    DBCheckBox1->setChecked(op.xtFlag);
}

void TfrmOperGl::savedOperator(const QString &name)
{
    if (!m_qryOper->refresh())
        ShowMess(TdmData::OpenFailedText, MessError);
    DBGridEh1->locate(QStringLiteral("F_Name"), name);
    showCurrent();
}

void TfrmOperGl::Button1Click()
{
    TFrmLimitGl editor(m_dm, this);
    editor.setSavedHandler([this](const QString &name) { savedOperator(name); });
    editor.OpenOperator(false);
}

void TfrmOperGl::Button2Click()
{
    const OperatorRecord op = currentOperator();
    if (op.id <= 0) {
        ShowMess(QStringLiteral("此表为空，没有记录需要修改！"), MessError);
        return;
    }
    if (IsAdminName(op.name)) {
        ShowMess(QStringLiteral("此用户为系统默认用户，不能修改和编辑！"), MessError);
        return;
    }
    TFrmLimitGl editor(m_dm, this);
    editor.setCurrentOperator(op);
    editor.setSavedHandler([this](const QString &name) { savedOperator(name); });
    editor.OpenOperator(true);
}

void TfrmOperGl::Button3Click()
{
    const OperatorRecord op = currentOperator();
    if (op.id <= 0) {
        // Nothing to ask about and nothing to delete.
        ShowMess(QStringLiteral("此表为空，没有记录需要删除！"), MessError);
        return;
    }
    if (IsAdminName(op.name)) {
        ShowMess(QStringLiteral("此用户为系统默认用户，不能删除！"), MessError);
        return;
    }
    if (ShowMess(QStringLiteral("真的要删除当前操作员 \"") + op.name + QStringLiteral("\" 吗？"), MessQuestion) != MessYes)
        return;
    // His grants stay in OperLimit; a later operator of that name starts from the editor's choice.
    if (!m_dm->DeleteById(QStringLiteral("OperList"), op.id))
        return;
    const int row = DBGridEh1->currentRow();
    if (!m_qryOper->refresh())
        ShowMess(TdmData::OpenFailedText, MessError);
    if (m_qryOper->rowCount() > 0)
        DBGridEh1->setCurrentRow(qMin(row, m_qryOper->rowCount() - 1));
    showCurrent();
}

void TfrmOperGl::Button4Click()
{
    accept();
}

void TfrmOperGl::CheckBox1Click()
{
    LoadOperators();
}
