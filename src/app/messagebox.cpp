#include "app/messagebox.h"

#include "app/globals.h"
#include "app/showmess.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

int showBox(const QString &text, int style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ApplicationTitle);
    box.setText(text);
    switch (style) {
    case MessQuestion: {
        box.setIcon(QMessageBox::Question);
        QPushButton *yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessYes : MessNo;
    }
    case MessWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessError:
        box.setIcon(QMessageBox::Critical);
        break;
    default:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QPushButton *ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return 0;
}

} // namespace

void InstallMessageBoxHandler()
{
    SetMessageHandler(showBox);
}
