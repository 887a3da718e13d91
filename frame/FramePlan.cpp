#include "FramePlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The angle constants the plan has always used; the outline order of motors at equal angles
// depends on them, so they stay exactly as they are.
constexpr double kPiSecondQuadrant = 3.1415926;
constexpr double kPiThirdQuadrant = 3.1415925;
constexpr double kTwoPi = 6.283185;
constexpr float kHalfPi = 1.5707963f;
constexpr float kPi = 3.1415926f;
constexpr float kThreeHalvesPi = 4.7123889f;
constexpr float kUnitsPerRadian = 10000.0f;

float Units(double radians) { return static_cast<float>(radians * kUnitsPerRadian); }

}  // namespace

double PlanScale(int maxX, int maxY) {
    const int span = std::max(maxX, maxY);
    return span > 0 ? plan::kSpanPixels / span : 0.0;
}

PlanPoint ScreenPosition(int x, int y, double scale) {
    return {scale * x + plan::kCentreX, plan::kCentreY - scale * y};
}

float MotorAngle(int xMm, int yMm) {
    const float x = static_cast<float>(xMm);
    const float y = static_cast<float>(yMm);
    if (y > 0) {
        if (x > 0) return Units(std::atan(y / x));
        if (x == 0) return kHalfPi * kUnitsPerRadian;
        return Units(std::atan(y / x) + kPiSecondQuadrant);
    }
    if (y == 0) return x >= 0 ? 0.0f : kPi * kUnitsPerRadian;
    if (x < 0) return Units(std::atan(y / x) + kPiThirdQuadrant);
    if (x == 0) return kThreeHalvesPi * kUnitsPerRadian;
    return Units(std::atan(y / x) + kTwoPi);
}

std::vector<int> OutlineOrder(std::span<const int> x, std::span<const int> y) {
    const std::size_t count = std::min(x.size(), y.size());
    std::vector<float> angle(count);
    for (std::size_t i = 0; i < count; ++i) angle[i] = MotorAngle(x[i], y[i]);

    std::vector<int> order;
    std::vector<bool> placed(count, false);
    for (std::size_t position = 0; position < count; ++position) {
        int best = -1;
        float bestAngle = std::numeric_limits<float>::max();
        for (std::size_t i = 0; i < count; ++i)
            if (!placed[i] && angle[i] < bestAngle) {
                best = int(i);
                bestAngle = angle[i];
            }
        placed[best] = true;
        order.push_back(best);
        if (position == 0) continue;
        // Only the neighbour just placed is compared; the X coordinates themselves decide, so
        // that motors on one spot keep their numbers' order.
        int& previous = order[position - 1];
        if (angle[best] == angle[previous] && x[best] > x[previous])
            std::swap(previous, order[position]);
    }
    return order;
}

PlanLayout LayOutPlan(const FrameShape& shape) {
    PlanLayout layout;
    layout.drawnMotors = shape.axisCount == 6 ? 6 : 4;
    layout.reverse = shape.reverse;
    const double scale = PlanScale(shape.maxX, shape.maxY);
    for (int motor = 0; motor < FrameShape::kMotors; ++motor)
        layout.motors[motor] = ScreenPosition(shape.motorX[motor], shape.motorY[motor], scale);
    if (IsAxisCount(shape.axisCount))
        layout.outline = OutlineOrder(std::span(shape.motorX).first(shape.axisCount),
                                      std::span(shape.motorY).first(shape.axisCount));
    return layout;
}
