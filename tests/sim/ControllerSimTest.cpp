#include <gtest/gtest.h>

#include <QRegularExpression>
#include <random>

#include "SimHarness.h"

namespace {

// The letters the tool reads back after "?V", in its order, and the frame-geometry letters.
const QByteArray kReadBackLetters = "CABDEFG!@#$HIJK%^&()_+LRT`YZQ4567MNOPabcdef=ghij";
const QByteArray kFrameLetters = "klmnopqrstuvwxyz";

int ValueOf(const QByteArray& reply) { return reply.mid(4, 4).toInt(); }

TEST(ControllerSimQuery, EveryReadBackReplyIsTenBytesWithEchoAndNonZeroDigits) {
    SimHarness h;
    for (char letter : kReadBackLetters + kFrameLetters) {
        const QByteArray query = QByteArray("?") + letter + "\r";
        const QByteArray reply = h.Ask(query);
        ASSERT_EQ(reply.size(), 10) << letter;
        EXPECT_EQ(reply.left(3), query);
        EXPECT_TRUE(
            QRegularExpression("^\\d{4}$").match(QString::fromLatin1(reply.mid(4, 4))).hasMatch());
        EXPECT_EQ(reply.right(2), "\r\n");
        // Zero would make the tool ask again; the fresh controller has none in its chains.
        EXPECT_NE(ValueOf(reply), 0) << letter;
    }
}

TEST(ControllerSimQuery, VersionAndBelievableDefaults) {
    SimConfig config;
    config.firmwareVersion = 1211;
    SimHarness h(config);
    EXPECT_EQ(h.Ask("?V\r"), "?V\r=1211\r\n");
    EXPECT_EQ(ValueOf(h.Ask("?A\r")), 5);    // quad X
    EXPECT_EQ(ValueOf(h.Ask("?Q\r")), 180);  // declination 0
    EXPECT_EQ(ValueOf(h.Ask("?^\r")), 100);  // servo centre 0
    EXPECT_EQ(ValueOf(h.Ask("?L\r")), 330);
    for (char gain : QByteArray("CDEFGYZRT`")) {
        const int v = ValueOf(h.Ask(QByteArray("?") + gain + "\r"));
        EXPECT_GE(v, 25);
        EXPECT_LE(v, 60);
    }
}

TEST(ControllerSimSet, StoresAndEchoesEightBytes) {
    SimHarness h;
    EXPECT_EQ(h.Ask("SC0057\r"), "SC0057\r\n");
    EXPECT_EQ(h.Ask("?C\r"), "?C\r=0057\r\n");
    EXPECT_EQ(h.Ask("S`0012\r"), "S`0012\r\n");
    EXPECT_EQ(ValueOf(h.Ask("?`\r")), 12);
    EXPECT_EQ(h.Ask("Sy9999\r"), "Sy9999\r\n");
    EXPECT_EQ(ValueOf(h.Ask("?y\r")), 9999);
}

TEST(ControllerSimSet, StoredTextFormIsReadLenientlyAndEchoedInFull) {
    SimHarness h;
    EXPECT_EQ(h.Ask("SD45\r"), "SD0045\r\n");
    EXPECT_EQ(ValueOf(h.Ask("?D\r")), 45);
    EXPECT_EQ(h.Ask("SE 7\r"), "SE0007\r\n");
    EXPECT_EQ(h.Ask("SF\r"), "SF0000\r\n");
    EXPECT_EQ(h.Ask("SL330x\r"), "SL0330\r\n");
    EXPECT_EQ(h.Ask("SG12345\r"), "SG2345\r\n");
    // A stored text that kept its own line end: the second "\r" is an empty frame.
    EXPECT_EQ(h.Ask("SR50\r\r"), "SR0050\r\n");
}

TEST(ControllerSimSet, QuietSetsEchoOnlyReferenceSetLoads) {
    SimConfig config;
    config.quietSets = true;
    SimHarness h(config);
    EXPECT_EQ(h.Ask("SC0057\r"), "");
    EXPECT_EQ(ValueOf(h.Ask("?C\r")), 57);
    EXPECT_EQ(h.Ask("Sj0004\r"), "");
    EXPECT_EQ(h.Ask("Sj0001\r"), "Sj0001\r\n");
}

TEST(ControllerSimReferenceSet, LoadsGainsByFrameSizeAndEchoes) {
    SimHarness h;
    h.Ask("SC0099\r");
    h.Ask("S40500\r");
    std::vector<int> mainGain;
    for (int set = 0; set < 4; ++set) {
        const QByteArray select = "Sj000" + QByteArray::number(set) + "\r";
        const QByteArray echo = h.Ask(select);
        EXPECT_GT(echo.size(), 4);
        EXPECT_TRUE(echo.startsWith("Sj0"));
        EXPECT_EQ(ValueOf(h.Ask("?j\r")), set);
        mainGain.push_back(ValueOf(h.Ask("?C\r")));
        EXPECT_EQ(ValueOf(h.Ask("?4\r")), 500) << "calibration survives a reference set";
    }
    EXPECT_TRUE(std::is_sorted(mainGain.begin(), mainGain.end()));
    EXPECT_LT(mainGain.front(), mainGain.back());

    // Set 4 means "from a saved file": echoed, nothing loaded.
    h.Ask("SC0077\r");
    EXPECT_EQ(h.Ask("Sj0004\r"), "Sj0004\r\n");
    EXPECT_EQ(ValueOf(h.Ask("?C\r")), 77);
    EXPECT_EQ(ValueOf(h.Ask("?j\r")), 4);
}

TEST(ControllerSimInput, AnyChunkingGivesTheSameAnswers) {
    const QByteArray script = "?V\r?C\rSC0045\rSD45\rSj0002\r?C\r?W\r?k\rS~0000\r?Q\r";
    SimHarness whole;
    const QByteArray expected = whole.Ask(script);
    ASSERT_EQ(expected.size(), 10 + 10 + 8 + 8 + 8 + 10 + 12 + 10 + 8 + 10);

    std::mt19937 random(7);
    for (int run = 0; run < 50; ++run) {
        SimHarness chunked;
        QByteArray answer;
        for (qsizetype at = 0; at < script.size();) {
            const qsizetype n = std::min<qsizetype>(script.size() - at, 1 + random() % 6);
            answer += chunked.Ask(script.mid(at, n));
            at += n;
        }
        EXPECT_EQ(answer, expected) << "run " << run;
    }
}

TEST(ControllerSimInput, JunkBeforeAFrameAndStrayLineFeedsAreIgnored) {
    SimHarness h;
    EXPECT_EQ(h.Ask("\n\x01zz?V\r"), "?V\r=1218\r\n");
    EXPECT_EQ(h.Ask("\r\n\rxSC0033\r"), "SC0033\r\n");
    EXPECT_EQ(h.Ask("garbage\r"), "");
    EXPECT_EQ(h.Ask(QByteArray(500, 'x') + "?V\r"), "?V\r=1218\r\n");
}

TEST(ControllerSimInput, RandomBytesNeverBreakTheController) {
    SimHarness h;
    std::mt19937 random(11);
    const QByteArray alphabet = QByteArray("?SU~jVW\r\nQZMCP0123456789") + '\xA0' + '\xA5' + '\xC8';
    for (int run = 0; run < 2000; ++run) {
        QByteArray chunk;
        for (int i = 0, n = 1 + random() % 80; i < n; ++i)
            chunk += random() % 2 ? alphabet[random() % alphabet.size()] : char(random());
        if (run % 100 == 0) chunk += "UPQZMC\r";
        h.sim.Receive(chunk);
        h.sim.TickLive();
    }
    h.sim.PowerCycle();
    EXPECT_EQ(h.Ask("?V\r"), "?V\r=1218\r\n");
}

TEST(ControllerSimLive, FramesHaveTheirLayoutAndValuesMove) {
    SimHarness h;
    h.sim.TickLive();
    EXPECT_TRUE(h.sent.empty()) << "no stream before it is switched on";
    EXPECT_EQ(h.Ask("S~0001\r"), "S~0001\r\n");
    ASSERT_TRUE(h.sim.LiveOn());

    const QRegularExpression channels("^(CHDA|MSDA)(\\d{4}){8}\r\n$");
    const QRegularExpression sensors(
        "^SSDA\\d{4}\\d{4}(\\d{3})(\\d{2})([+-]\\d{9})([+-]\\d{8})\r\n$");
    QByteArray previous;
    for (int round = 0; round < 40; ++round) {
        h.sent.clear();
        h.sim.TickLive();
        ASSERT_EQ(h.sent.size(), 3u);
        for (const QByteArray& frame : h.sent) ASSERT_EQ(frame.size(), 38);
        EXPECT_TRUE(h.sent[0].startsWith("CHDA"));
        EXPECT_TRUE(h.sent[1].startsWith("MSDA"));
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(channels.match(QString::fromLatin1(h.sent[i])).hasMatch())
                << h.sent[i].data();
            for (int f = 0; f < 8; ++f) {
                const int v = h.sent[i].mid(4 + 4 * f, 4).toInt();
                EXPECT_GE(v, 1000);
                EXPECT_LE(v, 2000);
            }
        }
        const auto m = sensors.match(QString::fromLatin1(h.sent[2]));
        ASSERT_TRUE(m.hasMatch()) << h.sent[2].data();
        EXPECT_LT(m.captured(1).toInt(), 360);
        EXPECT_TRUE(m.captured(3).startsWith(QStringLiteral("+113")));
        EXPECT_TRUE(m.captured(4).startsWith(QStringLiteral("+22")));
        const QByteArray round3 = h.sent[0] + h.sent[1] + h.sent[2];
        EXPECT_NE(round3, previous);
        previous = round3;
    }
    EXPECT_EQ(h.Ask("S~0000\r"), "S~0000\r\n");
    h.sent.clear();
    h.sim.TickLive();
    EXPECT_TRUE(h.sent.empty());
}

TEST(ControllerSimLive, LiveChangesAreReportedOnce) {
    SimHarness h;
    std::vector<bool> changes;
    h.sim.onLiveChanged = [&](bool on) { changes.push_back(on); };
    h.Ask("S~0001\rS~0001\rS~0000\r");
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

}  // namespace
