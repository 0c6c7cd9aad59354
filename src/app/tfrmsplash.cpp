#include "app/tfrmsplash.h"

#include "app/globals.h"

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {

QPixmap splashPicture(const QSize &size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1.0, QColor(0x0b, 0x24, 0x47));
    p.fillRect(pm.rect(), sky);

    // A band of folders, the program's emblem.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(255, 255, 255, 28 + 10 * i));
        p.drawRoundedRect(QRectF(250 + i * 22, 30 + i * 14, 110, 80), 6, 6);
    }

    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(28, 120, size.width() - 40, 44), Qt::AlignLeft | Qt::AlignVCenter, ProductTitle.trimmed());

    QFont sub = title;
    sub.setPixelSize(16);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(0xc8, 0xd8, 0xf0));
    p.drawText(QRect(30, 166, size.width() - 40, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("人事档案管理  ") + ProductVersion);

    p.setPen(QColor(255, 255, 255, 90));
    p.drawLine(28, 200, size.width() - 28, 200);
    return pm;
}

} // namespace

TfrmSplash::TfrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(new QLabel(this))
    , Label1(new QLabel(this))
{
    setObjectName(QStringLiteral("TfrmSplash"));
    setWindowTitle(ApplicationTitle);
    setFixedSize(470, 294);
    m_picture->setGeometry(rect());
    m_picture->setPixmap(splashPicture(size()));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(30, 240, 420, 24);
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(13);
    Label1->setFont(f);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label1->setText(StartingText);

    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSplash::setStatus(const QString &text)
{
    Label1->setText(text);
    Label1->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TfrmSplash::status() const
{
    return Label1->text();
}
