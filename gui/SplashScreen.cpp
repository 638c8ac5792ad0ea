#include "SplashScreen.h"

#include "Pictures.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

SplashScreen::SplashScreen(const QString &productName, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    QPixmap picture(420, 240);
    picture.fill(QColor(245, 247, 250));
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(40, 90, 160), 2));
        painter.drawRect(picture.rect().adjusted(1, 1, -2, -2));
        painter.drawPixmap(30, 60, ProgramEmblem(120));
        QFont font(QStringLiteral("Verdana"));
        font.setPixelSize(38);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(20, 60, 120));
        painter.drawText(QRect(170, 70, 240, 50), Qt::AlignLeft | Qt::AlignVCenter, productName);
        font.setPixelSize(13);
        font.setBold(false);
        painter.setFont(font);
        painter.setPen(QColor(70, 80, 100));
        painter.drawText(QRect(170, 125, 240, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         QStringLiteral("Finds domain names that are still free."));
    }
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setPixmap(picture);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picture);
    Timer2.setInterval(kTickMs);
    connect(&Timer2, &QTimer::timeout, this, &SplashScreen::OnTick);
}

void SplashScreen::Start()
{
    SplashTicks = 0;
    Timer2.start();
}

void SplashScreen::OnTick()
{
    const int previous = SplashTicks;
    SplashTicks += 2;
    if (previous != kLastTick)
        return;
    Timer2.stop();
    emit countdownFinished();
    hide();
}
