#include "toolkit/Pictures.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap SkyBackdrop(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(0x5f, 0xb4, 0xea));
    sky.setColorAt(0.55, QColor(0x87, 0xce, 0xfa));
    sky.setColorAt(1, QColor(0xd6, 0xee, 0xfd));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 38));
    painter.drawEllipse(QPointF(40, 150), 90, 90);
    painter.drawEllipse(QPointF(150, 10), 55, 55);
    return picture;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int side : {16, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x15, 0x65, 0xc0));
        painter.drawRoundedRect(QRectF(0, 0, side, side), side / 5.0, side / 5.0);
        painter.setPen(Qt::white);
        QFont font(QStringLiteral("华文中宋"));
        font.setPixelSize(side * 3 / 4);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, QStringLiteral("晨"));
        icon.addPixmap(pixmap);
    }
    return icon;
}
