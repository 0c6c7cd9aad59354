#include "app/keyfilter.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

KeyFilter::KeyFilter(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

KeyFilter *KeyFilter::install(QWidget *window)
{
    auto *filter = new KeyFilter(window);
    window->installEventFilter(filter);
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *w : children)
        w->installEventFilter(filter);
    return filter;
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != m_window)
        return false;

    if (key->key() == Qt::Key_S && key->modifiers() == Qt::ControlModifier && m_save) {
        m_save();
        return true;
    }
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_cancel) {
        // An open drop-down closes first.
        if (auto *box = qobject_cast<QComboBox *>(w); box && box->view() && box->view()->isVisible())
            return false;
        m_cancel();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
        if (qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w) || qobject_cast<QAbstractButton *>(w))
            return false;
        if (auto *box = qobject_cast<QComboBox *>(w->parentWidget()); box && box->view() && box->view()->isVisible())
            return false;
        if (w->property("enterKeepsFocus").toBool())
            return false;
        // The widget moves the focus on as it does for Tab.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(w, &tab);
        return true;
    }
    return false;
}
