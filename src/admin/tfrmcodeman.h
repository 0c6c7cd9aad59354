#pragma once

#include <QDialog>
#include <QVector>

class CodeListModel;
class DataGrid;
class QButtonGroup;
class QLabel;
class QStatusBar;
class QToolBar;
class QToolButton;
class TdmData;

// "选项设置管理": the option lists of t_code, one tab per category. Edits are
// held in memory until "保存" writes them all in one transaction or "取消"
// drops them all; "删除" writes at once.
class TFrmCodeMan : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmCodeMan(TdmData *dm, QWidget *parent = nullptr);

    // From the main window: built, placed, run modally, destroyed.
    static void ShowCodeMan(TdmData *dm, QWidget *parent);

    QString currentCategory() const;
    QString columnTitle() const { return m_title; }
    bool isEditing() const { return m_editing; }
    CodeListModel *model() const { return m_list; }
    DataGrid *grid() const { return DBGridEh1; }

    // Handlers.
    void PageControl1Change(int index);
    void tbNewClick();
    void tbEditClick();
    void tbDelClick();
    void tbSaveClick();
    void tbCancelClick();
    void tbPrintClick();
    void tbRefreshClick();
    void tbExitClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *addTool(const QString &name, const QString &caption, int icon);
    void openList();
    void setEditing(bool editing);
    // Hands the text in the open cell editor to the list.
    void postEditor();
    void showStatus();

    TdmData *m_dm;
    CodeListModel *m_list;
    int m_page = 0;
    QString m_title;
    bool m_editing = false;

    QToolBar *ToolBar1;
    QToolButton *tbNew;
    QToolButton *tbEdit;
    QToolButton *tbDel;
    QToolButton *tbSave;
    QToolButton *tbCancel;
    QToolButton *tbPrint;
    QToolButton *tbRefresh;
    QToolButton *tbExit;
    QWidget *PageControl1;
    QButtonGroup *m_tabs;
    QVector<QToolButton *> m_tabButtons;
    DataGrid *DBGridEh1;
    QStatusBar *StatusBar1;
    QLabel *m_modePanel;
    QLabel *m_countPanel;
};
