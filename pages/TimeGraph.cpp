#include "TimeGraph.h"

#include <QPainter>
#include <QPolygonF>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace {

// The most steps an axis is divided into; a small graph gets fewer.
constexpr int kValueTicks = 4;
constexpr int kTimeTicks = 6;
constexpr int kMargin = 4;
// Room a legend entry's sample of its line takes before the name.
constexpr int kSampleLength = 14;

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
    const double raw = range / std::max(parts, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power) return factor * power;
    return 10 * power;
}

std::vector<std::vector<QPointF>> SplitAtWraps(const std::vector<QPointF>& points, double period) {
    std::vector<std::vector<QPointF>> runs;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool wrapped =
            period > 0 && i > 0 && std::abs(points[i].y() - points[i - 1].y()) > period / 2;
        if (runs.empty() || wrapped) runs.emplace_back();
        runs.back().push_back(points[i]);
    }
    return runs;
}

TimeGraph::TimeGraph(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize TimeGraph::minimumSizeHint() const {
    // The heading, the time axis and room for two value numbers.
    const int text = fontMetrics().height();
    return {160, text * 9 / 2 + 2 * kMargin};
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

void TimeGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScaleValueAxis();
}

// From the lowest to the highest point, widened to whole steps; a flat line gets a step
// above and below it. A low graph is divided into fewer steps, about one and a half text lines
// apart at least.
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
    const int room = PlotArea().height() * 2 / (3 * fontMetrics().height());
    m_step = NiceStep(high - low, std::clamp(room, 1, kValueTicks));
    m_low = std::floor(low / m_step) * m_step;
    m_high = std::ceil(high / m_step) * m_step;
}

QRect TimeGraph::PlotArea() const {
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(QStringLiteral("-00000")) + kMargin;
    // The heading's line and the legend's further lines, and room for half of the highest
    // value's number.
    const std::vector<LegendEntry> legend = Legend();
    const int legendLines = legend.empty() ? 0 : legend.back().box.top() / metrics.height();
    const int top = metrics.height() * legendLines + metrics.height() * 3 / 2 + kMargin;
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

// A number at every step from the lowest up, left out where it would touch the one below.
std::vector<TimeGraph::AxisLabel> TimeGraph::ValueLabels(const QRect& area) const {
    const int text = fontMetrics().height();
    std::vector<AxisLabel> labels;
    for (double value = m_low; value <= m_high + m_step / 2; value += m_step) {
        const int y =
            area.bottom() - int(std::lround((value - m_low) / (m_high - m_low) * area.height()));
        const QRect box(0, y - text / 2, area.left() - kMargin, text);
        if (!labels.empty() && box.bottom() >= labels.back().box.top()) continue;
        labels.push_back({TickText(value, m_step), box});
    }
    return labels;
}

// Seconds since the display started, at round steps far enough apart for the widest number.
double TimeGraph::TimeStep(const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    const int widest = metrics.horizontalAdvance(TickText(std::max(std::abs(m_end), m_span), 1) +
                                                 QStringLiteral(".0 s"));
    const int room = area.width() / (widest + 2 * metrics.height());
    const double step = NiceStep(m_span, std::clamp(room, 1, kTimeTicks));
    // At least one tick in the span: no round step is more than 2.5 times what it rounds.
    return step <= m_span ? step : NiceStep(m_span / 2.5, 1);
}

// A number under every time step, left out where it would touch the one before.
std::vector<TimeGraph::AxisLabel> TimeGraph::TimeLabels(const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    const double step = TimeStep(area);
    const double begin = m_end - m_span;
    std::vector<AxisLabel> labels;
    for (double t = std::ceil(begin / step) * step; t <= m_end + 1e-9; t += step) {
        if (t < 0) continue;
        const int x = area.left() + int(std::lround((t - begin) / m_span * area.width()));
        const QString text = TickText(t, step) + QStringLiteral(" s");
        const int width = metrics.horizontalAdvance(text);
        const QRect box(std::clamp(x - width / 2, area.left(), area.right() - width),
                        area.bottom() + 2, width, metrics.height());
        if (!labels.empty() && box.left() <= labels.back().box.right() + kMargin) continue;
        labels.push_back({text, box});
    }
    return labels;
}

std::vector<TimeGraph::AxisLabel> TimeGraph::AxisLabels() const {
    const QRect area = PlotArea();
    if (area.width() < 2 || area.height() < 2) return {};
    std::vector<AxisLabel> labels = ValueLabels(area);
    const std::vector<AxisLabel> times = TimeLabels(area);
    labels.insert(labels.end(), times.begin(), times.end());
    return labels;
}

void TimeGraph::DrawAxes(QPainter& painter, const QRect& area) const {
    painter.setPen(kGridColour);
    for (double value = m_low; value <= m_high + m_step / 2; value += m_step) {
        const int y =
            area.bottom() - int(std::lround((value - m_low) / (m_high - m_low) * area.height()));
        painter.drawLine(area.left(), y, area.right(), y);
    }
    const double step = TimeStep(area);
    const double begin = m_end - m_span;
    for (double t = std::ceil(begin / step) * step; t <= m_end + 1e-9; t += step) {
        if (t < 0) continue;
        const int x = area.left() + int(std::lround((t - begin) / m_span * area.width()));
        painter.drawLine(x, area.top(), x, area.bottom());
    }
    painter.setPen(palette().color(QPalette::WindowText));
    for (const AxisLabel& label : ValueLabels(area))
        painter.drawText(label.box, Qt::AlignRight | Qt::AlignVCenter, label.text);
    for (const AxisLabel& label : TimeLabels(area))
        painter.drawText(label.box, Qt::AlignLeft | Qt::AlignVCenter, label.text);
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
        // A thin pen: the raster engine draws it without stroking a path.
        painter.setPen(QPen(line.colour, 0, line.style));
        for (const std::vector<QPointF>& run : SplitAtWraps(line.points, line.wrapPeriod)) {
            PixelColumns columns;
            for (const QPointF& point : run)
                columns.Add(area.left() + (point.x() - begin) * xScale,
                            area.bottom() - (point.y() - m_low) * yScale);
            painter.drawPolyline(columns.Finish());
        }
    }
    painter.restore();
}

