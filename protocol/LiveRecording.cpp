#include "LiveRecording.h"

#include <QString>
#include <algorithm>

#include "IClock.h"

namespace {

using std::chrono::milliseconds;

std::uint16_t Packed(int value) { return std::uint16_t(std::clamp(value, 0, 0xFFFF)); }

// The text's first `N` characters; the rest of the array stays zero.
template <std::size_t N>
std::array<char, N> PackedText(const QString& text) {
    std::array<char, N> packed{};
    const QByteArray latin = text.toLatin1();
    std::copy_n(latin.constData(), std::min<qsizetype>(latin.size(), qsizetype(N)), packed.begin());
    return packed;
}

template <std::size_t N>
QString UnpackedText(const std::array<char, N>& packed) {
    const auto end = std::find(packed.begin(), packed.end(), '\0');
    return QString::fromLatin1(packed.data(), end - packed.begin());
}

}  // namespace

RecordedFrame RecordedFrame::From(milliseconds at, const LiveFrame& frame) {
    RecordedFrame recorded;
    recorded.ms = std::uint32_t(std::max<milliseconds::rep>(at.count(), 0));
    recorded.kind = frame.kind;
    if (frame.kind != LiveFrame::Kind::Sensors) {
        for (std::size_t i = 0; i < 8; ++i) recorded.values[i] = Packed(frame.values[i]);
        return recorded;
    }
    recorded.values[0] = Packed(frame.ultrasonicMm);
    recorded.values[1] = Packed(frame.baroDm);
    recorded.values[2] = Packed(frame.headingDeg);
    recorded.values[3] = Packed(frame.vibration);
    recorded.longitude = PackedText<11>(frame.longitude);
    recorded.latitude = PackedText<11>(frame.latitude);
    return recorded;
}

LiveFrame RecordedFrame::Frame() const {
    LiveFrame frame;
    frame.kind = kind;
    if (kind != LiveFrame::Kind::Sensors) {
        for (std::size_t i = 0; i < 8; ++i) frame.values[i] = values[i];
        return frame;
    }
    frame.ultrasonicMm = values[0];
    frame.baroDm = values[1];
    frame.headingDeg = values[2];
    frame.vibration = values[3];
    frame.longitude = UnpackedText(longitude);
    frame.latitude = UnpackedText(latitude);
    return frame;
}

int RecordedFrame::Channel(int channel) const {
    return values[kWireIndexOfChannel[std::size_t(channel - 1)]];
}

LiveRecording::LiveRecording(const IClock& clock) : m_clock(clock), m_start(clock.Now()) {}

void LiveRecording::Start() {
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_start = m_clock.Now();
    m_bRolledOver = false;
    m_nAdded = 0;
    m_latestNumber = {};
}

void LiveRecording::Add(const LiveFrame& frame) {
    const auto at = std::chrono::duration_cast<milliseconds>(m_clock.Now() - m_start);
    m_frames.push_back(RecordedFrame::From(at, frame));
    m_latestNumber[std::size_t(frame.kind)] = ++m_nAdded;
    DropOlderThan(at);
}

void LiveRecording::DropOlderThan(milliseconds latest) {
    while (!m_frames.empty() && latest - m_frames.front().At() > kKept) {
        m_frames.pop_front();
        m_bRolledOver = true;
    }
}

qsizetype LiveRecording::FirstAtOrAfter(milliseconds time) const {
    const auto first =
        std::lower_bound(m_frames.begin(), m_frames.end(), time,
                         [](const RecordedFrame& frame, milliseconds t) { return frame.At() < t; });
    return qsizetype(first - m_frames.begin());
}

qsizetype LiveRecording::LatestOf(LiveFrame::Kind kind) const {
    const quint64 number = m_latestNumber[std::size_t(kind)];
    const quint64 firstKept = m_nAdded - quint64(m_frames.size()) + 1;
    return number == 0 || number < firstKept ? -1 : qsizetype(number - firstKept);
}
