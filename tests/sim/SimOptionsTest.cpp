#include <gtest/gtest.h>

#include <QCommandLineParser>

#include "ControllerSim.h"
#include "SimOptions.h"

namespace {

std::optional<SimConfig> Parse(const QStringList& arguments, QString* error = nullptr) {
    SimOptions options;
    QCommandLineParser parser;
    options.AddTo(parser);
    if (!parser.parse(QStringList{QStringLiteral("vexa-sim")} + arguments)) {
        if (error) *error = parser.errorText();
        return std::nullopt;
    }
    QString readError;
    std::optional<SimConfig> config = options.Read(parser, 115200, &readError);
    if (error) *error = readError;
    return config;
}

TEST(SimOptions, DefaultsArePacedAt115200) {
    const auto config = Parse({});
    ASSERT_TRUE(config);
    EXPECT_EQ(config->paceBaud, 115200);
    EXPECT_EQ(config->firmwareVersion, 1218);
    EXPECT_EQ(config->deviceTag, "QZMC");
    EXPECT_EQ(Parse({"--no-pace"})->paceBaud, 0);
    EXPECT_EQ(Parse({"--baud", "9600"})->paceBaud, 9600);
}

TEST(SimOptions, EveryOptionReachesTheController) {
    const auto config = Parse({"--firmware",
                               "1211",
                               "--tag",
                               "QZEC",
                               "--set",
                               "Q=200",
                               "--set",
                               "==7",
                               "--quiet-sets",
                               "--drop",
                               "?E:1",
                               "--drop",
                               "SC",
                               "--zero",
                               "F:2",
                               "--noise",
                               "2:?G",
                               "--bad-ack",
                               "3",
                               "--drop-packet",
                               "4",
                               "--bad-sum",
                               "--silent-after",
                               "100",
                               "--live-rate",
                               "25",
                               "--byte-by-byte"});
    ASSERT_TRUE(config);
    EXPECT_TRUE(config->byteByByte);
    EXPECT_DOUBLE_EQ(config->liveRateHz, 25.0);

    ControllerSim sim(*config);
    QByteArray out;
    sim.onOutput = [&](const QByteArray& bytes) { out += bytes; };
    auto ask = [&](const QByteArray& frame) {
        out.clear();
        sim.Receive(frame);
        return out;
    };
    EXPECT_EQ(ask("?V\r"), "?V\r=1211\r\n");
    EXPECT_EQ(ask("?W\r").mid(4, 4), "QZEC");
    EXPECT_EQ(ask("?Q\r"), "?Q\r=0200\r\n");
    EXPECT_EQ(ask("?=\r"), "?=\r=0007\r\n");
    EXPECT_EQ(ask("SA0001\r"), "") << "quiet sets";
    EXPECT_EQ(ask("?E\r"), "");
    EXPECT_EQ(ask("?F\r"), "?F\r=0000\r\n");
    EXPECT_EQ(ask("?G\r").size(), 12);
    EXPECT_TRUE(sim.Faults().IsBadAck(3));
    EXPECT_TRUE(sim.Faults().IsPacketDropped(4));
    EXPECT_TRUE(sim.Faults().IsBadSum());
    EXPECT_EQ(sim.Faults().SilentAfter(), 100);
}

TEST(SimOptions, MalformedValuesAreRefusedWithTheOptionNamed) {
    for (const QStringList& bad : {QStringList{"--zero", "E"},
                                   {"--zero", "E:x"},
                                   {"--drop", "?"},
                                   {"--drop", "?E:0"},
                                   {"--noise", "x"},
                                   {"--noise", "2:?"},
                                   {"--tag", "QZ"},
                                   {"--set", "C45"},
                                   {"--set", "C=10000"},
                                   {"--bad-ack", "-1"},
                                   {"--live-rate", "0"},
                                   {"--firmware", "x"}}) {
        QString error;
        EXPECT_FALSE(Parse(bad, &error)) << bad.join(' ').toStdString();
        EXPECT_TRUE(error.contains(bad.first())) << error.toStdString();
    }
}

TEST(SimOptions, TheOldSpellingOfTheFirmwareVersionBecomesFirmware) {
    struct Case {
        QStringList arguments;  // after the program
        QStringList expected;
        bool oldSpelling;
    };
    const Case cases[] = {
        {{"--version", "1211"}, {"--firmware", "1211"}, true},
        {{"--no-pace", "--version=1211"}, {"--no-pace", "--firmware=1211"}, true},
        {{"--version", "--no-pace"}, {"--version", "--no-pace"}, false},  // the program's version
        {{"--", "--version", "1211"}, {"--", "--version", "1211"}, false},
    };
    for (const Case& c : cases) {
        const QStringList program{QStringLiteral("vexa-sim")};
        bool oldSpelling = false;
        EXPECT_EQ(SimOptions::WithFirmwareSpelledOut(program + c.arguments, &oldSpelling),
                  program + c.expected)
            << c.arguments.join(' ').toStdString();
        EXPECT_EQ(oldSpelling, c.oldSpelling) << c.arguments.join(' ').toStdString();
    }
}

}  // namespace
