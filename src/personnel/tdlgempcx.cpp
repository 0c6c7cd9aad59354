#include "personnel/tdlgempcx.h"

#include "app/codecombobox.h"
#include "app/datebox.h"
#include "app/deptpicker.h"
#include "app/dispformpos.h"
#include "app/keyfilter.h"
#include "app/modal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

CodeComboBox *codeBox(QWidget *parent, const char *name, const char *category)
{
    auto *b = new CodeComboBox(QString::fromLatin1(category), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCurrentText(QString());
    return b;
}

QComboBox *fixedBox(QWidget *parent, const char *name, const QStringList &items)
{
    auto *b = new QComboBox(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setEditable(true);
    b->addItems(items);
    b->setCurrentIndex(-1);
    b->setCurrentText(QString());
    return b;
}

} // namespace

TDlgEmpCX::TDlgEmpCX(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgEmpCX"));
    setWindowTitle(QStringLiteral("员工查询对话框"));

    auto *conditionsBox = new QGroupBox(QStringLiteral("查询条件"), this);
    edtcode = lineEdit(conditionsBox, "edtcode");
    edtname = lineEdit(conditionsBox, "edtname");
    cbeDept = lineEdit(conditionsBox, "cbeDept");
    m_deptButton = new QToolButton(conditionsBox);
    m_deptButton->setObjectName(QStringLiteral("cbeDeptButton"));
    m_deptButton->setText(QStringLiteral("..."));
    m_deptButton->setEnabled(HasDeptPicker());
    cbbduty = codeBox(conditionsBox, "cbbduty", "duty");
    cbbsex = fixedBox(conditionsBox, "cbbsex", {QStringLiteral("男"), QStringLiteral("女")});
    cbbIFhun = fixedBox(conditionsBox, "cbbIFhun", {QStringLiteral("是"), QStringLiteral("否")});
    cbbminzu = codeBox(conditionsBox, "cbbminzu", "minzu");
    cbbXueliLB = codeBox(conditionsBox, "cbbXueliLB", "xueliLB");
    cbbXueli = codeBox(conditionsBox, "cbbXueli", "xueli");
    cbbJishuZC = codeBox(conditionsBox, "cbbJishuZC", "jishuZC");
    edtZhuanye = lineEdit(conditionsBox, "edtZhuanye");
    edtXuexiao = lineEdit(conditionsBox, "edtXuexiao");
    edthomephone = lineEdit(conditionsBox, "edthomephone");
    edtjiguan = lineEdit(conditionsBox, "edtjiguan");
    cbbLaiyuan = codeBox(conditionsBox, "cbbLaiyuan", "laiyuan");
    edtAddress = lineEdit(conditionsBox, "edtAddress");
    edtSFZcode = lineEdit(conditionsBox, "edtSFZcode");

    auto *dept = new QWidget(conditionsBox);
    auto *deptLayout = new QHBoxLayout(dept);
    deptLayout->setContentsMargins(0, 0, 0, 0);
    deptLayout->setSpacing(1);
    deptLayout->addWidget(cbeDept, 1);
    deptLayout->addWidget(m_deptButton);

    // Caption and field pairs, three pairs a line, in the order of the conditions.
    const QList<std::pair<const char *, QWidget *>> fields = {
        {"编       号：", edtcode},  {"姓   名：", edtname},      {"部        门：", dept},
        {"职       务：", cbbduty},  {"性   别：", cbbsex},       {"婚        否：", cbbIFhun},
        {"民  族：", cbbminzu},      {"学历类别：", cbbXueliLB},  {"学   历：", cbbXueli},
        {"技术职称：", cbbJishuZC},  {"专  业：", edtZhuanye},    {"毕业院校：", edtXuexiao},
        {"联系电话：", edthomephone}, {"籍       贯：", edtjiguan}, {"录用来源：", cbbLaiyuan},
        {"现居住地：", edtAddress},  {"身份证号：", edtSFZcode},
    };
    auto *grid = new QGridLayout(conditionsBox);
    grid->setHorizontalSpacing(8);
    for (int i = 0; i < fields.size(); ++i) {
        auto *label = new QLabel(QString::fromUtf8(fields[i].first), conditionsBox);
        label->setBuddy(fields[i].second);
        grid->addWidget(label, i / 3, (i % 3) * 2, Qt::AlignRight);
        grid->addWidget(fields[i].second, i / 3, (i % 3) * 2 + 1);
        fields[i].second->setMinimumWidth(120);
    }
    RadioGroup1 = new QButtonGroup(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto *useBox = new QWidget(conditionsBox);
    auto *useLayout = new QHBoxLayout(useBox);
    useLayout->setContentsMargins(0, 0, 0, 0);
    const QStringList uses = {QStringLiteral("全      部"), QStringLiteral("正在使用"), QStringLiteral("不再使用")};
    for (int i = 0; i < uses.size(); ++i) {
        auto *r = new QRadioButton(uses[i], useBox);
        r->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
        RadioGroup1->addButton(r, i);
        useLayout->addWidget(r);
    }
    RadioGroup1->button(1)->setChecked(true);
    grid->addWidget(useBox, 5, 4, 1, 2);

    auto *datesBox = new QGroupBox(QStringLiteral("日期范围"), this);
    auto *dates = new QGridLayout(datesBox);
    CheckBox1 = new QCheckBox(QStringLiteral("毕业日期：自"), datesBox);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("录用日期：自"), datesBox);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    const auto dateBox = [&](const char *name) {
        auto *d = new DateBox(datesBox);
        d->setObjectName(QString::fromLatin1(name));
        d->setEnabled(false);
        return d;
    };
    dtpfromDate = dateBox("dtpfromDate");
    dtptoDate = dateBox("dtptoDate");
    dtpfromDate1 = dateBox("dtpfromDate1");
    dtptoDate1 = dateBox("dtptoDate1");
    dates->addWidget(CheckBox1, 0, 0);
    dates->addWidget(dtpfromDate, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("至"), datesBox), 0, 2);
    dates->addWidget(dtptoDate, 0, 3);
    dates->addWidget(CheckBox2, 0, 4);
    dates->addWidget(dtpfromDate1, 0, 5);
    dates->addWidget(new QLabel(QStringLiteral("至"), datesBox), 0, 6);
    dates->addWidget(dtptoDate1, 0, 7);
    dates->setColumnStretch(8, 1);

    Button1 = new QPushButton(QStringLiteral("查询(&P)"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("关闭(&C)"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(conditionsBox);
    layout->addWidget(datesBox);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TDlgEmpCX::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TDlgEmpCX::Button2Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TDlgEmpCX::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TDlgEmpCX::CheckBox2Click);
    connect(m_deptButton, &QToolButton::clicked, this, &TDlgEmpCX::cbeDeptButtonClick);

    KeyFilter *keys = KeyFilter::install(this);
    keys->onSave([this] {
        if (Button1->isEnabled())
            Button1Click();
    });
    keys->onCancel([this] { Button2Click(); });
    FormShow();
}

std::optional<ListQuery> TDlgEmpCX::BuildQuery(QWidget *parent)
{
    TDlgEmpCX dialog(parent);
    DispFormPos(&dialog, 0);
    RunModal(&dialog);
    return dialog.result();
}

void TDlgEmpCX::FormShow()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    for (DateBox *d : {dtpfromDate, dtpfromDate1}) {
        d->setDate(first);
        d->setChecked(true);
    }
    for (DateBox *d : {dtptoDate, dtptoDate1}) {
        d->setDate(today);
        d->setChecked(true);
    }
}

void TDlgEmpCX::CheckBox1Click()
{
    dtpfromDate->setEnabled(CheckBox1->isChecked());
    dtptoDate->setEnabled(CheckBox1->isChecked());
}

void TDlgEmpCX::CheckBox2Click()
{
    dtpfromDate1->setEnabled(CheckBox2->isChecked());
    dtptoDate1->setEnabled(CheckBox2->isChecked());
}

void TDlgEmpCX::cbeDeptButtonClick()
{
    const QString path = PickDeptPath(this, cbeDept->text());
    if (!path.isEmpty())
        cbeDept->setText(path);
}

EmployeeListQuery::Conditions TDlgEmpCX::conditions() const
{
    EmployeeListQuery::Conditions c;
    c.code = edtcode->text();
    c.name = edtname->text();
    c.dept = cbeDept->text();
    c.duty = cbbduty->currentText();
    c.sex = cbbsex->currentText();
    c.ifHun = cbbIFhun->currentText();
    c.minzu = cbbminzu->currentText();
    c.xueliLB = cbbXueliLB->currentText();
    c.xueli = cbbXueli->currentText();
    c.jishuZC = cbbJishuZC->currentText();
    c.zhuanye = edtZhuanye->text();
    c.xuexiao = edtXuexiao->text();
    c.homePhone = edthomephone->text();
    c.jiguan = edtjiguan->text();
    c.laiyuan = cbbLaiyuan->currentText();
    c.address = edtAddress->text();
    c.sfzCode = edtSFZcode->text();
    c.use = RadioGroup1->checkedId() < 0 ? 0 : RadioGroup1->checkedId();
    c.graduationRange = CheckBox1->isChecked();
    c.graduationFromTicked = dtpfromDate->isChecked();
    c.graduationToTicked = dtptoDate->isChecked();
    c.graduationFrom = dtpfromDate->date();
    c.graduationTo = dtptoDate->date();
    c.hireRange = CheckBox2->isChecked();
    c.hireFromTicked = dtpfromDate1->isChecked();
    c.hireToTicked = dtptoDate1->isChecked();
    c.hireFrom = dtpfromDate1->date();
    c.hireTo = dtptoDate1->date();
    return c;
}

void TDlgEmpCX::Button1Click()
{
    m_result = EmployeeListQuery::compose(conditions());
    accept();
}

void TDlgEmpCX::Button2Click()
{
    m_result.reset();
    reject();
}
