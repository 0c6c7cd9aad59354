#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The name dialog: asks for a department's name ("节点名称"). Its hidden
// chooser button `sbtype`, shown only for the change of department of the
// selected employees, puts a department path picked from the tree into the edit.
class TDLGenterCaption : public QDialog
{
    Q_OBJECT
public:
    // Gives the message to show for a name that cannot be taken (the dialog
    // then stays open), or an empty text for one that will do.
    using NameCheck = std::function<QString(const QString &name)>;

    explicit TDLGenterCaption(QWidget *parent = nullptr);

    // Runs the dialog with the title as its caption and the edit pre-filled
    // with `name`. Returns the entered text on "确定", else an empty text.
    static QString AskName(QWidget *parent, const QString &title, const QString &name = QString(),
                           const NameCheck &check = NameCheck(), bool showChooser = false);

    void setName(const QString &name);
    QString name() const;
    void setNameCheck(NameCheck check) { m_check = std::move(check); }
    void setChooserVisible(bool visible);

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    void sbtypeClick();

private:
    NameCheck m_check;
    QLabel *Label1;
    QLineEdit *edtCurValue;
    QToolButton *sbtype;
    QPushButton *btnOk;
    QPushButton *btnCancel;
};
