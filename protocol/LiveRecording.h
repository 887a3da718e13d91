#pragma once

#include <QtGlobal>
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>

#include "LiveFrame.h"

class IClock;

// One live frame as a recording keeps it: its time since the display started and its values,
// packed small (every field of a frame is at most four digits; the position texts are at most
// eleven printable characters) so that a long recording stays small.
struct RecordedFrame {
    enum SensorField { kUltrasonicMm = 0, kBaroDm = 1, kHeadingDeg = 2, kVibration = 3 };

    std::uint32_t ms = 0;  // milliseconds since the display started
    LiveFrame::Kind kind = LiveFrame::Kind::Receiver;
    // Receiver and output frames: the eight values in wire order. Sensor frames: the four
    // numbers at the places SensorField names.
    std::array<std::uint16_t, 8> values{};
    std::array<char, 11> longitude{};  // not terminated when all eleven are used
    std::array<char, 11> latitude{};

    static RecordedFrame From(std::chrono::milliseconds at, const LiveFrame& frame);
    LiveFrame Frame() const;
    std::chrono::milliseconds At() const { return std::chrono::milliseconds(ms); }
    // Receiver channel 1-8 in its place (the wire carries channel 4 before 3).
    int Channel(int channel) const;
};

// The live frames received since the display started, each with its time by the clock. Only
// the last 30 minutes are kept: as a frame comes, those more than 30 minutes older than it
// are dropped, and RolledOver() says from then on that the recording no longer reaches back to
// the start.
class LiveRecording {
public:
    static constexpr std::chrono::minutes kKept{30};

    explicit LiveRecording(const IClock& clock);

    // Forgets every frame; times count from now.
    void Start();
    void Add(const LiveFrame& frame);

    qsizetype Size() const { return qsizetype(m_frames.size()); }
    bool IsEmpty() const { return m_frames.empty(); }
    const RecordedFrame& At(qsizetype index) const { return m_frames[std::size_t(index)]; }
    // The index of the first frame at or after `time`; Size() when there is none.
    qsizetype FirstAtOrAfter(std::chrono::milliseconds time) const;
    // The index of the latest frame of this kind, or -1.
    qsizetype LatestOf(LiveFrame::Kind kind) const;

    bool RolledOver() const { return m_bRolledOver; }
    // Frames added since Start, kept or not: tells a reader whether anything new has come.
    quint64 Added() const { return m_nAdded; }

private:
    void DropOlderThan(std::chrono::milliseconds latest);

    const IClock& m_clock;
    std::chrono::nanoseconds m_start{};
    std::deque<RecordedFrame> m_frames;
    bool m_bRolledOver = false;
    quint64 m_nAdded = 0;
    // For each kind, the count of frames added when its latest one came (0: none yet).
    std::array<quint64, 3> m_latestNumber{};
};
