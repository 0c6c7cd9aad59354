#include "access/tfrmlimitgl.h"

#include "app/codecombobox.h"
#include "app/dispformpos.h"
#include "app/keyfilter.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {

// A check list in two columns, filled row by row.
class TwoColumnList : public QListWidget
{
public:
    explicit TwoColumnList(QWidget *parent)
        : QListWidget(parent)
    {
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QListWidget::resizeEvent(event);
        // A cell of exactly half the width would wrap every item onto a row of its own.
        setGridSize(QSize(qMax(1, (viewport()->width() - 2) / 2), fontMetrics().height() + 8));
    }
};

const QString SaveFailedText = QStringLiteral("保存失败，请检测数据库连接！");

} // namespace

TFrmLimitGl::TFrmLimitGl(TdmData *dm, QWidget *parent)
    : QDialog(parent)
    , m_dm(dm)
    , cbbName(new CodeComboBox(QStringLiteral("empname"), this))
    , edtPassWord(new QLineEdit(this))
    , edtRepPass(new QLineEdit(this))
    , Mem1(new QPlainTextEdit(this))
    , cbXtFlag(new QCheckBox(QStringLiteral("只看到自己的客户"), this))
    , clbOperLimt(new TwoColumnList(this))
    , CheckBox1(new QCheckBox(QStringLiteral("用户禁用"), this))
    , Button1(new QPushButton(QStringLiteral("全选"), this))
    , Button2(new QPushButton(QStringLiteral("清除"), this))
    , BitBtn1(new QPushButton(QStringLiteral("保存"), this))
    , BitBtn2(new QPushButton(QStringLiteral("关闭"), this))
{
    setObjectName(QStringLiteral("FrmLimitGl"));
    setWindowTitle(QStringLiteral("操作员"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    cbbName->setObjectName(QStringLiteral("cbbName"));
    edtPassWord->setObjectName(QStringLiteral("edtPassWord"));
    edtRepPass->setObjectName(QStringLiteral("edtRepPass"));
    Mem1->setObjectName(QStringLiteral("Mem1"));
    cbXtFlag->setObjectName(QStringLiteral("cbXtFlag"));
    clbOperLimt->setObjectName(QStringLiteral("clbOperLimt"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    cbbName->lineEdit()->setMaxLength(50);   // OperList.F_Name is text(50)
    for (QLineEdit *e : {edtPassWord, edtRepPass}) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    Mem1->setTabChangesFocus(true);
    Mem1->setFixedHeight(Mem1->fontMetrics().lineSpacing() * 3 + 12);
    clbOperLimt->setMinimumSize(440, 280);
    for (QPushButton *b : {Button1, Button2, BitBtn1, BitBtn2})
        b->setAutoDefault(false);

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(8);
    fields->addWidget(new QLabel(QStringLiteral("用户名称："), this), 0, 0);
    fields->addWidget(cbbName, 0, 1, 1, 3);
    fields->addWidget(new QLabel(QStringLiteral("初始密码："), this), 1, 0);
    fields->addWidget(edtPassWord, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("密码确认："), this), 1, 2);
    fields->addWidget(edtRepPass, 1, 3);
    auto *memLabel = new QLabel(QStringLiteral("详细描述："), this);
    memLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fields->addWidget(memLabel, 2, 0);
    fields->addWidget(Mem1, 2, 1, 1, 3);
    fields->addWidget(cbXtFlag, 3, 1, 1, 3);
    auto *limitLabel = new QLabel(QStringLiteral("权限属性："), this);
    limitLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fields->addWidget(limitLabel, 4, 0);
    fields->addWidget(clbOperLimt, 4, 1, 1, 3);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setRowStretch(4, 1);

    auto *bar = new QHBoxLayout;
    bar->addWidget(CheckBox1);
    bar->addStretch();
    bar->addWidget(Button1);
    bar->addWidget(Button2);
    bar->addSpacing(12);
    bar->addWidget(BitBtn1);
    bar->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(fields);
    layout->addLayout(bar);

    setTabOrder(cbbName, edtPassWord);
    setTabOrder(edtPassWord, edtRepPass);
    setTabOrder(edtRepPass, Mem1);
    setTabOrder(Mem1, cbXtFlag);
    setTabOrder(cbXtFlag, clbOperLimt);
    setTabOrder(clbOperLimt, CheckBox1);
    setTabOrder(CheckBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(BitBtn1, &QPushButton::clicked, this, &TFrmLimitGl::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFrmLimitGl::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TFrmLimitGl::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFrmLimitGl::Button2Click);
    KeyFilter *keys = KeyFilter::install(this);
    keys->onSave([this] { BitBtn1Click(); });
    keys->onCancel([this] { BitBtn2Click(); });
}

int TFrmLimitGl::OpenOperator(bool editMode)
{
    m_editMode = editMode;
    loadLimitList();
    LoadOperator(editMode);
    DispFormPos(this, 1);
    return RunModal(this);
}

void TFrmLimitGl::loadLimitList()
{
    clbOperLimt->clear();
    QSqlQuery q(m_dm->ADOcnn());
    q.setForwardOnly(true);
    if (!m_dm->OpenQuery(q, QStringLiteral("select F_name from Limits where F_flag = true order by F_ID")))
        return;
    while (q.next()) {
        auto *item = new QListWidgetItem(q.value(0).toString(), clbOperLimt);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TFrmLimitGl::LoadOperator(bool editMode)
{
    setAllChecked(false);
    edtPassWord->clear();
    edtRepPass->clear();
    // Stored passwords are one-way hashes: change mode never shows one, and
    // boxes left empty keep it.
    const QString keep = editMode ? QStringLiteral("不填写则保持原密码") : QString();
    edtPassWord->setPlaceholderText(keep);
    edtRepPass->setPlaceholderText(keep);
    if (!editMode) {
        cbbName->setEditText(QString());
        Mem1->clear();
        cbXtFlag->setChecked(false);
        CheckBox1->setChecked(false);
        return;
    }

    cbbName->setEditText(m_current.name);
    cbXtFlag->setChecked(m_current.xtFlag);
    CheckBox1->setChecked(m_current.disabled);
    Mem1->setPlainText(m_current.memo);

    QSqlQuery q(m_dm->ADOcnn());
    q.setForwardOnly(true);
    if (!m_dm->OpenQuery(q, QStringLiteral("select F_lmtName from OperLimit where F_OperName = :name"),
                         {{QStringLiteral(":name"), m_current.name.trimmed()}}))
        return;
    QSet<QString> granted;
    while (q.next())
        granted.insert(q.value(0).toString());
    for (int i = 0; i < clbOperLimt->count(); ++i) {
        QListWidgetItem *item = clbOperLimt->item(i);
        if (granted.contains(item->text()))
            item->setCheckState(Qt::Checked);
    }
}

QStringList TFrmLimitGl::checkedLimits() const
{
    QStringList out;
    for (int i = 0; i < clbOperLimt->count(); ++i) {
        if (clbOperLimt->item(i)->checkState() == Qt::Checked)
            out << clbOperLimt->item(i)->text();
    }
    return out;
}

void TFrmLimitGl::setAllChecked(bool checked)
{
    for (int i = 0; i < clbOperLimt->count(); ++i)
        clbOperLimt->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFrmLimitGl::Button1Click()
{
    setAllChecked(true);
}

void TFrmLimitGl::Button2Click()
{
    setAllChecked(false);
}

void TFrmLimitGl::BitBtn1Click()
{
    const QString name = cbbName->currentText().trimmed();
    if (name.isEmpty()) {
        ShowMess(QStringLiteral("操作员名称不能为空！"), MessInfo);
        cbbName->setFocus();
        return;
    }
    if (edtRepPass->text() != edtPassWord->text()) {
        ShowMess(QStringLiteral("验正码不正确，请重新确认输入！"), MessInfo);
        edtRepPass->setFocus();
        return;
    }

    OperatorRecord op;
    op.id = m_editMode ? m_current.id : 0;
    op.name = name;
    op.memo = Mem1->toPlainText();
    op.disabled = CheckBox1->isChecked();
    op.xtFlag = cbXtFlag->isChecked();
    // An empty pair keeps the stored password; a new operator gets the empty one.
    std::optional<QString> password;
    if (!m_editMode || !edtPassWord->text().isEmpty())
        password = edtPassWord->text();

    OperatorStore store(m_dm->ADOcnn());
    switch (store.save(op, password, checkedLimits())) {
    case OperatorStore::SaveResult::Duplicate:
        ShowMess(QStringLiteral("操作员名称重复，请重新输入！"), MessInfo);
        cbbName->setFocus();
        return;
    case OperatorStore::SaveResult::Failed:
        ShowMess(SaveFailedText, MessError);
        return;
    case OperatorStore::SaveResult::Saved:
        break;
    }

    if (m_saved)
        m_saved(name);
    if (m_editMode) {
        accept();
        return;
    }
    LoadOperator(false);
    cbbName->setFocus();
}

void TFrmLimitGl::BitBtn2Click()
{
    reject();
}
