#include "Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;

void DrawPage(QPainter &painter, const QRectF &rect)
{
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(70, 80, 100), 1.4));
    painter.drawRect(rect);
    painter.setPen(QPen(QColor(150, 160, 180), 1));
    for (qreal y = rect.top() + 4; y < rect.bottom() - 2; y += 3)
        painter.drawLine(QPointF(rect.left() + 3, y), QPointF(rect.right() - 3, y));
}

void DrawArrow(QPainter &painter, bool right, const QColor &colour)
{
    // Drawn pointing right; the left arrow is its mirror image.
    painter.save();
    if (!right) {
        painter.translate(kSize, 0);
        painter.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(5, 9);
    path.lineTo(12, 9);
    path.lineTo(12, 4);
    path.lineTo(20, 12);
    path.lineTo(12, 20);
    path.lineTo(12, 15);
    path.lineTo(5, 15);
    path.closeSubpath();
    painter.setPen(QPen(colour.darker(140), 1.2));
    painter.setBrush(colour);
    painter.drawPath(path);
    painter.restore();
}

void DrawMagnifier(QPainter &painter)
{
    painter.setPen(QPen(QColor(60, 70, 90), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
    painter.setBrush(QColor(200, 225, 250));
    painter.setPen(QPen(QColor(60, 70, 90), 2));
    painter.drawEllipse(QPointF(10, 10), 6, 6);
}

} // namespace

QIcon PictureIcon(Picture picture)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case Picture::Start: {
        QPolygonF triangle({QPointF(6, 3), QPointF(20, 12), QPointF(6, 21)});
        painter.setPen(QPen(QColor(20, 110, 40), 1.4));
        painter.setBrush(QColor(60, 170, 80));
        painter.drawPolygon(triangle);
        break;
    }
    case Picture::Stop:
    case Picture::Halt:
        painter.setPen(QPen(QColor(150, 20, 20), 1.4));
        painter.setBrush(QColor(210, 50, 50));
        painter.drawRoundedRect(QRectF(5, 5, 14, 14), 2, 2);
        break;
    case Picture::Search:
        DrawMagnifier(painter);
        break;
    case Picture::Setup: {
        painter.setPen(QPen(QColor(70, 80, 100), 3, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            painter.save();
            painter.translate(12, 12);
            painter.rotate(i * 45);
            painter.drawLine(QPointF(0, 6), QPointF(0, 9.5));
            painter.restore();
        }
        painter.setBrush(QColor(150, 160, 180));
        painter.setPen(QPen(QColor(70, 80, 100), 1.6));
        painter.drawEllipse(QPointF(12, 12), 6.5, 6.5);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(12, 12), 2.5, 2.5);
        break;
    }
    case Picture::Website:
    case Picture::Go: {
        painter.setBrush(QColor(120, 180, 235));
        painter.setPen(QPen(QColor(40, 80, 140), 1.4));
        painter.drawEllipse(QPointF(12, 12), 9, 9);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(12, 12), 4, 9);
        painter.drawLine(QPointF(3, 12), QPointF(21, 12));
        painter.drawLine(QPointF(12, 3), QPointF(12, 21));
        break;
    }
    case Picture::Copy:
        DrawPage(painter, QRectF(3, 3, 11, 14));
        DrawPage(painter, QRectF(9, 7, 11, 14));
        break;
    case Picture::Del:
        painter.setPen(QPen(QColor(190, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(6, 6), QPointF(18, 18));
        painter.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case Picture::Clear:
        painter.setPen(QPen(QColor(70, 80, 100), 1.4));
        painter.setBrush(QColor(190, 195, 205));
        painter.drawRect(QRectF(6, 8, 12, 13));
        painter.drawRect(QRectF(4, 5, 16, 3));
        painter.drawLine(QPointF(10, 3), QPointF(14, 3));
        for (const qreal x : {9.0, 12.0, 15.0})
            painter.drawLine(QPointF(x, 10), QPointF(x, 19));
        break;
    case Picture::Back:
        DrawArrow(painter, false, QColor(70, 130, 200));
        break;
    case Picture::Forward:
        DrawArrow(painter, true, QColor(70, 130, 200));
        break;
    case Picture::Refresh: {
        painter.setPen(QPen(QColor(40, 140, 70), 2.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(5, 5, 14, 14), 40 * 16, 280 * 16);
        QPolygonF head({QPointF(15, 2), QPointF(21, 7), QPointF(14, 9)});
        painter.setBrush(QColor(40, 140, 70));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(head);
        break;
    }
    case Picture::Home: {
        QPolygonF house({QPointF(12, 3), QPointF(21, 11), QPointF(18, 11), QPointF(18, 20), QPointF(14, 20),
                         QPointF(14, 14), QPointF(10, 14), QPointF(10, 20), QPointF(6, 20), QPointF(6, 11),
                         QPointF(3, 11)});
        painter.setPen(QPen(QColor(120, 70, 30), 1.2));
        painter.setBrush(QColor(215, 150, 80));
        painter.drawPolygon(house);
        break;
    }
    case Picture::Add:
        painter.setPen(QPen(QColor(30, 130, 50), 3.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(12, 5), QPointF(12, 19));
        painter.drawLine(QPointF(5, 12), QPointF(19, 12));
        break;
    }
    painter.end();
    return QIcon(pixmap);
}

QPixmap ProgramEmblem(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);
    QLinearGradient sea(0, 0, 100, 100);
    sea.setColorAt(0, QColor(40, 110, 190));
    sea.setColorAt(1, QColor(20, 60, 120));
    painter.setBrush(sea);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(6, 6, 88, 88));
    painter.setPen(QPen(QColor(255, 255, 255, 120), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(26, 6, 48, 88));
    painter.drawLine(QPointF(6, 50), QPointF(94, 50));
    painter.drawLine(QPointF(14, 28), QPointF(86, 28));
    painter.drawLine(QPointF(14, 72), QPointF(86, 72));
    painter.setPen(QPen(QColor(255, 200, 40), 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QPointF(58, 58), 16, 16);
    painter.drawLine(QPointF(70, 70), QPointF(88, 88));
    return pixmap;
}
