#include "grid/tfrmdispfieldxz.h"

#include "app/modal.h"
#include "grid/datagrid.h"
#include "grid/gridlayout.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFrmDispFieldXZ::TFrmDispFieldXZ(QWidget *parent)
    : QDialog(parent)
    , CheckListBox1(new QListWidget(this))
    , btnOk(new QPushButton(QStringLiteral("确定"), this))
    , btnCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("FrmDispFieldXZ"));
    setWindowTitle(QStringLiteral("字段列表"));
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(CheckListBox1);
    layout->addLayout(buttons);
    resize(260, 380);

    connect(btnOk, &QPushButton::clicked, this, &TFrmDispFieldXZ::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmDispFieldXZ::btnCancelClick);
}

void TFrmDispFieldXZ::setColumns(const GridColumns &columns)
{
    CheckListBox1->clear();
    for (const GridColumn &c : columns) {
        auto *item = new QListWidgetItem(c.caption, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(c.visible ? Qt::Checked : Qt::Unchecked);
    }
    if (CheckListBox1->count() > 0)
        CheckListBox1->setCurrentRow(0);
    m_result.clear();
}

void TFrmDispFieldXZ::btnOkClick()
{
    m_result.clear();
    for (int i = 0; i < CheckListBox1->count(); ++i)
        m_result << (CheckListBox1->item(i)->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0"));
    accept();
}

void TFrmDispFieldXZ::btnCancelClick()
{
    m_result.clear();
    reject();
}

QStringList TFrmDispFieldXZ::ShowColumnList(DataGrid *grid)
{
    TFrmDispFieldXZ dlg(grid ? grid->window() : nullptr);
    const GridColumns columns = grid->columns();
    dlg.setColumns(columns);
    if (RunModal(&dlg) != QDialog::Accepted)
        return {};
    const QStringList shown = dlg.choices();
    for (int i = 0; i < shown.size() && i < columns.size(); ++i)
        grid->setColumnVisible(i, shown.at(i) == QLatin1String("1"));
    return shown;
}

void ChooseGridColumns(DataGrid *grid)
{
    if (grid)
        TFrmDispFieldXZ::ShowColumnList(grid);
}
