#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>

namespace icongen {
namespace {

const QColor kBlue(0x1f, 0x4f, 0xc8);
const QColor kGreen(0x1e, 0xa0, 0x3c);
const QColor kRed(0xd0, 0x2b, 0x2b);
const QColor kDark(0x33, 0x3a, 0x44);

QImage blank()
{
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
}

// Seven-segment digit: segments a..g as bits 0..6.
constexpr std::array<int, 10> kSegments = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

// One bold digit in the box (x, y, w, h); segments are hexagons with a small gap between them.
void drawDigit(QPainter &p, int digit, qreal x, qreal y, qreal w, qreal h)
{
    const qreal t = w * 0.26; // stroke thickness: bold
    const qreal gap = t * 0.12;
    const qreal half = t / 2;
    const qreal midY = y + h / 2;
    auto horizontal = [&](qreal cy) {
        const qreal x0 = x + half + gap, x1 = x + w - half - gap;
        return QPolygonF({QPointF(x0, cy), QPointF(x0 + half, cy - half), QPointF(x1 - half, cy - half),
                          QPointF(x1, cy), QPointF(x1 - half, cy + half), QPointF(x0 + half, cy + half)});
    };
    auto vertical = [&](qreal cx, qreal y0, qreal y1) {
        y0 += gap;
        y1 -= gap;
        return QPolygonF({QPointF(cx, y0), QPointF(cx + half, y0 + half), QPointF(cx + half, y1 - half),
                          QPointF(cx, y1), QPointF(cx - half, y1 - half), QPointF(cx - half, y0 + half)});
    };
    const qreal left = x + half, right = x + w - half;
    const qreal top = y + half, bottom = y + h - half;
    const std::array<QPolygonF, 7> segments = {
        horizontal(top),               // a
        vertical(right, top, midY),    // b
        vertical(right, midY, bottom), // c
        horizontal(bottom),            // d
        vertical(left, midY, bottom),  // e
        vertical(left, top, midY),     // f
        horizontal(midY),              // g
    };
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int s = 0; s < 7; ++s) {
        if (kSegments[static_cast<size_t>(digit)] & (1 << s))
            p.drawPolygon(segments[static_cast<size_t>(s)]);
    }
}

QImage number(int value)
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    const QString digits = QString::number(value);
    const qreal h = 200;
    const qreal w = digits.size() == 1 ? 120 : 100;
    const qreal spacing = 20;
    const qreal total = digits.size() * w + (digits.size() - 1) * spacing;
    qreal x = (kIconSize - total) / 2;
    const qreal y = (kIconSize - h) / 2;
    for (const QChar c : digits) {
        drawDigit(p, c.digitValue(), x, y, w, h);
        x += w + spacing;
    }
    return image;
}

QImage checkMark()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    QPen pen(kGreen, 44, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath path;
    path.moveTo(40, 136);
    path.lineTo(104, 200);
    path.lineTo(220, 60);
    p.drawPath(path);
    return image;
}

QImage refresh()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    QPen pen(kGreen, 30, Qt::SolidLine, Qt::FlatCap);
    p.setPen(pen);
    const QRectF ring(48, 48, 160, 160);
    p.drawArc(ring, 30 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    // Arrow head at the open end of the ring (upper right).
    p.drawPolygon(QPolygonF({QPointF(150, 34), QPointF(228, 72), QPointF(160, 122)}));
    return image;
}

QImage connect()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    // Two plugs facing each other: settings of the connection.
    p.setPen(Qt::NoPen);
    p.setBrush(kDark);
    p.drawRoundedRect(QRectF(24, 96, 80, 64), 12, 12);
    p.drawRoundedRect(QRectF(152, 96, 80, 64), 12, 12);
    p.setBrush(kBlue);
    p.drawRect(QRectF(104, 106, 24, 12));
    p.drawRect(QRectF(104, 138, 24, 12));
    QPen cable(kDark, 16, Qt::SolidLine, Qt::RoundCap);
    p.setPen(cable);
    p.drawLine(QPointF(8, 128), QPointF(24, 128));
    p.drawLine(QPointF(232, 128), QPointF(248, 128));
    return image;
}

QImage cross()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    QPen pen(kRed, 44, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(56, 56), QPointF(200, 200));
    p.drawLine(QPointF(200, 56), QPointF(56, 200));
    return image;
}

QImage download()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(108, 24, 40, 100));
    p.drawPolygon(QPolygonF({QPointF(60, 116), QPointF(196, 116), QPointF(128, 188)}));
    QPen tray(kDark, 24, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tray);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(36, 172);
    path.lineTo(36, 224);
    path.lineTo(220, 224);
    path.lineTo(220, 172);
    p.drawPath(path);
    return image;
}

QImage binaryFile()
{
    QImage image = blank();
    QPainter p(&image);
    prepare(p);
    // A sheet with a folded corner and rows of bits.
    QPainterPath sheet;
    sheet.moveTo(56, 20);
    sheet.lineTo(160, 20);
    sheet.lineTo(204, 64);
    sheet.lineTo(204, 236);
    sheet.lineTo(56, 236);
    sheet.closeSubpath();
    p.setPen(QPen(kDark, 10, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0xf4, 0xf6, 0xfa));
    p.drawPath(sheet);
    p.drawLine(QPointF(160, 20), QPointF(160, 64));
    p.drawLine(QPointF(160, 64), QPointF(204, 64));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const qreal x = 80 + col * 28, y = 96 + row * 32;
            if ((row * 5 + col * 3) % 2 == 0)
                p.drawRect(QRectF(x, y, 16, 20));
            else
                p.drawEllipse(QRectF(x, y, 16, 20));
        }
    }
    return image;
}

// Drawn on the 256-pixel grid; the painter's scale fits it to other sizes.
void paintMain(QPainter &p)
{
    // A chip with pins: the controller board.
    QPen pin(kDark, 14, Qt::SolidLine, Qt::FlatCap);
    p.setPen(pin);
    for (int i = 0; i < 5; ++i) {
        const qreal c = 64 + i * 32;
        p.drawLine(QPointF(c, 16), QPointF(c, 56));
        p.drawLine(QPointF(c, 200), QPointF(c, 240));
        p.drawLine(QPointF(16, c), QPointF(56, c));
        p.drawLine(QPointF(200, c), QPointF(240, c));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(48, 48, 160, 160), 18, 18);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(68, 68, 28, 28));
}

QImage mainIcon()
{
    return appIcon(kIconSize);
}

} // namespace

QImage appIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    prepare(p);
    p.scale(qreal(size) / kIconSize, qreal(size) / kIconSize);
    paintMain(p);
    return image;
}

QMap<QString, QImage> drawAll()
{
    QMap<QString, QImage> images;
    images.insert(QStringLiteral("main.png"), mainIcon());
    images.insert(QStringLiteral("refresh.png"), refresh());
    images.insert(QStringLiteral("connect.png"), connect());
    images.insert(QStringLiteral("delete.png"), cross());
    images.insert(QStringLiteral("download.png"), download());
    images.insert(QStringLiteral("bin.png"), binaryFile());
    images.insert(QStringLiteral("Ok.png"), checkMark());
    for (int n = 0; n <= 32; ++n)
        images.insert(QStringLiteral("Num_%1.png").arg(n), number(n));
    return images;
}

} // namespace icongen
