#pragma once

#include <QByteArray>
#include <array>

// The parameter text file, GBK: a port line, one line per parameter (export index 0 to 190,
// which is also its cache slot), then four note lines. Every parameter line is its label of
// exactly 13 bytes followed at once by the value; the port line's 13-byte prefix is followed by
// the port number. Each line ends in CR CR LF, except the last note line, which has no ending.

constexpr int kParameterCount = 191;
constexpr int kNoteLineCount = 4;
constexpr int kFileLineCount = 1 + kParameterCount + kNoteLineCount;
constexpr int kLabelBytes = 13;
// Coordinates and frame values are written with this added and the text "-5000" after them.
constexpr int kFrameValueShift = 5000;

// What a parameter line holds, by its export index.
enum class ParameterLineKind {
    Setting,  // 0-26 and 190: a setting the restore sends, four digits when not negative
    Battery,  // 27-30: battery calibration values, kept but not restored
    Flag,     // 31-174: sensor, reverse and switch flags, one digit
    Frame     // 175-189: the custom frame, +5000 and "-5000", kept but not restored
};
ParameterLineKind KindOfParameterLine(int index);

// The file's fixed texts in GBK.
const std::array<QByteArray, kParameterCount>& ParameterLabels();
const QByteArray& PortLinePrefix();
const std::array<QByteArray, kNoteLineCount>& NoteLines();
inline const QByteArray kLineEnd = QByteArrayLiteral("\r\r\n");
