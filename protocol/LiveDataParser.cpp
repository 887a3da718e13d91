#include "LiveDataParser.h"

#include <algorithm>
#include <cstring>

#include "CommandFrames.h"

namespace {

constexpr QByteArrayView kReceiverTag = "CHDA";
constexpr QByteArrayView kOutputTag = "MSDA";
constexpr QByteArrayView kSensorTag = "SSDA";
constexpr qsizetype kTagLength = 4;
constexpr qsizetype kFieldsAt = kTagLength;
constexpr qsizetype kValueWidth = 4;
constexpr int kDecimals = 6;
// The count is only compared with the frame length; it stops growing here.
constexpr int kCountCeiling = 1 << 20;

bool StartsWithTag(QByteArrayView bytes) {
    return bytes.startsWith(kReceiverTag) || bytes.startsWith(kOutputTag) ||
           bytes.startsWith(kSensorTag);
}

std::array<int, 8> EightValues(QByteArrayView frame) {
    std::array<int, 8> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] =
            LeadingDigits(frame.sliced(kFieldsAt + qsizetype(i) * kValueWidth, kValueWidth));
    return values;
}

// A position field: a sign character, `integerDigits` digits, six decimals. The integer part
// is shown without leading zeros, "+" is not shown, any other sign stands in front. Digits are
// read up to the first character that is not one; from there on the field counts as zeros.
QString CoordinateText(QByteArrayView field, int integerDigits) {
    const char sign = field.front();
    QByteArray digits(field.size() - 1, '0');
    for (qsizetype at = 1; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
        digits[at - 1] = field[at];
    if (digits.count('0') == digits.size()) return QStringLiteral("0.000000");

    QByteArray whole = digits.left(integerDigits);
    while (whole.size() > 1 && whole.front() == '0') whole.remove(0, 1);
    QString text;
    if (sign != '+') text += (sign >= ' ' && sign <= '~') ? QLatin1Char(sign) : QLatin1Char('?');
    text += QLatin1String(whole) + QLatin1Char('.') + QLatin1String(digits.mid(integerDigits));
    return text;
}

LiveFrame SensorFrame(QByteArrayView frame) {
    LiveFrame sensors;
    sensors.kind = LiveFrame::Kind::Sensors;
    sensors.ultrasonicMm = LeadingDigits(frame.sliced(4, 4));
    sensors.baroDm = LeadingDigits(frame.sliced(8, 4));
    sensors.headingDeg = LeadingDigits(frame.sliced(12, 3));
    sensors.vibration = LeadingDigits(frame.sliced(15, 2));
    sensors.longitude = CoordinateText(frame.sliced(17, 1 + 3 + kDecimals), 3);
    sensors.latitude = CoordinateText(frame.sliced(27, 1 + 2 + kDecimals), 2);
    return sensors;
}

}  // namespace

std::vector<LiveFrame> LiveDataParser::Feed(QByteArrayView bytes) {
    std::vector<LiveFrame> frames;
    for (const char byte : bytes)
        if (std::optional<LiveFrame> frame = Take(byte)) frames.push_back(std::move(*frame));
    return frames;
}

void LiveDataParser::Resume(QByteArrayView pending, int count) {
    const QByteArrayView kept = pending.last(std::min<qsizetype>(pending.size(), kFrameLength));
    // Not memcpy: an empty view may carry no address at all (a buffer never filled).
    std::copy(kept.begin(), kept.end(), m_window.begin());
    m_nWindowSize = int(kept.size());
    m_nCount = std::clamp(count, 0, kCountCeiling);
}

std::optional<LiveFrame> LiveDataParser::Take(char byte) {
    if (m_nWindowSize == kFrameLength) {
        std::memmove(m_window.data(), m_window.data() + 1, kFrameLength - 1);
        --m_nWindowSize;
    }
    m_window[std::size_t(m_nWindowSize++)] = byte;
    if (m_nCount < kCountCeiling) ++m_nCount;
    if (m_nCount < kFieldsEnd) return std::nullopt;
    if (DropFrameCutShort() && m_nCount < kFieldsEnd) return std::nullopt;
    std::optional<LiveFrame> frame = ParseFrame(Pending());
    if (frame) Reset();
    return frame;
}

bool LiveDataParser::DropFrameCutShort() {
    const QByteArrayView window = Pending();
    if (!StartsWithTag(window)) return false;
    for (qsizetype at = 1; at + kTagLength <= window.size(); ++at) {
        if (!StartsWithTag(window.sliced(at))) continue;
        std::memmove(m_window.data(), m_window.data() + at, std::size_t(window.size() - at));
        m_nWindowSize = int(window.size() - at);
        m_nCount = m_nWindowSize;
        return true;
    }
    return false;
}

std::optional<LiveFrame> LiveDataParser::ParseFrame(QByteArrayView bytes) {
    if (bytes.size() < kFieldsEnd) return std::nullopt;
    if (bytes.startsWith(kReceiverTag) || bytes.startsWith(kOutputTag)) {
        LiveFrame frame;
        frame.kind =
            bytes.startsWith(kReceiverTag) ? LiveFrame::Kind::Receiver : LiveFrame::Kind::Outputs;
        frame.values = EightValues(bytes);
        return frame;
    }
    if (bytes.startsWith(kSensorTag)) return SensorFrame(bytes);
    return std::nullopt;
}
