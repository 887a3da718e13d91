#include "FrameShape.h"

#include "ParamTable.h"

namespace {

// The frame letters travel the same way on every firmware version.
constexpr int kAnyVersion = 0;
constexpr char kFirstCoordinateLetter = 'n';

bool CoordinateFits(CoordinateField field, int value, int span) {
    const ShownRange carried = *ShownRangeOf(LetterOf(field), kAnyVersion);
    return value >= -span && value <= span && carried.Contains(value);
}

}  // namespace

bool IsAxisCount(int count) { return count == 4 || count == 6; }

bool SpanFits(int span) { return ShownRangeOf(kSpanXLetter, kAnyVersion)->Contains(span); }

std::optional<CoordinateField> FirstInvalidCoordinate(const FrameShape& shape) {
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        const CoordinateField x{motor, false};
        if (!CoordinateFits(x, shape.motorX[motor], shape.maxX)) return x;
        const CoordinateField y{motor, true};
        if (!CoordinateFits(y, shape.motorY[motor], shape.maxY)) return y;
    }
    return std::nullopt;
}

char LetterOf(CoordinateField field) {
    return char(kFirstCoordinateLetter + 2 * field.motor + (field.isY ? 1 : 0));
}

std::optional<CoordinateField> CoordinateOf(char letter) {
    const int index = letter - kFirstCoordinateLetter;
    if (index < 0 || index >= 2 * FrameShape::kMotors) return std::nullopt;
    return CoordinateField{index / 2, index % 2 == 1};
}

std::array<int, 15> FrameRecordOf(const FrameShape& shape) {
    std::array<int, 15> record{shape.axisCount, shape.maxX, shape.maxY};
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        record[3 + 2 * motor] = shape.motorX[motor];
        record[4 + 2 * motor] = shape.motorY[motor];
    }
    return record;
}

int DirectionMask(const std::array<bool, FrameShape::kMotors>& reverse) {
    int mask = 0;
    for (int motor = 0; motor < FrameShape::kMotors; ++motor)
        if (reverse[motor]) mask |= 1 << motor;
    return mask;
}
