#pragma once

#include <QDialog>

class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TdmData;

// "员工部门资料": the department tree (t_treecode, flag "dept"), maintained
// (mode 1) or picked from (mode 2, the chooser behind every department box).
class TFrmTreeCodeMan : public QDialog
{
    Q_OBJECT
public:
    enum Mode { MaintainMode = 1, PickMode = 2 };

    explicit TFrmTreeCodeMan(TdmData *dm, QWidget *parent = nullptr);

    // Maintenance from the main window: built, placed, run modally, destroyed.
    static void ShowTree(TdmData *dm, QWidget *parent);
    // The chooser: the picked department's path, or an empty text on cancel.
    static QString ChooseDept(TdmData *dm, QWidget *parent, const QString &current);

    // Sets the mode and fills the tree, its root expanded.
    void OpenTree(int mode);
    // Pick mode: preselects the nodes whose path is `current` and runs the
    // window modally. On OK `path` is the chosen node's path and the result
    // true; else `path` is `current`.
    bool PickDept(const QString &current, QString &path);

    int mode() const { return m_mode; }
    QTreeWidget *tree() const { return tvTree; }
    // The path a node stands for: its stored path, or the one its names give.
    static QString nodePath(const QTreeWidgetItem *item);

    // Handlers.
    void btnAddSameClick();    // 添加同类
    void btnAddChildClick();   // 添加子类
    void btnEditClick();       // 修    改, also Ctrl+S
    void btnDeleteClick();     // 删除(包含子类), also Del
    void btnOkClick();
    void btnCancelClick();
    void tvTreeDblClick(QTreeWidgetItem *item);

    static inline const QString Flag = QStringLiteral("dept");
    static inline const QString RootCaption = QStringLiteral("员工部门资料");
    static inline const QString WriteFailedText = QStringLiteral("数据连接失败，请与作者联系... ");

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTreeWidgetItem *selectedNode() const;
    // Asks for a name that can be the name of a department at parentPath
    // (not `exceptCode` itself); empty when the operator gave up.
    QString askDeptName(const QString &title, const QString &name, const QString &parentPath, const QString &exceptCode);
    // Refuses a new node where its level holds no free code.
    QString newCode(const QString &code, int mode);
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &code, const QString &name, const QString &path);
    void updateIcons(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void setIcon(QTreeWidgetItem *item, bool selected);
    void preselect(const QString &path);
    void showPopup(const QPoint &pos);

    TdmData *m_dm;
    int m_mode = MaintainMode;
    QString m_current;
    QLabel *lblHint;
    QTreeWidget *tvTree;
    QPushButton *btnAddSame;
    QPushButton *btnAddChild;
    QPushButton *btnEdit;
    QPushButton *btnDelete;
    QWidget *pnlBottom;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QMenu *PopupMenu1;
};

// Makes TFrmTreeCodeMan the department chooser of every box with a chooser button.
void InstallDeptPicker(TdmData *dm);
