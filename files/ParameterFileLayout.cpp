#include "ParameterFileLayout.h"

#include <QStringList>

#include "GbkCodec.h"
#include "ParameterNames.h"

namespace {

constexpr int kFirstBatteryIndex = 27;
constexpr int kFirstFlagIndex = 31;
constexpr int kFirstFrameIndex = 175;
constexpr int kDeclinationIndex = 190;

// Every text here is GBK-encodable; an empty result would show up as a refused label at once.
QByteArray Gbk(const QString& text) { return gbk::Encode(text).value_or(QByteArray()); }

}  // namespace

ParameterLineKind KindOfParameterLine(int index) {
    if (index < kFirstBatteryIndex || index == kDeclinationIndex) return ParameterLineKind::Setting;
    if (index < kFirstFlagIndex) return ParameterLineKind::Battery;
    if (index < kFirstFrameIndex) return ParameterLineKind::Flag;
    return ParameterLineKind::Frame;
}

const std::array<QByteArray, kParameterCount>& ParameterLabels() {
    static const std::array<QByteArray, kParameterCount> labels = [] {
        const QStringList names = ParameterNames();
        std::array<QByteArray, kParameterCount> encoded;
        for (int index = 0; index < kParameterCount; ++index) encoded[index] = Gbk(names[index]);
        return encoded;
    }();
    return labels;
}

const QByteArray& PortLinePrefix() {
    static const QByteArray prefix = Gbk(QStringLiteral("当 前 串口COM"));
    return prefix;
}

const std::array<QByteArray, kNoteLineCount>& NoteLines() {
    static const std::array<QByteArray, kNoteLineCount> notes = {
        Gbk(QStringLiteral("特别备注：1.本处列出的“俯仰舵机中点，横滚中点与z轴中点值=软件显示值+"
                           "50后所得")),
        Gbk(QStringLiteral("特别备注：2.异形多轴的相关数据减去5000才是正常坐标值，并且只有使用这"
                           "个界面，")),
        Gbk(QStringLiteral("特别备注：\u3000并按“保存按扭后，才有相应数据。否则为0")),
        Gbk(QStringLiteral("特别备注：3.异形多轴数据不能自动恢复到飞控中")),
    };
    return notes;
}
