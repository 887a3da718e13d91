// The live data parser on any byte stream, cut into arbitrary receive events.
//
// Input: byte 0 seeds the cuts; the rest is the stream. The stream is fed three ways: in one
// piece; in pieces whose lengths come from the seed, each to a fresh parser resumed from the
// state the one before left (as the line reader keeps it between receive events); and one byte at
// a time. All three must find the same frames, and the parser never keeps more than one frame.
#include <QByteArray>
#include <vector>

#include "FuzzInput.h"
#include "LiveDataParser.h"

namespace {

bool SameFrame(const LiveFrame& a, const LiveFrame& b) {
    return a.kind == b.kind && a.values == b.values && a.ultrasonicMm == b.ultrasonicMm &&
           a.baroDm == b.baroDm && a.headingDeg == b.headingDeg && a.vibration == b.vibration &&
           a.longitude == b.longitude && a.latitude == b.latitude;
}

bool SameFrames(const std::vector<LiveFrame>& a, const std::vector<LiveFrame>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameFrame(a[i], b[i])) return false;
    return true;
}

void CheckFrame(const LiveFrame& frame) {
    // Fields are at most four digits; a coordinate is a sign, up to three digits, a point and
    // six decimals.
    for (int value : frame.values) FUZZ_CHECK(value >= 0 && value <= 9999);
    FUZZ_CHECK(frame.longitude.size() <= 11 && frame.latitude.size() <= 10);
    if (frame.kind == LiveFrame::Kind::Sensors)
        FUZZ_CHECK(frame.longitude.contains(QLatin1Char('.')) &&
                   frame.latitude.contains(QLatin1Char('.')));
}

void CheckState(const LiveDataParser& parser) {
    FUZZ_CHECK(parser.Pending().size() <= LiveDataParser::kFrameLength);
    FUZZ_CHECK(parser.Count() >= parser.Pending().size());
}

void Append(std::vector<LiveFrame>& to, std::vector<LiveFrame> frames) {
    to.insert(to.end(), std::make_move_iterator(frames.begin()),
              std::make_move_iterator(frames.end()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    uint32_t seed = input.Byte() | 1u;
    const QByteArrayView stream = input.Rest();

    LiveDataParser whole;
    const std::vector<LiveFrame> expected = whole.Feed(stream);
    CheckState(whole);
    for (const LiveFrame& frame : expected) CheckFrame(frame);

    std::vector<LiveFrame> resumed;
    QByteArray pending;
    int count = 0;
    for (qsizetype at = 0; at < stream.size();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(1 + (seed >> 16) % 48, stream.size() - at);
        LiveDataParser parser;
        parser.Resume(pending, count);
        Append(resumed, parser.Feed(stream.sliced(at, length)));
        CheckState(parser);
        pending = parser.Pending().toByteArray();
        count = parser.Count();
        at += length;
    }
    FUZZ_CHECK(SameFrames(expected, resumed));

    LiveDataParser bytewise;
    std::vector<LiveFrame> single;
    for (char byte : stream) Append(single, bytewise.Feed(QByteArrayView(&byte, 1)));
    FUZZ_CHECK(SameFrames(expected, single));
    return 0;
}
