#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "FramePlan.h"

// The frame plan on the frame dialog: background, red axes through the design centre of
// gravity and, after a redraw whose coordinates passed, the motors with their labels and
// direction arrows and the outline around them. It draws in the dialog's own pixel coordinates
// wherever it is placed, and every paint draws all of it, so covering and uncovering the
// dialog loses nothing.
class FramePlanView : public QWidget {
    Q_OBJECT

public:
    static constexpr QRgb kBackground = qRgb(212, 208, 200);
    static constexpr QRgb kAxisPen = qRgb(255, 0, 0);
    static constexpr QRgb kMarker = qRgb(255, 100, 128);
    static constexpr QRgb kReverseLabel = qRgb(0, 0, 255);
    static constexpr QRgb kNormalLabel = qRgb(0, 0, 0);

    explicit FramePlanView(QWidget* parent = nullptr);

    // Background and axes only (a redraw whose coordinates did not pass).
    void ShowAxesOnly();
    void ShowLayout(const PlanLayout& layout);
    const std::optional<PlanLayout>& Layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<PlanLayout> m_layout;
};
