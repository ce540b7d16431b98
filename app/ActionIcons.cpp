#include "ActionIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <functional>

namespace ActionIcons {
namespace {

constexpr int Size = 24;
const QColor kInk(60, 60, 70);
const QColor kPaper(250, 250, 245);
const QColor kBlue(50, 100, 180);
const QColor kGreen(40, 140, 60);
const QColor kRed(190, 50, 50);

// A 24-pixel icon drawn by `paint` on a transparent ground with antialiasing.
QIcon drawn(const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    paint(painter);
    return QIcon(pixmap);
}

void page(QPainter& painter, const QRectF& rect)
{
    painter.setBrush(kPaper);
    painter.drawRect(rect);
    for (qreal y = rect.top() + 4; y < rect.bottom() - 2; y += 3)
        painter.drawLine(QPointF(rect.left() + 2.5, y), QPointF(rect.right() - 2.5, y));
}

void printer(QPainter& painter)
{
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(7, 3, 10, 7));
    painter.setBrush(QColor(170, 170, 180));
    painter.drawRoundedRect(QRectF(3, 10, 18, 8), 2, 2);
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(7, 15, 10, 6));
}

void arrow(QPainter& painter, QPointF from, QPointF to, const QColor& colour)
{
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(from, to);
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF side(-direction.y(), direction.x());
    painter.drawLine(to, to - direction * 4 + side * 3.5);
    painter.drawLine(to, to - direction * 4 - side * 3.5);
}

QIcon fallback(Command command)
{
    switch (command) {
        case Command::Exit:
            return drawn([](QPainter& p) {
                p.setBrush(kPaper);
                p.drawRect(QRectF(3, 3, 11, 18));
                arrow(p, QPointF(10, 12), QPointF(21, 12), kRed);
            });
        case Command::Connect:
            return drawn([](QPainter& p) {
                p.setBrush(kBlue);
                p.drawRoundedRect(QRectF(2, 8, 7, 8), 2, 2);
                p.drawRoundedRect(QRectF(15, 8, 7, 8), 2, 2);
                p.setPen(QPen(kGreen, 2.5));
                p.drawLine(QPointF(9, 12), QPointF(15, 12));
            });
        case Command::Disconnect:
            return drawn([](QPainter& p) {
                p.setBrush(kBlue);
                p.drawRoundedRect(QRectF(2, 8, 7, 8), 2, 2);
                p.drawRoundedRect(QRectF(15, 8, 7, 8), 2, 2);
                p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(10, 7), QPointF(14, 17));
            });
        case Command::Options:
            return drawn([](QPainter& p) {
                for (int row = 0; row < 3; ++row) {
                    const qreal y = 6 + row * 6;
                    p.drawLine(QPointF(3, y), QPointF(21, y));
                    p.setBrush(kBlue);
                    p.drawEllipse(QPointF(row == 1 ? 15 : 8, y), 2.5, 2.5);
                }
            });
        case Command::View:
            return drawn([](QPainter& p) {
                page(p, QRectF(3, 2, 13, 18));
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(kBlue, 2));
                p.drawEllipse(QPointF(15, 14), 4.5, 4.5);
                p.drawLine(QPointF(18.5, 17.5), QPointF(22, 21));
            });
        case Command::Generate:
            return drawn([](QPainter& p) {
                page(p, QRectF(3, 2, 12, 16));
                arrow(p, QPointF(12, 10), QPointF(21, 19), kGreen);
            });
        case Command::Cut:
            return drawn([](QPainter& p) {
                p.drawLine(QPointF(7, 3), QPointF(15, 15));
                p.drawLine(QPointF(17, 3), QPointF(9, 15));
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(kRed, 2));
                p.drawEllipse(QPointF(7, 18), 3, 3);
                p.drawEllipse(QPointF(17, 18), 3, 3);
            });
        case Command::Copy:
            return drawn([](QPainter& p) {
                page(p, QRectF(3, 2, 12, 15));
                page(p, QRectF(9, 7, 12, 15));
            });
        case Command::Paste:
            return drawn([](QPainter& p) {
                p.setBrush(QColor(190, 150, 90));
                p.drawRoundedRect(QRectF(3, 4, 14, 18), 2, 2);
                p.setBrush(QColor(170, 170, 180));
                p.drawRect(QRectF(7, 2, 6, 4));
                page(p, QRectF(10, 9, 11, 13));
            });
        case Command::Delete:
            return drawn([](QPainter& p) {
                p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(6, 6), QPointF(18, 18));
                p.drawLine(QPointF(18, 6), QPointF(6, 18));
            });
        case Command::Clear:
            return drawn([](QPainter& p) {
                page(p, QRectF(4, 2, 16, 20));
                p.setBrush(QColor(230, 120, 140));
                p.drawRoundedRect(QRectF(9, 12, 12, 7), 2, 2);
            });
        case Command::SelectAll:
            return drawn([](QPainter& p) {
                p.setBrush(QColor(180, 200, 240));
                p.setPen(QPen(kBlue, 1.5, Qt::DashLine));
                p.drawRect(QRectF(3, 3, 18, 18));
                p.setPen(QPen(kInk, 1.5));
                for (qreal y = 8; y <= 16; y += 4)
                    p.drawLine(QPointF(6, y), QPointF(18, y));
            });
        case Command::Save:
            return drawn([](QPainter& p) {
                p.setBrush(kBlue);
                p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
                p.setBrush(kPaper);
                p.drawRect(QRectF(7, 3, 10, 7));
                p.drawRect(QRectF(6, 14, 12, 7));
            });
        case Command::Append:
            return drawn([](QPainter& p) {
                page(p, QRectF(3, 2, 13, 18));
                p.setPen(QPen(kGreen, 2.5, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(18, 12), QPointF(18, 22));
                p.drawLine(QPointF(13, 17), QPointF(23, 17));
            });
        case Command::Print:
            return drawn([](QPainter& p) { printer(p); });
        case Command::PrinterSetup:
            return drawn([](QPainter& p) {
                printer(p);
                p.setBrush(kBlue);
                p.drawEllipse(QPointF(19, 5), 4, 4);
                p.setBrush(kPaper);
                p.drawEllipse(QPointF(19, 5), 1.5, 1.5);
            });
        case Command::Help:
            return drawn([](QPainter& p) {
                p.setBrush(kBlue);
                p.drawEllipse(QRectF(2, 2, 20, 20));
                QFont font;
                font.setPixelSize(15);
                font.setBold(true);
                p.setFont(font);
                p.setPen(Qt::white);
                p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
            });
    }
    return QIcon();
}

// The freedesktop names of the theme's icons for each command; none where the theme has
// no icon that says the same.
const char* themeName(Command command)
{
    switch (command) {
        case Command::Exit:
            return "application-exit";
        case Command::Cut:
            return "edit-cut";
        case Command::Copy:
            return "edit-copy";
        case Command::Paste:
            return "edit-paste";
        case Command::Delete:
            return "edit-delete";
        case Command::Clear:
            return "edit-clear";
        case Command::SelectAll:
            return "edit-select-all";
        case Command::Save:
            return "document-save";
        case Command::Print:
            return "document-print";
        case Command::Help:
            return "help-contents";
        default:
            return nullptr;
    }
}

}  // namespace

QIcon icon(Command command)
{
    const char* name = themeName(command);
    return name ? QIcon::fromTheme(QLatin1String(name), fallback(command)) : fallback(command);
}

}  // namespace ActionIcons
