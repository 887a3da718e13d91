#include "ParameterLabel.h"

#include <QStringList>

#include "ParamTable.h"
#include "ParameterNames.h"
#include "ReadBackChain.h"

namespace {

// The frame-geometry letters k..y in the order of their labels after the switch grid.
constexpr int kFrameLabelsFirst = kGridFirstSlot + 120;

QString Unspaced(QString label) {
    label.remove(QLatin1Char(' '));
    return label;
}

}  // namespace

QString ParameterLabel(char letter) {
    static const QStringList names = ParameterNames();
    switch (letter) {
        case 'V':
            return QStringLiteral("固件版本");
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

int DisplayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}
