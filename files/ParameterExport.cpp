#include "ParameterExport.h"

#include "ParameterFileLayout.h"

namespace {

QByteArray PortLine(int portNumber) {
    // The number has at least two digits: COM05, COM12.
    const QByteArray digits = QByteArray::number(portNumber);
    return PortLinePrefix() + (portNumber > 9 ? digits : "0" + digits);
}

// A setting: 0 to 999 as four digits, larger values with one leading zero, negatives as they are.
QByteArray SettingText(int value) {
    if (value < 0) return QByteArray::number(value);
    const QByteArray digits = QByteArray::number(value);
    return value >= 100 ? "0" + digits : digits.rightJustified(4, '0');
}

QByteArray ValueText(int index, int value, int fwVersion) {
    switch (KindOfParameterLine(index)) {
        case ParameterLineKind::Setting:
            if (const std::optional<char> letter = SettingLetterAt(index))
                value = SavedFromShown(*letter, value, fwVersion);
            return SettingText(value);
        case ParameterLineKind::Battery:
        case ParameterLineKind::Flag:
            return QByteArray::number(value);
        case ParameterLineKind::Frame:
            return QByteArray::number(qint64(value) + kFrameValueShift) + "-5000";
    }
    return {};
}

}  // namespace

QByteArray ParameterFileBytes(std::span<const int> cache, int portNumber, int fwVersion) {
    QByteArray bytes = PortLine(portNumber) + kLineEnd;
    const auto& labels = ParameterLabels();
    for (int index = 0; index < kParameterCount; ++index) {
        const int value = index < int(cache.size()) ? cache[index] : 0;
        bytes += labels[index] + ValueText(index, value, fwVersion) + kLineEnd;
    }
    const auto& notes = NoteLines();
    for (int note = 0; note < kNoteLineCount; ++note) {
        bytes += notes[note];
        if (note + 1 < kNoteLineCount) bytes += kLineEnd;
    }
    return bytes;
}
