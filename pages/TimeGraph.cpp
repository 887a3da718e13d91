#include "TimeGraph.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kValueTicks = 4;
constexpr int kTimeTicks = 6;
constexpr int kMargin = 4;

const QColor kGridColour(0xe0, 0xe0, 0xe0);
const QColor kAxisColour(0x80, 0x80, 0x80);

QString TickText(double value, double step) {
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
    return QString::number(value, 'f', decimals);
}

// The points of a line, at most four per pixel column (the first, the lowest, the highest and
// the last), so that two minutes of a fast stream draw as quickly as a few seconds and look
// the same.
class PixelColumns {
public:
    void Add(double x, double y) {
        const long column = std::lround(x);
        if (m_count == 0 || column != m_column) {
            Flush();
            m_column = column;
            m_first = m_low = m_high = m_last = {x, y};
            m_count = 1;
            return;
        }
        if (y < m_low.y()) m_low = {x, y};
        if (y > m_high.y()) m_high = {x, y};
        m_last = {x, y};
        ++m_count;
    }
    QPolygonF Finish() {
        Flush();
        return std::move(m_polygon);
    }

private:
    void Flush() {
        if (m_count == 0) return;
        m_polygon << m_first;
        if (m_count > 1) {
            // The extremes in the order they came.
            const bool lowFirst = m_low.x() <= m_high.x();
            m_polygon << (lowFirst ? m_low : m_high) << (lowFirst ? m_high : m_low) << m_last;
        }
        m_count = 0;
    }

    QPolygonF m_polygon;
    long m_column = 0;
    int m_count = 0;
    QPointF m_first, m_low, m_high, m_last;
};

}  // namespace

double NiceStep(double range, int parts) {
    if (!(range > 0)) return 1;
    const double raw = range / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power) return factor * power;
    return 10 * power;
}

TimeGraph::TimeGraph(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TimeGraph::SetTitle(const QString& title, const QString& unit) {
    m_title = title;
    m_unit = unit;
    update();
}

void TimeGraph::SetEmptyText(const QString& text) {
    m_emptyText = text;
    update();
}

void TimeGraph::SetData(double spanSeconds, double endSeconds, std::vector<GraphSeries> series) {
    m_span = spanSeconds;
    m_end = endSeconds;
    m_series = std::move(series);
    ScaleValueAxis();
    update();
}

// From the lowest to the highest point, widened to whole steps; a flat line gets a step
// above and below it.
void TimeGraph::ScaleValueAxis() {
    double low = INFINITY;
    double high = -INFINITY;
    for (const GraphSeries& line : m_series)
        for (const QPointF& point : line.points) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    if (low > high) {
        low = 0;
        high = 1;
    }
    if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    }
    m_step = NiceStep(high - low, kValueTicks);
    m_low = std::floor(low / m_step) * m_step;
    m_high = std::ceil(high / m_step) * m_step;
}

QRect TimeGraph::PlotArea() const {
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(QStringLiteral("-00000")) + kMargin;
    // The heading's line, and room for half of the highest value's number.
    const int top = metrics.height() * 3 / 2 + kMargin;
    const int bottom = metrics.height() + kMargin;
    return rect().adjusted(left, top, -kMargin * 2, -bottom);
}

void TimeGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRect area = PlotArea();
    if (area.width() < 2 || area.height() < 2) return;
    DrawAxes(painter, area);
    DrawLines(painter, area);
    DrawHeading(painter, area);
}

void TimeGraph::DrawAxes(QPainter& painter, const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    const QColor text = palette().color(QPalette::WindowText);
    // Value axis: a grid line and a number at every step.
    for (double value = m_low; value <= m_high + m_step / 2; value += m_step) {
        const int y =
            area.bottom() - int(std::lround((value - m_low) / (m_high - m_low) * area.height()));
        painter.setPen(kGridColour);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(text);
        painter.drawText(
            QRect(0, y - metrics.height() / 2, area.left() - kMargin, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, TickText(value, m_step));
    }
    // Time axis: seconds since the display started, at round steps.
    const double step = NiceStep(m_span, kTimeTicks);
    const double begin = m_end - m_span;
    for (double t = std::ceil(begin / step) * step; t <= m_end + 1e-9; t += step) {
        if (t < 0) continue;
        const int x = area.left() + int(std::lround((t - begin) / m_span * area.width()));
        painter.setPen(kGridColour);
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(text);
        const QString label = TickText(t, step) + QStringLiteral(" s");
        const int width = metrics.horizontalAdvance(label);
        painter.drawText(std::clamp(x - width / 2, area.left(), area.right() - width),
                         area.bottom() + metrics.ascent() + 2, label);
    }
    painter.setPen(kAxisColour);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void TimeGraph::DrawLines(QPainter& painter, const QRect& area) const {
    const double begin = m_end - m_span;
    const double xScale = area.width() / m_span;
    const double yScale = area.height() / (m_high - m_low);
    painter.save();
    painter.setClipRect(area);
    for (const GraphSeries& line : m_series) {
        PixelColumns columns;
        for (const QPointF& point : line.points)
            columns.Add(area.left() + (point.x() - begin) * xScale,
                        area.bottom() - (point.y() - m_low) * yScale);
        // A thin pen: the raster engine draws it without stroking a path.
        painter.setPen(QPen(line.colour, 0));
        painter.drawPolyline(columns.Finish());
    }
    painter.restore();
}

// The title and unit above the plot on the left, the names of named lines in their colours on
// the right, or the empty text in the middle.
void TimeGraph::DrawHeading(QPainter& painter, const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    const int baseline = metrics.ascent() + 1;
    painter.setPen(palette().color(QPalette::WindowText));
    const QString heading =
        m_unit.isEmpty() ? m_title : m_title + QStringLiteral(" (") + m_unit + QStringLiteral(")");
    painter.drawText(area.left(), baseline, heading);
    const bool empty = std::all_of(m_series.begin(), m_series.end(),
                                   [](const GraphSeries& line) { return line.points.empty(); });
    if (empty) {
        painter.drawText(area, Qt::AlignCenter, m_emptyText);
        return;
    }
    int x = area.right();
    for (auto line = m_series.rbegin(); line != m_series.rend(); ++line) {
        if (line->name.isEmpty()) continue;
        x -= metrics.horizontalAdvance(line->name) + 8;
        painter.setPen(line->colour);
        painter.drawText(x, baseline, line->name);
    }
}
