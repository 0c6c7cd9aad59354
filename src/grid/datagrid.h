#pragma once

#include "grid/gridcolumn.h"

#include <QStringList>
#include <QTableView>
#include <functional>

class SqlPageModel;
class QAbstractItemModel;

// The data grid of every list: a table view over a list model, shown through
// a set of grid columns (field, caption, width, visibility, alignment,
// read-only, display pattern, footer) as a layout in cfg_grid describes them.
//
// The grid never reads every row: cells ask the model for what is visible,
// the footer's sums are the model's engine aggregates, and the title-click
// sort is the model's ORDER BY over the whole list. Rows have one fixed height.
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // The list shown: a SqlPageModel (sorting, sums and locate by the engine)
    // or any table model (an in-memory one, e.g. an import preview). Not owned.
    void setSourceModel(QAbstractItemModel *model);
    QAbstractItemModel *sourceModel() const;
    SqlPageModel *pageModel() const;   // null unless the source is a SqlPageModel

    // Columns in on-screen order, with the widths and visibility they have now.
    // Until columns are set, the grid shows one column per field of the model.
    // The view's model has one column per grid column: in on-screen order
    // after every reset, in their old places while the operator drags titles.
    GridColumns columns() const;
    void setColumns(const GridColumns &columns);
    bool hasOwnColumns() const;
    // Position in columns() of the column that shows the field; -1 if none.
    int columnIndexOfField(const QString &field) const;
    // Shows or hides the column at a position of columns().
    void setColumnVisible(int position, bool visible);
    // The field of the current cell's column; empty if none.
    QString currentField() const;

    // Title clicks on columns whose field contains this text (any letter
    // case) change the marker but do not sort: memo columns. Default "mem".
    void setSortExemptText(const QString &text);
    QString sortExemptText() const { return m_sortExempt; }
    // A title click: ascending first, descending on the next click of the same title.
    void titleClick(int column);
    int sortColumn() const;                                   // logical column of the marker; -1: none
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // The sort dialog's order ("f_code ASC,f_name DESC,"); empty restores the
    // statement's own order. Clears the title marker.
    bool setOrderText(const QString &orderText);

    // Fields whose no-date values (see IsNoDate) show as empty cells.
    void setBlankDateFields(const QStringList &fields);
    QStringList blankDateFields() const;
    // Rows for which the rule holds are drawn red on the button-face colour.
    void setRowColorRule(std::function<bool(int row)> rule);

    // The footer text of the column at a logical model column (fixed text, or
    // the model's sum over every row of the list, under the column's pattern).
    QString footerText(int column) const;
    Qt::Alignment footerAlignment(int column) const;
    bool hasFooter() const;
    QRect footerRect() const;   // in the grid's coordinates; empty without footer

    // The current row; -1 when there is none.
    int currentRow() const;
    int rowCount() const;
    bool setCurrentRow(int row);
    bool first();
    bool prior();
    bool next();
    bool last();
    // Makes the first row (in list order) whose field equals the value current
    // and visible. False (and the current row kept) when no row matches.
    bool locate(const QString &field, const QVariant &value);
    // Rows of the selection in ascending order (empty when nothing is selected).
    QList<int> selectedRows() const;

signals:
    void currentRowChanged(int row);

protected:
    void updateGeometries() override;
    void changeEvent(QEvent *event) override;

private:
    class ViewModel;
    class Footer;

    void syncFromHeader();
    void applyColumnGeometry();
    void applySortMarker();
    void onSourceAboutToBeReset();
    void onSourceReset();
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void updateFooter();
    void onSectionResized(int column, int oldSize, int newSize);
    void setUniformRowHeight();
    int footerHeight() const;
    int firstVisibleColumn() const;

    ViewModel *m_view;
    Footer *m_footer;
    int m_marginDepth = 0;        // updateGeometries nesting (viewport margins resize the viewport)
    bool m_sortingSelf = false;   // the model is being re-read for the grid's own sort
    bool m_columnsChanging = false;
    QString m_sortExempt = QStringLiteral("mem");
    int m_sortMarkerColumn = -1;  // logical column of the marker; -1: none
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_emittedRow = -2;        // last row announced by currentRowChanged
};
