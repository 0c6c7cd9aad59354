#pragma once

#include <QObject>
#include <functional>

class QWidget;

// The keys every window shares: Enter moves to the next field (never inside
// multi-line text and never on a button, where it presses it), and optional
// shortcuts for save (Ctrl+S) and cancel (Esc). Installed once on a window.
class KeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeyFilter(QWidget *window);

    void onSave(std::function<void()> handler) { m_save = std::move(handler); }
    void onCancel(std::function<void()> handler) { m_cancel = std::move(handler); }

    // Installs the filter on the window and every child it has now.
    static KeyFilter *install(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    std::function<void()> m_save;
    std::function<void()> m_cancel;
};
