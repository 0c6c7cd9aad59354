#include "report/tfrmreportgl.h"

#include "report/showreport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

const QVector<TFrmReportGl::Entry> &TFrmReportGl::entries()
{
    static const QVector<Entry> all = {
        {QStringLiteral("当前员工档案报表"), QStringLiteral("frEmpXianqing")},
        {QStringLiteral("当前员工统计列表"), QStringLiteral("frEmpList")},
    };
    return all;
}

TFrmReportGl::TFrmReportGl(const ReportData &data, QWidget *parent)
    : QDialog(parent), m_data(data)
{
    setObjectName(QStringLiteral("TFrmReportGl"));
    setWindowTitle(QStringLiteral("报表管理器"));
    resize(380, 260);

    auto *hint = new QLabel(QStringLiteral("要设计或预览报表，请先在列表框中选中后再操作"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setWordWrap(true);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const Entry &e : entries())
        ListBox1->addItem(e.caption);

    auto *Button3 = new QPushButton(QStringLiteral("设计"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    auto *Button4 = new QPushButton(QStringLiteral("预览"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    auto *Button5 = new QPushButton(QStringLiteral("关闭"), this);
    Button5->setObjectName(QStringLiteral("Button5"));

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addStretch(1);
    buttons->addWidget(Button5);
    auto *body = new QHBoxLayout;
    body->addWidget(ListBox1, 1);
    body->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(body, 1);

    connect(Button3, &QPushButton::clicked, this, &TFrmReportGl::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFrmReportGl::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TFrmReportGl::Button5Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TFrmReportGl::Button4Click);
}

QString TFrmReportGl::chosenTemplate() const
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= entries().size() || !ListBox1->item(row)->isSelected())
        return QString();
    return entries().at(row).templateName;
}

void TFrmReportGl::Button3Click()
{
    const QString name = chosenTemplate();
    if (!name.isEmpty())
        DesignMainReport(this, name, m_data);
}

void TFrmReportGl::Button4Click()
{
    const QString name = chosenTemplate();
    if (!name.isEmpty())
        ShowMainReport(this, name, m_data);
}

void TFrmReportGl::Button5Click()
{
    accept();
}
