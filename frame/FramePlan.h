#pragma once

#include <array>
#include <span>
#include <vector>

#include "FrameShape.h"

// The plan of a frame in the frame dialog's fixed pixel geometry: the design centre of gravity
// at (500, 150), the larger of the two spans drawn as 80 pixels, Y growing upwards.
namespace plan {
inline constexpr double kCentreX = 500;
inline constexpr double kCentreY = 150;
inline constexpr double kSpanPixels = 80;
}  // namespace plan

struct PlanPoint {
    double x = 0;
    double y = 0;
};

// What the plan shows for a frame whose coordinates have passed the checks.
struct PlanLayout {
    int drawnMotors = 4;  // M1..M4, or M1..M6 on a six-motor frame
    std::array<PlanPoint, FrameShape::kMotors> motors{};
    std::array<bool, FrameShape::kMotors> reverse{};
    // Motor indices (0 for M1) around the centre; empty while the axis count is not known.
    std::vector<int> outline;
};

// Pixels per millimetre: the larger span is 80 pixels. Both spans 0 admit only motors at the
// centre; the factor is then 0 and every motor lands on it.
double PlanScale(int maxX, int maxY);
PlanPoint ScreenPosition(int x, int y, double scale);
// A stored position as a pixel: truncated toward zero.
inline int PlanPixel(double coordinate) { return static_cast<int>(coordinate); }

// A motor's angle counter-clockwise from the positive X axis, in 1/10000 radian, in [0, 2π),
// computed in single precision; the centre counts as angle 0.
float MotorAngle(int x, int y);

// The motors in outline order: by rising angle, the lower motor number first among equal
// angles; then a motor that follows one of equal angle and lies further right (greater X)
// changes places with it.
std::vector<int> OutlineOrder(std::span<const int> x, std::span<const int> y);

PlanLayout LayOutPlan(const FrameShape& shape);
