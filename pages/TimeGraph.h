#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// One line of a time graph: x in seconds, y in the graph's unit.
struct GraphSeries {
    QString name;  // shown with a sample of the line above the graph; empty: not shown
    QColor colour;
    std::vector<QPointF> points;
    Qt::PenStyle style = Qt::SolidLine;
    // A value on a circle (a heading in degrees: 360) wraps at this period: a step of more
    // than half of it between two points is a wrap, not a move, and the line breaks there.
    // 0: no wrap.
    double wrapPeriod = 0;
};

// A graph of values over time: the last `span` seconds up to `end`, the value axis scaled to
// what the lines hold (round steps, the unit beside the title), the time axis in seconds. It
// only draws what it is given. A small graph has fewer ticks: no two axis numbers overlap.
class TimeGraph : public QWidget {
    Q_OBJECT

public:
    explicit TimeGraph(QWidget* parent = nullptr);

    void SetTitle(const QString& title, const QString& unit);
    // Text shown when no line has a point.
    void SetEmptyText(const QString& text);
    void SetData(double spanSeconds, double endSeconds, std::vector<GraphSeries> series);

    // The value axis as last scaled: its lowest and highest value.
    double AxisLow() const { return m_low; }
    double AxisHigh() const { return m_high; }
    const std::vector<GraphSeries>& Series() const { return m_series; }

    struct AxisLabel {
        QString text;
        QRect box;  // where its text is drawn
    };
    // The numbers of both axes at the graph's present size, as they are drawn.
    std::vector<AxisLabel> AxisLabels() const;
    struct LegendEntry {
        std::size_t series;  // the index of the line it names
        QRect box;           // where its sample and name are drawn
    };
    // The legend: one entry for every named line, as they are drawn.
    std::vector<LegendEntry> Legend() const;

    QSize sizeHint() const override { return {420, 120}; }
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ScaleValueAxis();
    QRect PlotArea() const;
    std::vector<AxisLabel> ValueLabels(const QRect& area) const;
    std::vector<AxisLabel> TimeLabels(const QRect& area) const;
    double TimeStep(const QRect& area) const;
    void DrawAxes(QPainter& painter, const QRect& area) const;
    void DrawLines(QPainter& painter, const QRect& area) const;
    void DrawHeading(QPainter& painter, const QRect& area) const;
    QString Heading() const;

    QString m_title;
    QString m_unit;
    QString m_emptyText;
    double m_span = 30;
    double m_end = 0;
    double m_low = 0;
    double m_high = 1;
    double m_step = 0.2;
    std::vector<GraphSeries> m_series;
};

// A round step (1, 2 or 5 times a power of ten) that divides `range` into about `parts`, never
// into more.
double NiceStep(double range, int parts);

// The runs of `points` between wraps: where two neighbours differ by more than half of
// `period` the line breaks. One run when `period` is 0.
std::vector<std::vector<QPointF>> SplitAtWraps(const std::vector<QPointF>& points, double period);
