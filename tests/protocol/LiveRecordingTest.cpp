// The recording of the live display and its CSV form: columns in the page's channel order, the
// position texts, the time column, the 30-minute bound.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "FakeClock.h"
#include "LiveCsv.h"
#include "LiveDataParser.h"
#include "LiveRecording.h"

namespace {

using namespace std::chrono_literals;

LiveFrame Parsed(const QByteArray& tagAndFields) {
    const std::optional<LiveFrame> frame = LiveDataParser::ParseFrame(tagAndFields + "\r\n");
    EXPECT_TRUE(frame.has_value()) << tagAndFields.constData();
    return frame.value_or(LiveFrame{});
}

const QByteArray kHeader =
    "time_s,frame,CH1,CH2,CH3,CH4,CH5,CH6,CH7,CH8,M/S1,M/S2,M/S3,M/S4,M/S5,M/S6,M/S7,M/S8,"
    "ultrasonic_mm,baro_dm,heading_deg,vibration,longitude,latitude";

TEST(LiveCsv, EachFrameFillsItsOwnColumnsWithTheChannelsInThePagesOrder) {
    struct Case {
        const char* what;
        std::chrono::milliseconds at;
        QByteArray wire;
        QByteArray line;
    };
    const Case cases[] = {
        {"third value on the wire is CH4", 0ms, "CHDA10001100120013001400150016001700",
         "0.000,CHDA,1000,1100,1300,1200,1400,1500,1600,1700,,,,,,,,,,,,,,"},
        {"outputs in wire order", 1005ms, "MSDA11501250135014501500160017001000",
         "1.005,MSDA,,,,,,,,,1150,1250,1350,1450,1500,1600,1700,1000,,,,,,"},
        {"sensors and positions", 61250ms, "SSDA1234056735907+113123456+22123456",
         "61.250,SSDA,,,,,,,,,,,,,,,,,1234,567,359,7,113.123456,22.123456"},
        {"southern, western, zero", 1800000ms, "SSDA0000000000000-003123456+00000000",
         "1800.000,SSDA,,,,,,,,,,,,,,,,,0,0,0,0,-3.123456,0.000000"},
        {"a comma for a sign is quoted", 7ms, "SSDA0000000000000,113123456\"22123456",
         "0.007,SSDA,,,,,,,,,,,,,,,,,0,0,0,0,\",113.123456\",\"\"\"22.123456\""},
    };
    EXPECT_EQ(live_csv::Header(), kHeader);
    for (const Case& c : cases) EXPECT_EQ(live_csv::Line(c.at, Parsed(c.wire)), c.line) << c.what;
}

class LiveRecordingTest : public ::testing::Test {
protected:
    void AddEvery(std::chrono::milliseconds step, int frames) {
        for (int i = 0; i < frames; ++i) {
            m_recording.Add(m_channels);
            m_clock.Advance(step);
        }
    }

    FakeClock m_clock;
    LiveRecording m_recording{m_clock};
    LiveFrame m_channels = Parsed("CHDA10001100120013001400150016001700");
};

TEST_F(LiveRecordingTest, WritesEveryFrameWithItsTimeSinceTheDisplayStarted) {
    const LiveFrame frames[] = {m_channels, Parsed("MSDA11501250135014501500160017001000"),
                                Parsed("SSDA1234056735907-113123456+22123456")};
    m_clock.Advance(5s);  // before the display started: not counted
    m_recording.Start();
    QByteArray expected = kHeader + '\n';
    for (int i = 0; i < 3; ++i) {
        m_clock.Advance(40ms);
        m_recording.Add(frames[i]);
        expected += live_csv::Line(std::chrono::milliseconds(40 * (i + 1)), frames[i]) + '\n';
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(live_csv::Write(m_recording, buffer));
    EXPECT_EQ(buffer.data(), expected);

    // A new start forgets the frames and counts from zero again.
    m_recording.Start();
    m_recording.Add(m_channels);
    EXPECT_EQ(m_recording.Size(), 1);
    EXPECT_EQ(m_recording.At(0).At(), 0ms);
}

TEST_F(LiveRecordingTest, KeepsTheLastThirtyMinutesAndSaysWhenItRolledOver) {
    m_recording.Start();
    AddEvery(1s, 30 * 60 + 1);  // frames at 0 s ... 1800 s: exactly 30 minutes
    EXPECT_FALSE(m_recording.RolledOver());
    EXPECT_EQ(m_recording.Size(), 1801);

    AddEvery(1s, 10);
    EXPECT_TRUE(m_recording.RolledOver());
    EXPECT_EQ(m_recording.Size(), 1801);
    EXPECT_EQ(m_recording.At(0).At(), 10s);
    EXPECT_EQ(m_recording.Added(), 1811u);
    EXPECT_EQ(m_recording.FirstAtOrAfter(100500ms), 91);
    EXPECT_EQ(m_recording.LatestOf(LiveFrame::Kind::Receiver), 1800);
    EXPECT_EQ(m_recording.LatestOf(LiveFrame::Kind::Sensors), -1);

    // An output frame that has rolled out is no longer the latest of its kind.
    m_recording.Start();
    m_recording.Add(Parsed("MSDA11501250135014501500160017001000"));
    m_clock.Advance(1s);
    AddEvery(1s, 30 * 60 + 1);
    EXPECT_EQ(m_recording.LatestOf(LiveFrame::Kind::Outputs), -1);
    EXPECT_TRUE(m_recording.RolledOver());
}

TEST_F(LiveRecordingTest, SaveWritesAllOrNothing) {
    QTemporaryDir dir;
    m_recording.Add(m_channels);
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    QString error;
    ASSERT_TRUE(live_csv::Save(m_recording, path, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 2);

    EXPECT_FALSE(
        live_csv::Save(m_recording, dir.filePath(QStringLiteral("no/such/dir.csv")), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
