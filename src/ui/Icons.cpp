#include "ui/Icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <functional>
#include <initializer_list>

namespace quillon {

namespace {

using Drawing = std::function<void(QPainter&)>;

// A transparent image of width by height logical pixels, `scale` device pixels
// each, with the drawing painted on it smoothly.
QPixmap drawnPixmap(int width, int height, int scale, const Drawing& draw) {
    QPixmap pixmap(width * scale, height * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return pixmap;
}

// Paints the drawing afresh for every size and screen scale asked (1.5 as
// well as 1 and 2), so the images stay sharp where a stored pixmap would be
// scaled and blur. The disabled look is the style's, as for stored pixmaps.
class DrawnIconEngine : public QIconEngine {
  public:
    DrawnIconEngine(int width, int height, Drawing draw)
        : width_(width), height_(height), draw_(std::move(draw)) {}

    QIconEngine* clone() const override { return new DrawnIconEngine(width_, height_, draw_); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(
            rect, scaledPixmap(rect.size(), mode, state, painter->device()->devicePixelRatioF()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QPixmap pixmap(QSize(qRound(size.width() * scale), qRound(size.height() * scale)));
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(qreal(size.width()) / width_, qreal(size.height()) / height_);
        draw_(painter);
        painter.end();
        if (mode == QIcon::Normal || mode == QIcon::Active) return pixmap;
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }

  private:
    int width_, height_;
    Drawing draw_;
};

QIcon drawnIcon(int width, int height, const Drawing& draw) {
    return QIcon(new DrawnIconEngine(width, height, draw));
}

const QColor kOutline(60, 60, 70);

// A closed outline through the points, in order.
QPainterPath closedOutline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void drawPage(QPainter& p, const QColor& fill) {
    QPainterPath page =
        closedOutline({{4.5, 2.5}, {11.5, 2.5}, {15.5, 6.5}, {15.5, 19.5}, {4.5, 19.5}});
    p.setPen(QPen(kOutline, 1));
    p.setBrush(fill);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(11.5, 2.5);
    fold.lineTo(11.5, 6.5);
    fold.lineTo(15.5, 6.5);
    p.setBrush(QColor(220, 220, 225));
    p.drawPath(fold);
}

void drawNew(QPainter& p) {
    drawPage(p, Qt::white);
    p.setPen(QPen(QColor(240, 180, 20), 1.4));
    p.drawLine(QPointF(13.5, 13), QPointF(13.5, 19));
    p.drawLine(QPointF(10.5, 16), QPointF(16.5, 16));
}

void drawOpen(QPainter& p) {
    QPainterPath back =
        closedOutline({{1.5, 6.5}, {6.5, 6.5}, {8, 8.5}, {15.5, 8.5}, {15.5, 17.5}, {1.5, 17.5}});
    p.setPen(QPen(QColor(150, 105, 20), 1));
    p.setBrush(QColor(230, 180, 60));
    p.drawPath(back);
    QPainterPath flap = closedOutline({{4, 11.5}, {18, 11.5}, {15.5, 17.5}, {1.5, 17.5}});
    p.setBrush(QColor(250, 210, 100));
    p.drawPath(flap);
}

void drawSave(QPainter& p) {
    p.setPen(QPen(QColor(30, 50, 110), 1));
    p.setBrush(QColor(60, 100, 190));
    p.drawRoundedRect(QRectF(2.5, 3.5, 14, 15), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 4, 9, 6));
    p.setBrush(QColor(170, 180, 200));
    p.drawRect(QRectF(6, 13, 7, 5.5));
    p.setBrush(QColor(30, 50, 110));
    p.drawRect(QRectF(7, 14, 2, 3.5));
}

void drawArrow(QPainter& p, bool up) {
    QPainterPath arrow = closedOutline(
        {{9.5, 3}, {16.5, 10.5}, {12.5, 10.5}, {12.5, 19}, {6.5, 19}, {6.5, 10.5}, {2.5, 10.5}});
    if (!up) p.setTransform(QTransform(1, 0, 0, -1, 0, 22), true);
    p.setPen(QPen(QColor(25, 100, 40), 1));
    p.setBrush(QColor(60, 170, 80));
    p.drawPath(arrow);
}

void drawSpeaker(QPainter& p) {
    QPainterPath speaker =
        closedOutline({{1.5, 8.5}, {4.5, 8.5}, {9, 4.5}, {9, 17.5}, {4.5, 13.5}, {1.5, 13.5}});
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(120, 130, 150));
    p.drawPath(speaker);
}

void drawEnablePlayback(QPainter& p) {
    drawSpeaker(p);
    p.setPen(QPen(QColor(30, 150, 50), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(10.5, 12);
    tick.lineTo(13, 15.5);
    tick.lineTo(17.5, 7);
    p.drawPath(tick);
}

void drawDisablePlayback(QPainter& p) {
    drawSpeaker(p);
    p.setPen(QPen(QColor(200, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 7.5), QPointF(17, 14.5));
    p.drawLine(QPointF(17, 7.5), QPointF(11, 14.5));
}

void drawCreateGroup(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    const QColor fills[] = {QColor(250, 220, 120), QColor(140, 200, 240), QColor(180, 230, 160)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(fills[i]);
        p.drawRect(QRectF(7.5, 4.5 + i * 5, 9, 3.5));
    }
    p.setPen(QPen(QColor(40, 60, 140), 1.3));
    p.setBrush(Qt::NoBrush);
    QPainterPath brace;
    brace.moveTo(5.5, 4);
    brace.cubicTo(3, 4, 4.5, 11, 2, 11);
    brace.cubicTo(4.5, 11, 3, 18, 5.5, 18);
    p.drawPath(brace);
}

void drawPlayMusic(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 60, 150));
    p.drawEllipse(QPointF(5.5, 16.5), 2.8, 2.1);
    p.drawEllipse(QPointF(13.5, 14.5), 2.8, 2.1);
    p.setPen(QPen(QColor(40, 60, 150), 1.4));
    p.drawLine(QPointF(8, 16.5), QPointF(8, 5));
    p.drawLine(QPointF(16, 14.5), QPointF(16, 3));
    p.setPen(QPen(QColor(40, 60, 150), 2.4));
    p.drawLine(QPointF(8, 5.5), QPointF(16, 3.5));
}

void drawPlayAtmos(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    const QColor shades[] = {QColor(30, 130, 140), QColor(60, 160, 170), QColor(100, 190, 200)};
    for (int line = 0; line < 3; ++line) {
        QPainterPath wave;
        double y = 6.5 + line * 4.5;
        wave.moveTo(1.5, y);
        for (double x = 1.5; x <= 17.5; x += 0.5)
            wave.lineTo(x, y + 1.6 * std::sin((x + line * 2) * 0.8));
        p.setPen(QPen(shades[line], 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(wave);
    }
}

void drawStopAll(QPainter& p) {
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        double angle = M_PI / 8 + i * M_PI / 4;
        octagon << QPointF(9.5 + 7 * std::cos(angle), 11 + 7 * std::sin(angle));
    }
    p.setPen(QPen(QColor(120, 20, 20), 1));
    p.setBrush(QColor(210, 45, 45));
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 8, 6, 6));
}

void drawWaveList(QPainter& p) {
    drawPage(p, Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 80));
    p.drawRect(QRectF(6, 8, 8, 2));
    p.setPen(QPen(QColor(130, 130, 140), 1));
    for (double y : {12.5, 15.0, 17.5})
        p.drawLine(QPointF(6, y), QPointF(14, y));
    p.drawLine(QPointF(9.5, 8), QPointF(9.5, 18.5));
}

Drawing toolbarDrawing(CommandId id) {
    switch (id) {
        case CommandId::FileNew:
            return drawNew;
        case CommandId::FileOpen:
            return drawOpen;
        case CommandId::FileSave:
            return drawSave;
        case CommandId::MoveUp:
            return [](QPainter& p) { drawArrow(p, true); };
        case CommandId::MoveDown:
            return [](QPainter& p) { drawArrow(p, false); };
        case CommandId::EnablePlayback:
            return drawEnablePlayback;
        case CommandId::DisablePlayback:
            return drawDisablePlayback;
        case CommandId::CreateGroup:
            return drawCreateGroup;
        case CommandId::PlayMusic:
            return drawPlayMusic;
        case CommandId::PlayAtmos:
            return drawPlayAtmos;
        case CommandId::StopAll:
            return drawStopAll;
        case CommandId::ExportWaveList:
            return drawWaveList;
        default:
            return [](QPainter&) {};
    }
}

// A sound wave in a rounded tile: the row image and the heart of the
// application icon.
void drawWaveTile(QPainter& p, double size) {
    p.setPen(QPen(QColor(25, 70, 130), size / 16));
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, QColor(90, 150, 225));
    fill.setColorAt(1, QColor(40, 95, 175));
    p.setBrush(fill);
    double inset = size / 16;
    p.drawRoundedRect(QRectF(inset, inset, size - 2 * inset, size - 2 * inset), size / 6, size / 6);
    p.setPen(QPen(Qt::white, size / 12, Qt::SolidLine, Qt::RoundCap));
    const double heights[] = {0.18, 0.42, 0.62, 0.34, 0.52, 0.24};
    for (int i = 0; i < 6; ++i) {
        double x = size * (0.22 + i * 0.112);
        double h = size * heights[i] / 2;
        p.drawLine(QPointF(x, size / 2 - h), QPointF(x, size / 2 + h));
    }
}

// The application icon: the wave tile with a quill across it.
void drawApplication(QPainter& p, double size) {
    drawWaveTile(p, size);
    QPainterPath feather;
    feather.moveTo(size * 0.86, size * 0.10);
    feather.cubicTo(size * 0.55, size * 0.18, size * 0.36, size * 0.45, size * 0.30, size * 0.70);
    feather.cubicTo(size * 0.50, size * 0.62, size * 0.76, size * 0.42, size * 0.86, size * 0.10);
    p.setPen(QPen(QColor(120, 60, 10), size / 40));
    QLinearGradient vane(size * 0.3, size * 0.7, size * 0.86, size * 0.1);
    vane.setColorAt(0, QColor(245, 235, 210));
    vane.setColorAt(1, QColor(255, 200, 90));
    p.setBrush(vane);
    p.drawPath(feather);
    p.setPen(QPen(QColor(120, 60, 10), size / 28, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(size * 0.86, size * 0.10), QPointF(size * 0.18, size * 0.88));
}

}  // namespace

QIcon toolbarIcon(CommandId id) {
    return drawnIcon(kToolbarImageWidth, kToolbarImageHeight, toolbarDrawing(id));
}

QIcon rowIcon() {
    static const QIcon icon = drawnIcon(kRowImageSize, kRowImageSize,
                                        [](QPainter& p) { drawWaveTile(p, kRowImageSize); });
    return icon;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(
            drawnPixmap(size, size, 1, [size](QPainter& p) { drawApplication(p, size); }));
    return icon;
}

}  // namespace quillon
