#include "grid/tfrmrowarrangegl.h"

#include "app/modal.h"
#include "grid/datagrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

QString SortOrderText(const QVector<SortRow> &rows, const GridColumns &columns)
{
    QString order;
    for (const SortRow &row : rows) {
        const bool asc = row.direction == TfrmRowArrangeGl::AscText;
        if (!asc && row.direction != TfrmRowArrangeGl::DescText)
            continue;
        int column = row.column >= 0 && row.column < columns.size() ? row.column : -1;
        for (int i = 0; column < 0 && i < columns.size(); ++i) {
            if (columns.at(i).caption == row.title)
                column = i;
        }
        if (column < 0 || columns.at(column).field.isEmpty())
            continue;
        order += columns.at(column).field.toLower() + (asc ? QStringLiteral(" ASC,") : QStringLiteral(" DESC,"));
    }
    return order;
}

namespace {

// The direction cell's drop-down: empty, 升序, 降序.
class DirectionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *box = new QComboBox(parent);
        box->addItems({QString(), TfrmRowArrangeGl::AscText, TfrmRowArrangeGl::DescText});
        // A choice counts at once, also when "确定" is pressed with the list still open.
        auto *self = const_cast<DirectionDelegate *>(this);
        connect(box, &QComboBox::activated, self, [self, box] { emit self->commitData(box); });
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *box = static_cast<QComboBox *>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText());
    }
};

} // namespace

TfrmRowArrangeGl::TfrmRowArrangeGl(QWidget *parent)
    : QDialog(parent)
    , Label1(new QLabel(HintText, this))
    , sgFields(new QTableWidget(0, 2, this))
    , btnUp(new QPushButton(QStringLiteral("上移"), this))
    , btnDown(new QPushButton(QStringLiteral("下移"), this))
    , btnOk(new QPushButton(QStringLiteral("确定"), this))
    , btnCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("frmRowArrangeGl"));
    setWindowTitle(QStringLiteral("排序对话框"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    sgFields->setObjectName(QStringLiteral("sgFields"));
    btnUp->setObjectName(QStringLiteral("btnUp"));
    btnDown->setObjectName(QStringLiteral("btnDown"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setDefault(true);

    sgFields->horizontalHeader()->hide();
    sgFields->verticalHeader()->hide();
    sgFields->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgFields->setSelectionMode(QAbstractItemView::SingleSelection);
    // A click on the selected direction cell opens its drop-down; a double-click cycles it.
    sgFields->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    sgFields->setItemDelegateForColumn(1, new DirectionDelegate(sgFields));
    sgFields->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    sgFields->setColumnWidth(1, 90);
    sgFields->verticalHeader()->setDefaultSectionSize(sgFields->fontMetrics().height() + 8);

    auto *side = new QVBoxLayout;
    side->addWidget(btnUp);
    side->addWidget(btnDown);
    side->addStretch();
    side->addWidget(btnOk);
    side->addWidget(btnCancel);
    auto *body = new QHBoxLayout;
    body->addWidget(sgFields, 1);
    body->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(body);
    resize(420, 400);

    connect(sgFields, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { cycleDirection(row); });
    connect(btnUp, &QPushButton::clicked, this, &TfrmRowArrangeGl::btnUpClick);
    connect(btnDown, &QPushButton::clicked, this, &TfrmRowArrangeGl::btnDownClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmRowArrangeGl::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmRowArrangeGl::btnCancelClick);
}

void TfrmRowArrangeGl::setColumns(const GridColumns &columns)
{
    m_columns = columns;
    m_order.clear();
    sgFields->setRowCount(0);
    sgFields->setRowCount(int(columns.size()));
    for (int i = 0; i < columns.size(); ++i) {
        auto *title = new QTableWidgetItem(columns.at(i).caption);
        title->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        title->setData(Qt::UserRole, i);   // the column it stands for, whatever its title
        sgFields->setItem(i, 0, title);
        auto *direction = new QTableWidgetItem(QString());
        direction->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        sgFields->setItem(i, 1, direction);
    }
    if (!columns.isEmpty())
        setCurrentRow(0);
}

QVector<SortRow> TfrmRowArrangeGl::rows() const
{
    QVector<SortRow> out;
    for (int i = 0; i < sgFields->rowCount(); ++i) {
        const QTableWidgetItem *title = sgFields->item(i, 0);
        out.append({title->text(), sgFields->item(i, 1)->text(), title->data(Qt::UserRole).toInt()});
    }
    return out;
}

void TfrmRowArrangeGl::setDirection(int row, const QString &direction)
{
    if (row >= 0 && row < sgFields->rowCount())
        sgFields->item(row, 1)->setText(direction);
}

int TfrmRowArrangeGl::currentRow() const
{
    return sgFields->currentRow();
}

void TfrmRowArrangeGl::setCurrentRow(int row)
{
    if (row >= 0 && row < sgFields->rowCount())
        sgFields->setCurrentCell(row, 0);
}

void TfrmRowArrangeGl::cycleDirection(int row)
{
    if (row < 0 || row >= sgFields->rowCount())
        return;
    QTableWidgetItem *item = sgFields->item(row, 1);
    if (item->text() == AscText)
        item->setText(DescText);
    else if (item->text() == DescText)
        item->setText(QString());
    else
        item->setText(AscText);
}

void TfrmRowArrangeGl::swapRows(int a, int b)
{
    for (int c = 0; c < 2; ++c) {
        QTableWidgetItem *first = sgFields->takeItem(a, c);
        QTableWidgetItem *second = sgFields->takeItem(b, c);
        sgFields->setItem(a, c, second);
        sgFields->setItem(b, c, first);
    }
}

void TfrmRowArrangeGl::btnUpClick()
{
    const int row = currentRow();
    if (row <= 0)
        return;
    swapRows(row, row - 1);
    setCurrentRow(row - 1);
}

void TfrmRowArrangeGl::btnDownClick()
{
    const int row = currentRow();
    if (row < 0 || row + 1 >= sgFields->rowCount())
        return;
    swapRows(row, row + 1);
    setCurrentRow(row + 1);
}

void TfrmRowArrangeGl::btnOkClick()
{
    m_order = SortOrderText(rows(), m_columns);
    accept();
}

void TfrmRowArrangeGl::btnCancelClick()
{
    m_order.clear();
    reject();
}

bool TfrmRowArrangeGl::GetSortOrder(DataGrid *grid, QString &order)
{
    order.clear();
    TfrmRowArrangeGl dlg(grid ? grid->window() : nullptr);
    dlg.setColumns(grid ? grid->columns() : GridColumns());
    if (RunModal(&dlg) != QDialog::Accepted)
        return false;
    order = dlg.orderText();
    return true;
}
