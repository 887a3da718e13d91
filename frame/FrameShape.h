#pragma once

#include <array>
#include <optional>

// The letters that carry a custom frame; the coordinates are "n" (M1 X) to "y" (M6 Y).
inline constexpr char kAxisCountLetter = 'k';
inline constexpr char kSpanXLetter = 'l';
inline constexpr char kSpanYLetter = 'm';
inline constexpr char kDirectionLetter = 'z';

// A custom frame as the operator describes it: the number of motors, the largest arm spans
// along X and Y (mm), and each motor's position relative to the design centre of gravity (mm,
// Y pointing up on the plan) and propeller direction.
struct FrameShape {
    static constexpr int kMotors = 6;

    int axisCount = 0;  // 4 or 6; 0 while not known
    int maxX = 0;
    int maxY = 0;
    std::array<int, kMotors> motorX{};
    std::array<int, kMotors> motorY{};
    std::array<bool, kMotors> reverse{};
};

// One coordinate of one motor.
struct CoordinateField {
    int motor = 0;  // 0 for M1 ... 5 for M6
    bool isY = false;

    bool operator==(const CoordinateField&) const = default;
};

// The axis counts the controller knows.
bool IsAxisCount(int count);

// Whether an arm span is one the controller keeps.
bool SpanFits(int span);

// The first coordinate, in the order M1 X, M1 Y, M2 X ... M6 Y, that lies outside its span
// (-max..max) or outside what its four digits carry (-5000..4999); nullopt when all pass.
// Motors 5 and 6 are checked on a four-motor frame too: the save sends them as well.
std::optional<CoordinateField> FirstInvalidCoordinate(const FrameShape& shape);

// The letter that carries a coordinate ("n" for M1 X ... "y" for M6 Y), and back; nullopt for
// a letter that carries none.
char LetterOf(CoordinateField field);
std::optional<CoordinateField> CoordinateOf(char letter);

// The fifteen values the save hands to the set chain, without the coordinate offset: axis
// count, max X, max Y, M1 X, M1 Y ... M6 X, M6 Y.
std::array<int, 15> FrameRecordOf(const FrameShape& shape);

// The propeller directions as the controller keeps them: bit i set when motor i + 1 turns in
// reverse (clockwise).
int DirectionMask(const std::array<bool, FrameShape::kMotors>& reverse);
