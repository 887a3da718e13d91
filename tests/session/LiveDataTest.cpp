// The live data stream: frames found in any split of the bytes, realigned after noise, bounded
// under garbage; and the line reader's receive mode 10 around the parser.
#include <random>

#include "DispatcherFixture.h"
#include "LiveDataParser.h"

namespace {

QByteArray Frame(const char* tag, const QByteArray& fields) { return tag + fields + "\r\n"; }
QByteArray Sensors(const char* sonar, const char* baro, const char* heading, const char* vibration,
                   const char* longitude, const char* latitude) {
    return Frame("SSDA", QByteArray(sonar) + baro + heading + vibration + longitude + latitude);
}

const QByteArray kChannels = Frame("CHDA", "10001100120013001400150016001700");
const QByteArray kOutputs = Frame("MSDA", "11501250135014501500160017001000");
const QByteArray kSensors = Sensors("1234", "0567", "359", "07", "+113123456", "+22123456");

// A frame as one line, receiver values by channel number, so that a table can say what it expects.
std::string Describe(const LiveFrame& frame) {
    QString text;
    switch (frame.kind) {
        case LiveFrame::Kind::Receiver:
            text = QStringLiteral("CH");
            for (int channel = 1; channel <= 8; ++channel)
                text += QLatin1Char(' ') + QString::number(ReceiverChannel(frame, channel));
            break;
        case LiveFrame::Kind::Outputs:
            text = QStringLiteral("MS");
            for (int value : frame.values) text += QLatin1Char(' ') + QString::number(value);
            break;
        case LiveFrame::Kind::Sensors:
            text = QStringLiteral("SS %1 %2 %3 %4 %5 %6")
                       .arg(frame.ultrasonicMm)
                       .arg(frame.baroDm)
                       .arg(frame.headingDeg)
                       .arg(frame.vibration)
                       .arg(frame.longitude, frame.latitude);
            break;
    }
    return text.toStdString();
}

std::vector<std::string> Describe(const std::vector<LiveFrame>& frames) {
    std::vector<std::string> lines;
    for (const LiveFrame& frame : frames) lines.push_back(Describe(frame));
    return lines;
}

struct StreamCase {
    const char* name;
    QByteArray stream;
    std::vector<std::string> frames;
};

const std::string kChannelsShown = "CH 1000 1100 1300 1200 1400 1500 1600 1700";
const std::string kOutputsShown = "MS 1150 1250 1350 1450 1500 1600 1700 1000";
const std::string kSensorsShown = "SS 1234 567 359 7 113.123456 22.123456";

const StreamCase kStreams[] = {
    {"one receiver frame, third and fourth value swapped", kChannels, {kChannelsShown}},
    {"a round of three frames",
     kChannels + kOutputs + kSensors,
     {kChannelsShown, kOutputsShown, kSensorsShown}},
    {"thirty-five characters are not a frame", kChannels.left(35), {}},
    {"thirty-six characters are", kChannels.left(36), {kChannelsShown}},
    {"two bytes of noise before the first frame", "\x7f!" + kOutputs, {kOutputsShown}},
    {"a frame cut short is passed over",
     kChannels.left(20) + kOutputs + kSensors,
     {kOutputsShown, kSensorsShown}},
    {"zero positions and leading zeros",
     Sensors("0000", "0000", "000", "00", "+000000000", "+00000000") +
         Sensors("0001", "0002", "003", "04", "+003123456", "+02123456"),
     {"SS 0 0 0 0 0.000000 0.000000", "SS 1 2 3 4 3.123456 2.123456"}},
    {"southern, western and odd signs keep their sign",
     Sensors("0000", "0000", "000", "00", "-113123456", "S22123456") +
         Sensors("0000", "0000", "000", "00", "\001001000000", "-00000000"),
     {"SS 0 0 0 0 -113.123456 S22.123456", "SS 0 0 0 0 ?1.000000 0.000000"}},
    {"non-digits end a field's number",
     // Fields "1x00" "12 4" "1300" "x400" "1500" " 160" "1700" "18x0".
     Frame("CHDA", "1x0012 41300x4001500 160170018x0") +
         Sensors("12a4", "ffff", "3x9", "7z", "+11312x456", "+2a123456"),
     {"CH 1 12 0 1300 1500 0 1700 18", "SS 12 0 3 7 113.120000 20.000000"}},
};

std::vector<LiveFrame> FeedInChunks(const QByteArray& stream, qsizetype chunk) {
    LiveDataParser parser;
    std::vector<LiveFrame> frames;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        std::vector<LiveFrame> found = parser.Feed(
            QByteArrayView(stream).sliced(at).first(std::min(chunk, stream.size() - at)));
        frames.insert(frames.end(), found.begin(), found.end());
        EXPECT_LE(parser.Pending().size(), LiveDataParser::kFrameLength);
    }
    return frames;
}

}  // namespace

