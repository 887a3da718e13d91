#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <optional>
#include <vector>

#include "LiveFrame.h"

// Finds the controller's live data frames in the bytes of the line. Every frame is 38 bytes: a
// four-character tag, 32 characters of fields and two trailing bytes that carry nothing read.
//
// After every byte the parser looks at the last 38 bytes received since it last recognised a
// frame: once at least 36 have come and they begin with a tag, they are a frame, and the
// parser starts afresh. A stream of frames therefore realigns itself after noise or a lost byte:
// the first frame is taken as soon as its fields are complete, every later one when its
// trailing bytes have arrived. A frame cut short by lost bytes gives way to the frame that
// follows it. Looking after every byte, not after every read, means that bytes arriving
// together lose no frame. Whatever the line carries, the parser keeps at most 38 bytes.
class LiveDataParser {
public:
    static constexpr int kFrameLength = 38;
    // A frame's tag and fields are complete from this many bytes on.
    static constexpr int kFieldsEnd = 36;

    // The frames completed by these bytes, in the order they were completed.
    std::vector<LiveFrame> Feed(QByteArrayView bytes);
    // Forgets the bytes received so far.
    void Reset() { Resume({}, 0); }

    // The bytes received since the last frame (at most the last 38 of them) and how many bytes
    // that was in all; Resume continues from such a state.
    QByteArrayView Pending() const { return {m_window.data(), m_nWindowSize}; }
    int Count() const { return m_nCount; }
    void Resume(QByteArrayView pending, int count);

    // A frame that begins at the first byte of `bytes` (at least 36 bytes), or nullopt when
    // they begin with no tag. Fields that are not all digits are read as the number their
    // digits start with.
    static std::optional<LiveFrame> ParseFrame(QByteArrayView bytes);

private:
    std::optional<LiveFrame> Take(char byte);
    // A window that begins with a tag and holds a second one is a frame cut short (bytes lost on
    // the line) running into the next: everything before the second tag is dropped, so that
    // the next frame is shown rather than a mix of both. True when bytes were dropped.
    bool DropFrameCutShort();

    std::array<char, kFrameLength> m_window{};
    int m_nWindowSize = 0;
    int m_nCount = 0;
};
