#include "ExplorerImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ExplorerImages {
namespace {

constexpr int Size = 16;

struct Badge {
    QColor colour;
    const char* letters;
};

// A rounded badge with one or two letters: clear at 16 pixels and distinct per kind.
QPixmap badge(const Badge& style)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(style.colour.darker(140));
    painter.setBrush(style.colour);
    painter.drawRoundedRect(QRectF(0.5, 0.5, Size - 1, Size - 1), 3, 3);
    QFont font;
    font.setPixelSize(qstrlen(style.letters) > 1 ? 8 : 11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, Size, Size), Qt::AlignCenter, QString::fromLatin1(style.letters));
    return pixmap;
}

QPixmap database()
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor body(70, 110, 170);
    painter.setPen(body.darker(150));
    painter.setBrush(body);
    painter.drawRect(QRectF(2.5, 3.5, 11, 9));
    painter.drawEllipse(QRectF(2.5, 10, 11, 5));
    painter.setBrush(body.lighter(150));
    painter.drawEllipse(QRectF(2.5, 1, 11, 5));
    return pixmap;
}

QPixmap checkMark()
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 140, 50), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12);
    tick.lineTo(13, 3.5);
    painter.drawPath(tick);
    return pixmap;
}

QPixmap draw(int imageIndex)
{
    static const Badge kinds[15] = {
        {QColor(60, 120, 200), "U"}, {QColor(40, 90, 160), "G"},   {QColor(200, 120, 40), "T"},
        {QColor(120, 80, 170), "V"}, {QColor(90, 140, 60), "I"},   {QColor(190, 60, 60), "Tr"},
        {QColor(60, 150, 150), "P"}, {QColor(150, 120, 60), "R"},  {QColor(110, 110, 110), "Dt"},
        {QColor(30, 100, 140), "L"}, {QColor(140, 60, 120), "Ro"}, {QColor(70, 110, 170), "Db"},
        {QColor(90, 90, 60), "Dv"},  {QColor(40, 130, 100), "Rs"}, {QColor(100, 100, 140), "Cf"},
    };
    if (imageIndex == Database)
        return database();
    if (imageIndex == Marked)
        return checkMark();
    if (imageIndex == Server)
        return badge({QColor(50, 60, 80), "S"});
    if (imageIndex >= 1 && imageIndex <= 15)
        return badge(kinds[imageIndex - 1]);
    return QPixmap();
}

}  // namespace

QIcon icon(int imageIndex)
{
    static QHash<int, QIcon> cache;
    auto found = cache.find(imageIndex);
    if (found == cache.end())
        found = cache.insert(imageIndex, QIcon(draw(imageIndex)));
    return *found;
}

}  // namespace ExplorerImages