// Where each named line's legend entry stands: after the heading on the first line, then in
// further lines from the plot's left edge, so that every line is named however many there are.
std::vector<TimeGraph::LegendEntry> TimeGraph::Legend() const {
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(QStringLiteral("-00000")) + kMargin;
    const int right = width() - kMargin * 2;
    int x = left + metrics.horizontalAdvance(Heading()) + 2 * kMargin;
    int row = 0;
    std::vector<LegendEntry> entries;
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const GraphSeries& line = m_series[i];
        if (line.name.isEmpty()) continue;
        const int entryWidth = kSampleLength + kMargin + metrics.horizontalAdvance(line.name);
        if (x + entryWidth > right && x > left) {
            ++row;
            x = left;
        }
        entries.push_back({i, QRect(x, row * metrics.height(), entryWidth, metrics.height())});
        x += entryWidth + 2 * kMargin;
    }
    return entries;
}

QString TimeGraph::Heading() const {
    return m_unit.isEmpty() ? m_title
                            : m_title + QStringLiteral(" (") + m_unit + QStringLiteral(")");
}

// The title and unit above the plot on the left, then the legend: each named line as a short
// sample of it and its name; or the empty text in the middle.
void TimeGraph::DrawHeading(QPainter& painter, const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    const int baseline = metrics.ascent() + 1;
    const QColor text = palette().color(QPalette::WindowText);
    painter.setPen(text);
    painter.drawText(area.left(), baseline, Heading());
    const bool empty = std::all_of(m_series.begin(), m_series.end(),
                                   [](const GraphSeries& line) { return line.points.empty(); });
    if (empty) {
        painter.drawText(area, Qt::AlignCenter, m_emptyText);
        return;
    }
    for (const LegendEntry& entry : Legend()) {
        const GraphSeries& line = m_series[entry.series];
        const int lineBaseline = entry.box.top() + baseline;
        const int middle = lineBaseline - metrics.ascent() / 3;
        painter.setPen(QPen(line.colour, 2, line.style));
        painter.drawLine(entry.box.left(), middle, entry.box.left() + kSampleLength, middle);
        painter.setPen(text);
        painter.drawText(entry.box.left() + kSampleLength + kMargin, lineBaseline, line.name);
    }
}