TEST(LiveDataParser, FramesAreFoundWhereverTheStreamIsSplit) {
    for (const StreamCase& c : kStreams) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(FeedInChunks(c.stream, c.stream.size())), c.frames);
        EXPECT_EQ(Describe(FeedInChunks(c.stream, 1)), c.frames);
        for (qsizetype split = 1; split < c.stream.size(); ++split) {
            LiveDataParser parser;
            std::vector<LiveFrame> frames = parser.Feed(c.stream.first(split));
            const std::vector<LiveFrame> rest = parser.Feed(c.stream.sliced(split));
            frames.insert(frames.end(), rest.begin(), rest.end());
            ASSERT_EQ(Describe(frames), c.frames) << "split at " << split;
        }
    }
}

TEST(LiveDataParser, NoiseDelaysTheFirstFrameUntilItsTrailingBytes) {
    // Without noise a frame is taken at its 36th byte; two bytes of noise before it put its
    // tag out of the last 38 bytes until its own two trailing bytes have come.
    for (const auto& [noise, takenAt] : {std::pair{QByteArray(), 36}, {QByteArray("ab"), 40}}) {
        LiveDataParser parser;
        const QByteArray stream = noise + kChannels;
        int taken = 0;
        for (int i = 0; i < stream.size() && taken == 0; ++i)
            if (!parser.Feed(stream.sliced(i, 1)).empty()) taken = i + 1;
        EXPECT_EQ(taken, takenAt) << noise.size() << " bytes of noise";
    }
}

TEST(LiveDataParser, EndlessGarbageKeepsOneFrameAtMostAndTheNextGoodFrameIsShown) {
    std::mt19937 random(8);
    std::uniform_int_distribution<int> anyByte(0, 255);
    LiveDataParser parser;
    for (int i = 0; i < 200000; ++i) {
        // Tags among the garbage, so that recognition is tried on broken frames too.
        const QByteArray chunk =
            i % 97 == 0 ? QByteArray("SSDA12") : QByteArray(1, char(anyByte(random)));
        parser.Feed(chunk);
        ASSERT_LE(parser.Pending().size(), LiveDataParser::kFrameLength);
    }
    // Whatever came last, a good frame whose predecessor's trailing bytes are in place is
    // recognised by its own end.
    std::vector<LiveFrame> frames = parser.Feed(kChannels + kChannels);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(Describe(frames.back()), kChannelsShown);
}

// ---- Receive mode 10 ----

class LiveModeTest : public DispatcherTest {
protected:
    void SetUp() override {
        EnterMode(RxMode::Live);
        m_listener.onLive = [this](const LiveFrame& frame) { m_frames.push_back(Describe(frame)); };
    }
    std::vector<std::string> m_frames;
};

TEST_F(LiveModeTest, FramesReachTheListenerAndTheChannelValuesInWireOrder) {
    Arrive(kChannels + kOutputs.left(20));
    Arrive(kOutputs.sliced(20) + kSensors);
    EXPECT_EQ(m_frames, (std::vector<std::string>{kChannelsShown, kOutputsShown, kSensorsShown}));
    EXPECT_EQ(m_state.m_nLiveChannels,
              (std::array<int, 16>{1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1150, 1250, 1350,
                                   1450, 1500, 1600, 1700, 1000}));
    EXPECT_TRUE(m_line->Sent().empty());
}

TEST_F(LiveModeTest, ReceiveBufferHoldsOnlyWhatIsNotYetAFrame) {
    for (int i = 0; i < 5000; ++i) Arrive("noise-");
    EXPECT_LE(m_state.m_strRxBuf.size(), LiveDataParser::kFrameLength);
    Arrive(kChannels.left(30));
    // The display start empties buffer and count: the parser starts afresh with them.
    m_state.m_strRxBuf.clear();
    m_state.m_nRxCount = 0;
    Arrive(kOutputs);
    EXPECT_EQ(m_frames, std::vector<std::string>{kOutputsShown});
    // Taken at its 36th byte; its two trailing bytes wait for the next frame.
    EXPECT_EQ(m_state.m_strRxBuf, "\r\n");
    EXPECT_EQ(m_state.m_nRxCount, 2);
}
