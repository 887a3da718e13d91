#include "FramePlanView.h"

#include <QPainter>
#include <QPolygon>

namespace {

const QRect kBackgroundRect(QPoint(382, 35), QPoint(600, 286));
constexpr int kMarkerHalf = 2;
constexpr int kLabelDrop = 2;   // the motor's name starts just above and right of it
constexpr int kArrowRise = 16;  // the direction arrow one line higher
constexpr int kLabelShift = 2;

// Text placed by the top left corner of its cell, as the plan's positions are given.
void Text(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QRect(x, y, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void DrawAxes(QPainter& painter) {
    painter.setPen(QPen(QColor(FramePlanView::kAxisPen), 1));
    painter.drawLine(390, 150, 593, 150);
    Text(painter, 586, 142, QStringLiteral(">x"));
    painter.drawLine(500, 270, 500, 40);
    Text(painter, 498, 41, QStringLiteral("^Y"));
    Text(painter, 500, 156, QStringLiteral("O"));
}

void DrawMotor(QPainter& painter, int motor, QPoint at, bool reverse) {
    painter.fillRect(
        QRect(at.x() - kMarkerHalf, at.y() - kMarkerHalf, 2 * kMarkerHalf, 2 * kMarkerHalf),
        QColor(FramePlanView::kMarker));
    painter.setPen(QColor(reverse ? FramePlanView::kReverseLabel : FramePlanView::kNormalLabel));
    const int x = at.x() + kLabelShift;
    Text(painter, x, at.y() - kLabelDrop, QStringLiteral("M%1").arg(motor + 1));
    Text(painter, x, at.y() - kArrowRise,
         reverse ? QStringLiteral("--->") : QStringLiteral("<---"));
}

QPoint Pixel(const PlanPoint& point) { return {PlanPixel(point.x), PlanPixel(point.y)}; }

}  // namespace

FramePlanView::FramePlanView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FramePlanView::ShowAxesOnly() {
    m_layout.reset();
    update();
}

void FramePlanView::ShowLayout(const PlanLayout& layout) {
    m_layout = layout;
    update();
}

void FramePlanView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.translate(-mapTo(window(), QPoint(0, 0)));
    painter.fillRect(kBackgroundRect, QColor(kBackground));
    DrawAxes(painter);
    if (!m_layout) return;

    const PlanLayout& layout = *m_layout;
    for (int motor = 0; motor < layout.drawnMotors; ++motor)
        DrawMotor(painter, motor, Pixel(layout.motors[motor]), layout.reverse[motor]);
    if (layout.outline.empty()) return;
    QPolygon outline;
    for (int motor : layout.outline) outline << Pixel(layout.motors[motor]);
    painter.setPen(QPen(QColor(kAxisPen), 1));
    painter.drawPolygon(outline);
}
