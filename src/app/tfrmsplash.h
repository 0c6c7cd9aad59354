#pragma once

#include <QWidget>

class QLabel;

// The start-up window: a picture and one status line.
class TfrmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);

    // Sets the status line and paints it at once (the event loop is not running yet).
    void setStatus(const QString &text);
    QString status() const;

    static inline const QString StartingText = QStringLiteral("系统正在启动，请稍候 .....");

private:
    QLabel *m_picture;
    QLabel *Label1;
};
