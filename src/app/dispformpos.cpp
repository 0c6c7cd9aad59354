#include "app/dispformpos.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {
QPointer<QWidget> g_mainForm;
}

void SetMainFormForPlacement(QWidget *mainWindow)
{
    g_mainForm = mainWindow;
}

void DispFormPos(QWidget *window, int mode)
{
    if (!window)
        return;
    QWidget *over = g_mainForm.data();
    if (mode != 0) {
        QWidget *active = QApplication::activeWindow();
        if (active && active != window)
            over = active;
    }

    window->adjustSize();
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    QScreen *screen = over ? over->screen() : window->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect target = over && over->isVisible() ? over->frameGeometry() : area;

    QPoint topLeft = target.center() - QPoint(size.width() / 2, size.height() / 2);
    topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - size.width())));
    topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() - size.height())));
    window->move(topLeft);
}
