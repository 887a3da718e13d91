#include "ParameterCaption.h"

#include <QStringList>

#include "ParamTable.h"
#include "ParameterCaptions.h"
#include "ParameterNames.h"
#include "ReadBackChain.h"

namespace {

// The frame-geometry letters k..y in the order of their labels after the switch grid.
constexpr int kFrameLabelsFirst = kGridFirstSlot + 120;
// Each switch row takes three positions of four channels in the grid.
constexpr int kSlotsPerSwitchRow = 12;

struct LetterCaption {
    char letter;
    const BiText& caption;
};

// The letters whose controls carry a caption of their own, on the pages and the upper panel.
const LetterCaption kCaptions[] = {
    {'A', captions::kFrameType},
    {'B', captions::kEscRate},
    {'P', captions::kServoRate},
    {'M', captions::kSensors},
    {'Q', captions::kDeclination},
    {'C', captions::kMainStability},
    {'D', captions::kAuxStability},
    {'E', captions::kDynamicStability},
    {'F', captions::kMainBalance},
    {'G', captions::kAuxBalance},
    {'Y', captions::kYawStability},
    {'Z', captions::kYawLock},
    {'R', captions::kHeightLock},
    {'T', captions::kAuxHeight},
    {'`', captions::kHeightStability},
    {'@', captions::kCentring},
    {'#', captions::kAntiWind},
    {'$', captions::kPositionDamping},
    {'!', captions::kHomeSpeed},
    {'K', captions::kPitchScale},
    {'J', captions::kRollScale},
    {'%', captions::kZScale},
    {'&', captions::kPitchMid},
    {'^', captions::kRollMid},
    {'(', captions::kZMid},
    {'_', captions::kPitchLimit},
    {')', captions::kRollLimit},
    {'+', captions::kZLimit},
    {'4', captions::kCells[0]},
    {'5', captions::kCells[1]},
    {'6', captions::kCells[2]},
    {'7', captions::kCells[3]},
    {'L', captions::kAlarmVoltage},
};


QString Unspaced(QString label) {
    label.remove(QLatin1Char(' '));
    return label;
}

// "固件版本:V" without the ":V" the version's digits follow.
QString VersionName(bool english) {
    return captions::kFirmwareVersion.In(english).section(QLatin1Char(':'), 0, 0);
}

QString ChineseLabel(char letter) {
    static const QStringList names = ParameterNames();
    switch (letter) {
        case 'V':
            return VersionName(false);
        case 'H':
        case 'I':
            return QStringLiteral("未使用");
        case 'j':
            return QStringLiteral("参考数据组");
        case 'M':
            return QStringLiteral("传感器选择");
        case 'N':
            return QStringLiteral("接收通道反向");
        case 'O':
            return QStringLiteral("输出通道反向");
        case 'z':
            return QStringLiteral("螺旋桨方向");
        default:
            break;
    }
    const std::optional<int> slot = CacheSlotOf(letter);
    if (slot && BitCountOf(letter) > 0) {
        // A switch row: the function name in front of the channel of its first cell.
        const QString first = names.value(*slot);
        return Unspaced(first.left(first.indexOf(QLatin1String("CH"))));
    }
    if (slot) return Unspaced(names.value(*slot));
    const std::size_t frame = kFrameGeometryOrder.find(letter);
    if (frame != std::string_view::npos)
        return Unspaced(names.value(kFrameLabelsFirst + int(frame)));
    return {};
}

// Empty for a letter the window has no English caption for.
QString EnglishLabel(char letter) {
    switch (letter) {
        case 'V':
            return VersionName(true);
        case 'H':
        case 'I':
            return QStringLiteral("Unused");
        case 'j':
            return QString::fromUtf8(captions::kRestoreData.english);
        case 'N':
            return QStringLiteral("Receiver Reverse");
        case 'O':
            return QStringLiteral("Output Reverse");
        default:
            break;
    }
    for (const LetterCaption& entry : kCaptions)
        if (entry.letter == letter) return QString::fromUtf8(entry.caption.english);
    const std::optional<int> slot = CacheSlotOf(letter);
    if (IsSwitchRow(letter)) {
        const int row = (*slot - kGridFirstSlot) / kSlotsPerSwitchRow;
        if (row < int(std::size(captions::kSwitchRows)))
            return QString::fromUtf8(captions::kSwitchRows[row].english);
    }
    return {};
}

}  // namespace

bool IsSwitchRow(char letter) {
    const std::optional<int> slot = CacheSlotOf(letter);
    return slot && BitCountOf(letter) > 0 && *slot >= kGridFirstSlot;
}

QString ParameterCaption(char letter, bool english) {
    if (english) {
        const QString name = EnglishLabel(letter);
        if (!name.isEmpty()) return name;
    }
    return ChineseLabel(letter);
}
