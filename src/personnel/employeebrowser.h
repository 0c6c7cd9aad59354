#pragma once

#include "personnel/employeelistquery.h"

#include <QVariant>
#include <QWidget>

class DataGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class SqlPageModel;
class TdmData;

// The employee list of the main window with what decides its contents: the
// search bar, "包含已离职", the item list and the department tree in the left
// pane, and the advanced search.
class EmployeeBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit EmployeeBrowser(TdmData *dm, QWidget *parent = nullptr);
    ~EmployeeBrowser() override;

    // Rebuilds the statement from the controls and reopens the list. False
    // (the list empty, the count unchanged) when the engine refused it.
    bool RefreshEmployees();
    // Fills the item list for a kind and refreshes the list.
    void FillItemList(const QString &sql, int kind);
    void LoadDepartments();

    // Handlers.
    void ComboBox1Change();
    void Edit1Change();
    void BitBtn1Click();
    void CheckBox1Click();
    void cbbListTypeChange(int kind);
    void vleListClick(int row);
    void tvTreeDblClick(QTreeWidgetItem *item);
    void SpeedButton2Click();

    // The filter the controls describe now.
    EmployeeListQuery::Filter currentFilter() const;
    bool advancedFind() const;

    DataGrid *grid() const { return DBGridEh1; }
    SqlPageModel *QryMain() const { return m_qryMain; }
    QWidget *leftPane() const;
    // The current employee: his F_ID (0 when the list is empty) and any field.
    qint64 currentEmployeeId() const;
    QVariant currentValue(const QString &field) const;
    QString countText() const;

signals:
    void listRefreshed();
    void currentEmployeeChanged();
    void editRequested();                              // a double-click on a row
    void advancedCount(const QString &text);           // for the status bar
    void leftPaneToggled();

private:
    void buildSearchBar();
    void buildLeftPane();
    void updateTreeIcons();
    void updateCount();

    TdmData *m_dm;
    SqlPageModel *m_qryMain;
    QTimer *m_typing;

    QToolButton *SpeedButton1;
    QComboBox *ComboBox1;
    QLineEdit *Edit1;
    QPushButton *BitBtn1;
    QCheckBox *CheckBox1;
    QToolButton *SpeedButton2;
    QSplitter *m_split;
    QWidget *Panel4;
    QTabWidget *RPChrm;
    QComboBox *cbbListType;
    QTableWidget *vleList;
    QTreeWidget *tvTree;
    DataGrid *DBGridEh1;
    QLabel *lblZCnum;
    int m_itemKind = 0;
    int m_selectedItemRow = 0;
    QTreeWidgetItem *m_treeFilterNode = nullptr;
};
