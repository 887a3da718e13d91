#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

// One line of a time graph: x in seconds, y in the graph's unit.
struct GraphSeries {
    QString name;  // shown in the line's colour above the graph; empty: not shown
    QColor colour;
    std::vector<QPointF> points;
};

// A graph of values over time: the last `span` seconds up to `end`, the value axis scaled to
// what the lines hold (round steps, the unit beside the title), the time axis in seconds. It
// only draws what it is given.
class TimeGraph : public QWidget {
    Q_OBJECT

public:
    explicit TimeGraph(QWidget* parent = nullptr);

    void SetTitle(const QString& title, const QString& unit);
    // Text shown when no line has a point.
    void SetEmptyText(const QString& text);
    void SetData(double spanSeconds, double endSeconds, std::vector<GraphSeries> series);

    // The value axis as last drawn: its lowest and highest value.
    double AxisLow() const { return m_low; }
    double AxisHigh() const { return m_high; }

    QSize sizeHint() const override { return {420, 120}; }
    QSize minimumSizeHint() const override { return {200, 80}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ScaleValueAxis();
    QRect PlotArea() const;
    void DrawAxes(QPainter& painter, const QRect& area) const;
    void DrawLines(QPainter& painter, const QRect& area) const;
    void DrawHeading(QPainter& painter, const QRect& area) const;

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

// A round step (1, 2 or 5 times a power of ten) that divides `range` into about `parts`.
double NiceStep(double range, int parts);
