// The built vexactl against vexa-sim on pseudo-terminals: results, JSON shapes, exit statuses,
// the bytes the controller received, several ports at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <variant>

#include "LiveCsv.h"
#include "ParamTable.h"
#include "ParameterFileLayout.h"
#include "ParameterFileReader.h"
#include "ReadBackChain.h"
#include "SimLiveStream.h"
#include "SimProcess.h"

namespace {

struct Outcome {
    int status = -1;
    QByteArray raw;  // stdout as it came
    QString out;
    QString err;
    qint64 ms = 0;

    QJsonObject Json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    QStringList Lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

class VexactlTest : public ::testing::Test {
protected:
    // Starts vexactl in the test's own folder (where a port file may be put), with a
    // configuration folder of its own, and waits for it.
    QProcess* Start(const QStringList& arguments) {
        m_process = std::make_unique<QProcess>();
        // The test's environment (language, data folder) with its own configuration folder, so
        // that no port file of the user's is read.
        QProcessEnvironment env = m_env;
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        m_process->setProcessEnvironment(env);
        m_process->setWorkingDirectory(m_dir.path());
        m_process->start(QStringLiteral(VEXACTL_BINARY), arguments);
        m_process->waitForStarted(5000);
        m_clock.start();
        return m_process.get();
    }
    Outcome Finish() {
        Outcome run;
        if (!m_process->waitForFinished(20000)) {
            m_process->kill();
            m_process->waitForFinished();
            return run;
        }
        run.ms = m_clock.elapsed();
        run.status = m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
        run.raw = m_process->readAllStandardOutput();
        run.out = QString::fromUtf8(run.raw);
        run.err = QString::fromUtf8(m_process->readAllStandardError());
        return run;
    }
    Outcome Vexactl(const QStringList& arguments) {
        Start(arguments);
        return Finish();
    }
    // vexactl with COM3 leading to the simulator.
    Outcome On(const SimProcess& sim, const QStringList& arguments) {
        return Vexactl(QStringList{QStringLiteral("--com"), QStringLiteral("3=") + sim.Device()} +
                       arguments);
    }
    QString PortFilePath() const { return m_dir.filePath(QStringLiteral("qzmcconfig.ini")); }

    // A firmware image of `bytes` bytes in the test's folder.
    QString Image(int bytes) {
        const QString path = m_dir.filePath(QStringLiteral("image%1.bin").arg(bytes));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray image(bytes, '\0');
        for (int i = 0; i < bytes; ++i) image[i] = char(i * 13 + 7);
        file.write(image);
        return path;
    }
    // A parameter file exported from a controller that holds the simulator's defaults.
    QString SavedFile() {
        const QString path = m_dir.filePath(QStringLiteral("saved.txt"));
        if (QFile::exists(path)) return path;
        SimProcess sim;
        EXPECT_EQ(On(sim, {QStringLiteral("export"), path}).status, 0);
        return path;
    }

    static QStringList ReadBackFrames() {
        QStringList frames;
        for (char letter : kReadBackOrder)
            frames << QStringLiteral("?%1\\r").arg(QLatin1Char(letter));
        return frames;
    }

    // The parameter names of the text results are checked in Chinese unless a test says
    // otherwise.
    static QProcessEnvironment ChineseEnvironment() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
        return env;
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_env = ChineseEnvironment();
    std::unique_ptr<QProcess> m_process;
    QElapsedTimer m_clock;
};

TEST_F(VexactlTest, InfoReadAndGetPrintWhatTheWindowShows) {
    SimProcess sim({QStringLiteral("--set"), QStringLiteral("Q=200"), QStringLiteral("--zero"),
                    QStringLiteral("E:2")});
    ASSERT_FALSE(sim.Device().isEmpty());

    const Outcome info = On(sim, {QStringLiteral("info")});
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, QStringLiteral("1.218\n"));
    EXPECT_EQ(On(sim, {QStringLiteral("--json"), QStringLiteral("info")}).Json(),
              QJsonObject({{"version", "1.218"}}));

    const Outcome read = On(sim, {QStringLiteral("read"), QStringLiteral("--json")});
    EXPECT_EQ(read.status, 0) << read.err.toStdString();
    const QJsonObject json = read.Json();
    EXPECT_EQ(json.value("version").toString(), QStringLiteral("1.218"));
    const QJsonObject parameters = json.value("parameters").toObject();
    EXPECT_EQ(parameters.size(), 48);
    for (char letter : kReadBackOrder.substr(1))
        EXPECT_TRUE(parameters.value(QString(QLatin1Char(letter))).isDouble()) << letter;
    EXPECT_EQ(parameters.value("Q").toInt(), 20);     // the declination as shown: wire - 180
    EXPECT_EQ(read.out.count(QLatin1Char('\n')), 1);  // one document, one line

    const Outcome text = On(sim, {QStringLiteral("read")});
    EXPECT_EQ(text.Lines().size(), 49);
    EXPECT_TRUE(text.Lines().front().startsWith(QStringLiteral("V  固件版本")));
    EXPECT_TRUE(text.Lines().contains(QStringLiteral("Q  本地磁偏角    20")));

    const Outcome get = On(sim, {QStringLiteral("get"), QStringLiteral("Q"), QStringLiteral("E"),
                                 QStringLiteral("Q")});
    EXPECT_EQ(get.status, 0) << get.err.toStdString();
    EXPECT_EQ(get.Lines(), (QStringList{"Q (本地磁偏角) = 20", "E (动态稳定) = 35"}));

    // The controller heard the version, then the read-back with "?E" asked again for its two
    // zeros, then the read-backs and the get; nothing else.
    QStringList expected{"?V\\r", "?V\\r"};
    QStringList readBack = ReadBackFrames();
    readBack.insert(readBack.indexOf("?E\\r"), 2, "?E\\r");
    expected << readBack << ReadBackFrames() << "?V\\r"
             << "?Q\\r"
             << "?E\\r";
    EXPECT_EQ(sim.ReceivedFrames(), expected);
}

TEST_F(VexactlTest, SetWritesAsTheWindowDoesAndReadsBack) {
    SimProcess sim({QStringLiteral("--set"), QStringLiteral("e=7")});
    ASSERT_FALSE(sim.Device().isEmpty());
    const Outcome set =
        On(sim, {QStringLiteral("set"), QStringLiteral("C=60"), QStringLiteral("Q=-12"),
                 QStringLiteral("A=8"), QStringLiteral("d=3"), QStringLiteral("--json")});
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    // The care-free row loses the positions the heading-lock row now holds: 7 & ~3 = 4.
    EXPECT_EQ(sim.ReceivedFrames(),
              (QStringList{"?V\\r", "?e\\r", "SC0060\\r", "SQ0168\\r", "SA0015\\r", "Sd0003\\r",
                           "Se0004\\r", "?C\\r", "?Q\\r", "?A\\r", "?d\\r", "?e\\r"}));
    const QJsonObject json = set.Json();
    const QJsonObject written{{"C", 60}, {"Q", -12}, {"A", 8}, {"d", 3}, {"e", 4}};
    EXPECT_EQ(json.value("written").toObject(), written);
    EXPECT_EQ(json.value("readBack").toObject(), written);
    EXPECT_EQ(json.value("differences").toArray(), QJsonArray());

    // A controller that echoes no ordinary set: the read-back judges, and stderr says so.
    SimProcess quiet({QStringLiteral("--quiet-sets")});
    ASSERT_FALSE(quiet.Device().isEmpty());
    const Outcome unechoed =
        On(quiet, {QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("set"),
                   QStringLiteral("C=60")});
    EXPECT_EQ(unechoed.status, 0) << unechoed.err.toStdString();
    EXPECT_EQ(quiet.ReceivedFrames(), (QStringList{"?V\\r", "SC0060\\r", "?C\\r"}));
    EXPECT_TRUE(unechoed.err.contains(QLatin1String("not echoed within 300 ms; judged by the read-back")))
        << unechoed.err.toStdString();
}

TEST_F(VexactlTest, RefusedInputSendsNothing) {
    // A saved file with one line shifted: its label no longer matches.
    QFile saved(SavedFile());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = saved.readAll().split('\n');
    lines.swapItemsAt(5, 6);
    const QString shifted = m_dir.filePath(QStringLiteral("shifted.txt"));
    QFile out(shifted);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(lines.join('\n'));
    out.close();

    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    struct Case {
        QStringList arguments;
        const char* says;
    };
    const Case refused[] = {
        {{"set", "C=60", "D=101"}, "D takes 0 to 100"},
        {{"set", "j=1"}, "vexactl reference"},
        {{"get", "C", "W"}, "\"W\""},
        {{"reference", "4"}, "0 to 3"},
        {{"restore", shifted}, "Line 6: the label should be"},
        {{"restore", m_dir.filePath("none.txt")}, "cannot read"},
        {{"flash", Image(1000).replace(".bin", ".BIN")}, "must end in \"bin\""},
        {{"flash", Image(1)}, "2 to 65535 bytes"},
        {{"flash", Image(70000)}, "is too large: a firmware file holds at most 65535 bytes"},
        {{"export", m_dir.filePath("no/such/folder.txt")}, "does not exist"},
    };
    for (const Case& c : refused) {
        const Outcome run = On(sim, c.arguments);
        EXPECT_EQ(run.status, 3) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    }
    EXPECT_EQ(Vexactl({QStringLiteral("--bogus")}).status, 2);
    EXPECT_TRUE(sim.ReceivedFrames().isEmpty());
}

// Letters are echoed with their names (their case changes their meaning); a refused letter
// lists the letters the command takes and the one of the other case; no difference is on stderr.
TEST_F(VexactlTest, LettersAreEchoedWithTheirNamesAndRefusedOnesListTheValidOnes) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    struct Case {
        QStringList arguments;
        const char* lang;
        int status;
        QStringList out;
        const char* says;  // on stderr; empty: nothing
    };
    const Case cases[] = {
        {{"diff", SavedFile()}, "zh_CN.UTF-8", 0, {}, "no difference"},
        {{"set", "c=60", "C=50"},
         "zh_CN.UTF-8", 0, {"c (定高开关行) = 60", "C (主稳定度) = 50"}, ""},
        {{"get", "c"}, "C.UTF-8", 0, {"c (HeightLock switch row) = 60"}, ""},
        {{"set", "k=3"}, "C.UTF-8", 3, {}, "nothing was sent; did you mean K (Gim Pitch Scale)?"},
        {{"set", "X=3"}, "C.UTF-8", 3, {}, "no parameter letter; nothing was sent. set writes CAB"},
    };
    for (const Case& c : cases) {
        m_env.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
        const Outcome run = On(sim, c.arguments);
        const std::string what = c.arguments.join(' ').toStdString() + ": " + run.err.toStdString();
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_EQ(run.Lines(), c.out) << what;
        const bool oneLine = run.err.count(QLatin1Char('\n')) == 1;
        EXPECT_TRUE(*c.says ? oneLine && run.err.contains(QString::fromUtf8(c.says))
                            : run.err.isEmpty()) << what;
    }
}

TEST_F(VexactlTest, ReadBackThatDiffersIsListedWithExitFive) {
    // Up to 1.211 the Z-axis ratio is sent without the offset its read-back removes.
    SimProcess sim({QStringLiteral("--firmware"), QStringLiteral("1211")});
    ASSERT_FALSE(sim.Device().isEmpty());
    const Outcome set =
        On(sim, {QStringLiteral("set"), QStringLiteral("K=20"), QStringLiteral("%=50")});
    EXPECT_EQ(set.status, 5);
    EXPECT_EQ(set.Lines(), (QStringList{"K (云台俯仰比例) = 20",
                                        "% (云台Z轴比例) = -50, differs: 50 was written"}));
    const Outcome json =
        On(sim, {QStringLiteral("--json"), QStringLiteral("set"), QStringLiteral("%=50")});
    EXPECT_EQ(json.Json().value("differences").toArray(),
              QJsonArray({QJsonObject({{"letter", "%"}, {"written", 50}, {"read", -50}})}));
    EXPECT_TRUE(set.err.contains(QLatin1String("differs"))) << set.err.toStdString();
}

TEST_F(VexactlTest, AMissingOrWrongAnswerEndsEveryCommandWithExitFour) {
    const QString saved = SavedFile();
    const QString image = Image(1000);
    struct Case {
        QString fault;  // vexa-sim option
        QStringList arguments;
        QString says;
    };
    const Case cases[] = {
        // A wait never ends before the conversation's own time-out: the read-back asks twice,
        // a second each, the reference set and the restore wait for their echoes 1 s and 2 s.
        {"--drop=?V", {"info"}, "\"?V\" within 300 ms"},
        {"--drop=?E", {"read"}, "\"?E\" within 1000 ms, asked twice"},
        {"--drop=?C", {"get", "C"}, "\"?C\" within 300 ms"},
        {"--drop=Sj", {"reference", "1"}, "\"Sj0001\" within 1000 ms"},
        {"--silent-after=200", {"read"}, "within 1000 ms, asked twice"},
        {"--drop=?E", {"export", m_dir.filePath("x.txt")}, "\"?E\" within 1000 ms, asked twice"},
        {"--drop=SD", {"restore", saved}, "no echo of parameter D"},
        {"--silent-after=0", {"monitor"}, "no live data within 300 ms"},
        {"--bad-sum", {"flash", image}, "checksum"},
        {"--bad-ack=3", {"flash", image}, "answered packet 3 with 3 instead of 4"},
    };
    for (const Case& c : cases) {
        SimProcess sim({c.fault});
        ASSERT_FALSE(sim.Device().isEmpty());
        // The command's own exchange; the backup's read before it has its own test.
        const Outcome run = On(sim, QStringList{QStringLiteral("--no-backup"),
                                                QStringLiteral("--timeout"), QStringLiteral("300")} +
                                        c.arguments);
        EXPECT_EQ(run.status, 4) << c.fault.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_LT(run.ms, 10000) << c.fault.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath("x.txt")));
}

// The same commands against controllers whose answers take the other shapes the protocol
// allows, over the real serial path where the reads cut them anywhere: each command does its
// work; an echo with another value is an answer, and the read-back names the letter.
TEST_F(VexactlTest, EveryAnswerShapeTheProtocolAllowsIsUnderstood) {
    const QString saved = SavedFile();
    const QString image = Image(1000);
    const QStringList set{"set", "C=60"}, reference{"reference", "1"}, restore{"restore", saved},
        flash{"flash", image};
    const struct Row {
        QStringList shape;  // vexa-sim options
        QStringList command;
        int status;
    } rows[] = {
        {{"--line-end=none", "--byte-by-byte"}, set, 0},
        {{"--line-end=none", "--byte-by-byte"}, reference, 0},
        {{"--line-end=none", "--byte-by-byte"}, restore, 0},
        {{"--line-end=crlf", "--byte-by-byte"}, flash, 0},  // the ready word's line end apart
        {{"--line-end=cr"}, restore, 0},
        {{"--quiet-announcement"}, restore, 0},
        {{"--short-reference-echo"}, reference, 0},
        {{"--echo-other=D"}, restore, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE((row.shape + row.command).join(QLatin1Char(' ')).toStdString());
        SimProcess sim(row.shape);
        ASSERT_FALSE(sim.Device().isEmpty());
        const Outcome run = On(sim, QStringList{QStringLiteral("--no-backup")} + row.command);
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        if (row.status == 5) EXPECT_TRUE(run.err.contains(QLatin1String("(D)"))) << run.err.toStdString();
    }
}

TEST_F(VexactlTest, ReferenceSetIsLoadedThenEverythingIsReadBack) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    const Outcome run =
        On(sim, {QStringLiteral("--no-backup"), QStringLiteral("--json"), QStringLiteral("reference"),
                 QStringLiteral("2")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.Json().value("reference").toInt(), 2);
    EXPECT_EQ(run.Json().value("parameters").toObject().value("j").toInt(), 2);
    EXPECT_EQ(sim.ReceivedFrames(), QStringList{"Sj0002\\r"} + ReadBackFrames());
}

TEST_F(VexactlTest, ExportWritesTheWindowsFileAndRestoreWritesItBack) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("QZMC_Data.txt"));
    const QStringList onCom12{QStringLiteral("--com"), QStringLiteral("12=") + sim.Device(),
                              QStringLiteral("--port"), QStringLiteral("COM12")};
    const Outcome exported = Vexactl(onCom12 + QStringList{QStringLiteral("export"), path});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto values = ReadParameterFile(bytes);
    ASSERT_TRUE(std::holds_alternative<ParameterValues>(values));
    EXPECT_EQ(std::get<ParameterValues>(values)[*CacheSlotOf('C')], 45);
    EXPECT_EQ(bytes.count("\r\r\n"), 195);  // 196 lines, the last without an ending
    EXPECT_TRUE(bytes.startsWith(PortLinePrefix() + "12\r\r\n"));
    const Outcome toStdout =
        Vexactl(onCom12 + QStringList{QStringLiteral("export"), QStringLiteral("-")});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.raw, bytes);

    EXPECT_EQ(On(sim, {QStringLiteral("set"), QStringLiteral("C=77")}).status, 0);
    const int before = int(sim.ReceivedFrames().size());
    const Outcome restored = On(sim, {QStringLiteral("--no-backup"), QStringLiteral("--json"),
                                      QStringLiteral("restore"), path});
    EXPECT_EQ(restored.status, 0) << restored.err.toStdString();
    EXPECT_EQ(restored.Json().value("parameters").toObject().value("C").toInt(), 45);
    EXPECT_EQ(restored.Json().value("differences").toArray(), QJsonArray());
    const QStringList frames = sim.ReceivedFrames().mid(before);
    ASSERT_GE(frames.size(), 42);
    EXPECT_EQ(frames.mid(0, 2), (QStringList{"Sj0004\\r", "SC0045\\r"}));
    EXPECT_TRUE(frames[41].startsWith(QLatin1String("SO")));  // the announcement and 41 values
    EXPECT_EQ(frames.mid(42), ReadBackFrames());

    // Firmware up to 1.211 reads the gimbal ratios back 100 lower than they are written: the
    // restore's check compares the read-back in the file's form, so the controller holding
    // exactly the file's values is no difference, for this file and for its own export.
    SimProcess legacy({QStringLiteral("--firmware"), QStringLiteral("1211")});
    const Outcome intoLegacy = On(legacy, {QStringLiteral("restore"), path});
    EXPECT_EQ(intoLegacy.status, 0) << intoLegacy.err.toStdString();
    const QString legacyPath = m_dir.filePath(QStringLiteral("legacy.txt"));
    EXPECT_EQ(On(legacy, {QStringLiteral("export"), legacyPath}).status, 0);
    const Outcome ownExport = On(legacy, {QStringLiteral("restore"), legacyPath});
    EXPECT_EQ(ownExport.status, 0) << ownExport.err.toStdString();
}

TEST_F(VexactlTest, FlashUploadsTheImageThenReadsEverythingBack) {
    SimProcess one, two;
    ASSERT_FALSE(two.Device().isEmpty());
    const QString image = Image(1000);
    const Outcome run =
        Vexactl({QStringLiteral("--port"), one.Device(), QStringLiteral("--port"), two.Device(),
                 QStringLiteral("--no-backup"), QStringLiteral("--json"), QStringLiteral("flash"),
                 image});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonArray ports = run.Json().value("ports").toArray();
    ASSERT_EQ(ports.size(), 2);
    for (const SimProcess* sim : {&one, &two}) {
        // "?W", the start word, start + 18 data + end + confirm packets, then the read-back.
        const QStringList frames = sim->ReceivedFrames();
        ASSERT_EQ(frames.size(), 2 + 21 + 49);
        EXPECT_EQ(frames.mid(0, 2), (QStringList{"?W\\r", "UPQZMC\\r"}));
        EXPECT_TRUE(frames[2].startsWith(QLatin1String("packet type 0xa0 number 1")));
        EXPECT_TRUE(frames[22].startsWith(QLatin1String("packet type 0xa6 number 21")));
        EXPECT_EQ(frames.mid(23), ReadBackFrames());
    }
    const QJsonObject result = ports[0].toObject().value("result").toObject();
    EXPECT_EQ(result.value("bytes").toInt(), 1000);
    EXPECT_EQ(result.value("packets").toInt(), 21);
    EXPECT_EQ(result.value("parameters").toObject().size(), 48);
}

TEST_F(VexactlTest, MonitorPrintsLiveFramesAndAlwaysStopsTheStream) {
    SimProcess sim({QStringLiteral("--live-rate=50")});
    ASSERT_FALSE(sim.Device().isEmpty());
    const Outcome counted = On(sim, {QStringLiteral("--json"), QStringLiteral("monitor"),
                                     QStringLiteral("--count"), QStringLiteral("6")});
    EXPECT_EQ(counted.status, 0) << counted.err.toStdString();
    const QStringList lines = counted.Lines();
    ASSERT_EQ(lines.size(), 6);
    QStringList tags;
    for (const QString& line : lines) {
        const QJsonObject frame = QJsonDocument::fromJson(line.toUtf8()).object();
        tags << frame.value("frame").toString();
        if (frame.value("frame") == "SSDA") {
            for (const char* key : {"ultrasonic", "baro", "heading", "vibration"})
                EXPECT_TRUE(frame.value(key).isDouble()) << key;
            EXPECT_TRUE(frame.value("longitude").toString().contains('.'));
            EXPECT_TRUE(frame.value("latitude").toString().contains('.'));
        } else {
            EXPECT_EQ(frame.value("values").toArray().size(), 8);
        }
    }
    EXPECT_EQ(tags, (QStringList{"CHDA", "MSDA", "SSDA", "CHDA", "MSDA", "SSDA"}));
    EXPECT_EQ(sim.ReceivedFramesAtLeast(2), (QStringList{"S~0001\\r", "S~0000\\r"}));

    // Without a count it runs until interrupted (Ctrl-C, kill, a closed terminal), and still
    // stops the stream.
    qsizetype framesBefore = sim.ReceivedFrames().size();
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        QProcess* process =
            Start({QStringLiteral("--port"), sim.Device(), QStringLiteral("monitor")});
        ASSERT_TRUE(process->waitForReadyRead(5000));
        ::kill(pid_t(process->processId()), signalNumber);
        const Outcome interrupted = Finish();
        EXPECT_EQ(interrupted.status, 0) << signalNumber;
        EXPECT_TRUE(interrupted.out.startsWith(QLatin1String("CHDA "))) << signalNumber;
        EXPECT_EQ(sim.ReceivedFramesAtLeast(framesBefore + 2).mid(framesBefore),
                  (QStringList{"S~0001\\r", "S~0000\\r"}))
            << signalNumber;
        framesBefore = sim.ReceivedFrames().size();
    }
}

TEST_F(VexactlTest, MonitorCsvPrintsAHeaderThenOneLinePerFrame) {
    SimProcess sim({QStringLiteral("--live-rate=50")});
    ASSERT_FALSE(sim.Device().isEmpty());
    const Outcome run = On(sim, {QStringLiteral("monitor"), QStringLiteral("--csv"),
                                 QStringLiteral("--count"), QStringLiteral("4")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.Lines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].toUtf8(), live_csv::Header());
    const QStringList tags{"CHDA", "MSDA", "SSDA", "CHDA"};
    double previous = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList columns = lines[i].split(QLatin1Char(','));
        ASSERT_EQ(columns.size(), 24) << lines[i].toStdString();
        EXPECT_EQ(columns[1], tags[i - 1]);
        const double seconds = columns[0].toDouble();
        EXPECT_GE(seconds, previous);
        EXPECT_LT(seconds, 5.0);
        previous = seconds;
    }
    // The first round of the simulated stream: channel 3 (fourth on the wire) in its place.
    const std::array<int, 8> wire = SimLiveStream::Channels(0);
    const QStringList first = lines[1].split(QLatin1Char(','));
    EXPECT_EQ(first[2 + 2].toInt(), wire[3]);
    EXPECT_EQ(first[2 + 3].toInt(), wire[2]);
    const QStringList sensors = lines[3].split(QLatin1Char(','));
    EXPECT_EQ(sensors[18].toInt(), SimLiveStream::SensorValues(0).ultrasonicMm);
    EXPECT_TRUE(sensors[22].contains(QLatin1Char('.')) && sensors[23].contains(QLatin1Char('.')));
    EXPECT_EQ(sim.ReceivedFramesAtLeast(2), (QStringList{"S~0001\\r", "S~0000\\r"}));
}

TEST_F(VexactlTest, SeveralPortsRunAtOnceAndTheWorstStatusWins) {
    SimProcess good1, good2, dropping({QStringLiteral("--drop=?E")});
    const QStringList devices{good1.Device(), dropping.Device(), good2.Device()};
    QStringList arguments{QStringLiteral("--timeout"), QStringLiteral("300")};
    for (const QString& device : devices) arguments << QStringLiteral("--port") << device;

    const Outcome read = Vexactl(arguments + QStringList{QStringLiteral("read")});
    EXPECT_EQ(read.status, 4);
    for (const SimProcess* sim : {&good1, &good2})
        EXPECT_EQ(sim->ReceivedFrames(), ReadBackFrames());
    for (const QString& device : {good1.Device(), good2.Device()})
        EXPECT_EQ(read.out.count(device + QLatin1String(": ")), 49) << device.toStdString();
    // The summary: a heading and one row per port, in the order given.
    const QStringList lines = read.Lines();
    const QStringList summary = lines.mid(lines.size() - 4);
    EXPECT_TRUE(summary[0].startsWith(QLatin1String("port"))) << summary[0].toStdString();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(summary[i + 1].startsWith(devices[i]));
    EXPECT_TRUE(summary[2].contains(QLatin1String("line fault (4)")));
    EXPECT_TRUE(summary[3].contains(QLatin1String("ok")));
    EXPECT_TRUE(read.err.contains(dropping.Device())) << read.err.toStdString();

    const Outcome info =
        Vexactl(arguments + QStringList{QStringLiteral("--json"), QStringLiteral("info")});
    EXPECT_EQ(info.status, 0);
    const QJsonArray ports = info.Json().value("ports").toArray();
    ASSERT_EQ(ports.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject port = ports[i].toObject();
        EXPECT_EQ(port.value("port").toString(), devices[i]);
        EXPECT_EQ(port.value("status").toInt(), 0);
        EXPECT_EQ(port.value("result").toObject(), QJsonObject({{"version", "1.218"}}));
    }
}

TEST_F(VexactlTest, ThePortFileChoosesThePortAndIsNeverWritten) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    const QStringList toSim{QStringLiteral("--com"), QStringLiteral("12=") + sim.Device()};
    // No port file: COM3 is tried (nothing behind it here), and no file is made.
    const Outcome none = Vexactl(toSim + QStringList{QStringLiteral("info")});
    EXPECT_EQ(none.status, 4);
    EXPECT_TRUE(none.err.contains(QLatin1String("COM3"))) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(PortFilePath()));

    QFile file(PortFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("12", 2);
    file.close();
    const Outcome twelve = Vexactl(toSim + QStringList{QStringLiteral("info")});
    EXPECT_EQ(twelve.status, 0) << twelve.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "12");
}

TEST_F(VexactlTest, PortsTellsWhatEachDeviceIsAndWhoHoldsABusyOne) {
    SimProcess free, held;
    ASSERT_FALSE(held.Device().isEmpty());
    QSerialPort holder(held.Device());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const QStringList coms{QStringLiteral("--com"), QStringLiteral("4=") + free.Device(),
                           QStringLiteral("--com"), QStringLiteral("5=") + held.Device(),
                           QStringLiteral("--com"), QStringLiteral("6=") + m_dir.filePath("none")};
    const Outcome text = Vexactl(coms + QStringList{QStringLiteral("ports")});
    EXPECT_EQ(text.status, 0);
    const QStringList lines = text.Lines();
    ASSERT_EQ(lines.size(), 20);
    EXPECT_TRUE(lines[3].contains(QLatin1String("present")));
    EXPECT_TRUE(lines[4].contains(QLatin1String("busy")));
    EXPECT_TRUE(lines[4].contains(QString::number(QCoreApplication::applicationPid())))
        << lines[4].toStdString();
    EXPECT_TRUE(lines[5].contains(QLatin1String("absent")));

    const QJsonArray json =
        QJsonDocument::fromJson(Vexactl(coms + QStringList{"--json", "ports"}).out.toUtf8())
            .array();
    ASSERT_EQ(json.size(), 20);
    EXPECT_EQ(json[4].toObject(),
              QJsonObject({{"com", 5}, {"device", held.Device()}, {"state", "busy"}}));
}

TEST_F(VexactlTest, InterruptedRunClosesThePortAndEndsAt130) {
    SimProcess sim({QStringLiteral("--silent-after=0")});
    ASSERT_FALSE(sim.Device().isEmpty());
    QProcess* process = Start({QStringLiteral("--port"), sim.Device(), QStringLiteral("--timeout"),
                               QStringLiteral("60000"), QStringLiteral("read")});
    QThread::msleep(300);
    ::kill(pid_t(process->processId()), SIGINT);
    const Outcome run = Finish();
    EXPECT_EQ(run.status, 130);
    // The lock went with the port: the next program may open it.
    QSerialPort next(sim.Device());
    EXPECT_TRUE(next.open(QIODevice::ReadWrite));
}

TEST_F(VexactlTest, DemoReadsEveryParameterWithoutHardware) {
    const Outcome run =
        Vexactl({QStringLiteral("--demo"), QStringLiteral("read"), QStringLiteral("--json")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.Json().value("parameters").toObject().size(), 48);
    EXPECT_TRUE(run.err.isEmpty());  // no terminal: no progress
}

TEST_F(VexactlTest, NamesFollowTheLocaleAndTheJsonKeepsItsShape) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"zh_CN.UTF-8", "V  固件版本", "主稳定度"},
        {"C.UTF-8", "V  FW Version", "Stabili_Level"},
    };
    for (const auto& [lang, firstLine, nameOfC] : cases) {
        m_env.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
        const Outcome text = Vexactl({QStringLiteral("--demo"), QStringLiteral("read")});
        EXPECT_TRUE(text.Lines().value(0).startsWith(QString::fromUtf8(firstLine))) << lang;

        const QJsonObject json =
            Vexactl({QStringLiteral("--demo"), QStringLiteral("read"), QStringLiteral("--json")})
                .Json();
        EXPECT_EQ(json.keys(), (QStringList{"names", "parameters", "texts", "version"}));
        const QJsonObject parameters = json.value("parameters").toObject();
        const QJsonObject names = json.value("names").toObject();
        EXPECT_EQ(names.keys(), parameters.keys());
        EXPECT_EQ(names.value("C").toString(), QString::fromUtf8(nameOfC));
        // The demo's frame type 5 as the window's list shows it.
        const QJsonObject texts = json.value("texts").toObject();
        EXPECT_EQ(texts.keys(), (QStringList{"A", "B", "P", "j"}));
        EXPECT_EQ(texts.value("A").toString(), QStringLiteral("5. QUADX"));
    }
}

TEST_F(VexactlTest, AnAbsentPortIsNamedAsGivenWithWhatToDo) {
    const QString absent = m_dir.filePath(QStringLiteral("ttyUSB-unplugged"));
    const Outcome run = Vexactl({QStringLiteral("--port"), absent, QStringLiteral("info")});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("vexactl: ") + absent + QLatin1String(" is")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("vexactl ports")));
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
}

// A copy of the saved file with one parameter line's value replaced.
QString WithValue(const QString& saved, const QString& dir, int index, const QByteArray& value) {
    QFile in(saved);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = in.readAll().split('\n');
    QByteArray& line = lines[index + 1];
    line = ParameterLabels()[index] + value + "\r\r";
    const QString path = dir + QStringLiteral("/edited%1-%2.txt").arg(index).arg(value.toHex());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return {};
    out.write(lines.join('\n'));
    return path;
}

TEST_F(VexactlTest, DiffListsWhatARestoreWouldChangeAndSendsOnlyTheReadBack) {
    const QString saved = SavedFile();
    struct Case {
        const char* what;
        QString file;
        int status;
        QStringList lines;
    };
    const Case cases[] = {
        {"the file as exported", saved, 0, {}},
        {"a gain",
         WithValue(saved, m_dir.path(), *CacheSlotOf('C'), "0047"),
         5,
         {QStringLiteral("C  主稳定度  45  47")}},
        {"the Z-axis ratio",
         WithValue(saved, m_dir.path(), *CacheSlotOf('%'), "0150"),
         5,
         {QStringLiteral("%  云台Z轴比例  50  150")}},
        {"the frame, which restore does not write",
         WithValue(saved, m_dir.path(), 176, "5100-5000"),
         0,
         {}},
        {"a value out of range", WithValue(saved, m_dir.path(), *CacheSlotOf('C'), "0101"), 3, {}},
    };
    for (const Case& c : cases) {
        SimProcess sim;
        ASSERT_FALSE(sim.Device().isEmpty());
        for (const char* command : {"diff", "dry-run"}) {
            const QStringList arguments =
                QLatin1String(command) == QLatin1String("diff")
                    ? QStringList{QStringLiteral("diff"), c.file}
                    : QStringList{QStringLiteral("restore"), QStringLiteral("--dry-run"), c.file};
            const Outcome run = On(sim, arguments);
            EXPECT_EQ(run.status, c.status) << c.what << ' ' << command << run.err.toStdString();
            EXPECT_EQ(run.Lines(), c.lines) << c.what << ' ' << command;
        }
        const QStringList frames = sim.ReceivedFrames();
        if (c.status == 3) {
            EXPECT_TRUE(frames.isEmpty()) << c.what;
            continue;
        }
        EXPECT_EQ(frames, ReadBackFrames() + ReadBackFrames()) << c.what;
        const Outcome json = On(sim, {QStringLiteral("--json"), QStringLiteral("diff"), c.file});
        EXPECT_EQ(json.Json().value("differences").toArray().size(), c.lines.size()) << c.what;
    }
}

TEST_F(VexactlTest, KeepParametersPutsBackWhatTheNewFirmwareChanged) {
    // The new firmware comes up with the fresh controller's values: C 45, the alarm voltage 330.
    SimProcess sim({QStringLiteral("--reset-on-upgrade"), QStringLiteral("--set"),
                    QStringLiteral("C=50"), QStringLiteral("--set"), QStringLiteral("L=401")});
    ASSERT_FALSE(sim.Device().isEmpty());
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    const QString image = Image(1000);
    const Outcome run = On(sim, {QStringLiteral("--json"), QStringLiteral("flash"),
                                 QStringLiteral("--keep-parameters"), image});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QStringList putBack;
    for (const QJsonValue& entry : run.Json().value("putBack").toArray())
        putBack << QStringLiteral("%1 %2 %3")
                       .arg(entry["letter"].toString())
                       .arg(entry["upgraded"].toInt())
                       .arg(entry["kept"].toInt());
    // 401 is no alarm voltage: it is named, and the nearest one is kept.
    EXPECT_EQ(putBack, (QStringList{"C 45 50", "L 330 280"}));
    EXPECT_TRUE(run.err.contains(QStringLiteral("L (报警电压设置) is 401")))
        << run.err.toStdString();

    const QString folder = m_dir.filePath(QStringLiteral("data/Vexa/backups"));
    const QStringList backups = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(backups[0].endsWith(QLatin1String("_before-upgrade.txt")));
    EXPECT_TRUE(run.err.contains(backups[0])) << run.err.toStdString();
    // The backup was taken before the first byte of the upload.
    const QStringList frames = sim.ReceivedFrames();
    EXPECT_EQ(frames.mid(0, ReadBackFrames().size()), ReadBackFrames());
    EXPECT_EQ(frames.mid(ReadBackFrames().size(), 2), (QStringList{"?W\\r", "UPQZMC\\r"}));
    const Outcome diff = On(sim, {QStringLiteral("diff"), folder + QLatin1Char('/') + backups[0]});
    EXPECT_EQ(diff.status, 0) << diff.out.toStdString();

    // --no-backup: the values are still kept, no file is written.
    const Outcome unsaved = On(sim, {QStringLiteral("--no-backup"), QStringLiteral("flash"),
                                     QStringLiteral("--keep-parameters"), image});
    EXPECT_EQ(unsaved.status, 0) << unsaved.err.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(On(sim, {QStringLiteral("get"), QStringLiteral("C")}).out,
              QStringLiteral("C (主稳定度) = 50\n"));
}

TEST_F(VexactlTest, RestoreReferenceAndFlashBackUpTheControllerBeforeTheirFirstSetFrame) {
    struct Case {
        QStringList arguments;
        const char* action;      // in the backup's name
        const char* firstFrame;  // the command's own first frame
    };
    const QString saved = SavedFile();
    const Case cases[] = {
        {{"restore", saved}, "restore", "Sj0004\\r"},
        {{"reference", "2"}, "reference", "Sj0002\\r"},
        {{"flash", Image(1000)}, "upgrade", "?W\\r"},
    };
    SimProcess sim({QStringLiteral("--set"), QStringLiteral("C=50")});
    ASSERT_FALSE(sim.Device().isEmpty());
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    const QDir folder(m_dir.filePath(QStringLiteral("data/Vexa/backups")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        const QStringList named = {QStringLiteral("*_before-%1.txt").arg(c.action)};
        const qsizetype framesBefore = sim.ReceivedFrames().size();
        const Outcome run = On(sim, c.arguments);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QStringList added = folder.entryList(named, QDir::Files);
        ASSERT_EQ(added.size(), 1);
        EXPECT_TRUE(run.err.contains(added[0])) << run.err.toStdString();
        // The whole read first, then the command's own frames.
        const QStringList frames = sim.ReceivedFrames().mid(framesBefore);
        EXPECT_EQ(frames.mid(0, ReadBackFrames().size()), ReadBackFrames());
        EXPECT_EQ(frames.value(ReadBackFrames().size()), QLatin1String(c.firstFrame));

        // --no-backup: neither the read nor the file.
        const qsizetype framesNow = sim.ReceivedFrames().size();
        EXPECT_EQ(On(sim, QStringList{QStringLiteral("--no-backup")} + c.arguments).status, 0);
        EXPECT_EQ(sim.ReceivedFrames().value(framesNow), QLatin1String(c.firstFrame));
        EXPECT_EQ(folder.entryList(named, QDir::Files).size(), 1);
    }
}

// A backup that cannot be written stops the command after the read, before its first set frame
// (exit 4); --no-backup goes ahead without one and writes nothing through the link.
TEST_F(VexactlTest, AnUnwritableBackupStopsTheCommandBeforeItsFirstSetFrame) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    const QString folder = m_dir.filePath(QStringLiteral("data/Vexa/backups"));
    const QString image = Image(1000);
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("data/Vexa"))));
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("nowhere")), folder));  // dangling
    const QStringList commands[] = {{"flash", "--keep-parameters", image}, {"reference", "1"}};
    for (const QStringList& command : commands) {
        const qsizetype before = sim.ReceivedFrames().size();
        const Outcome run = On(sim, command);
        EXPECT_EQ(run.status, 4) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("--no-backup"))) << run.err.toStdString();
        EXPECT_EQ(sim.ReceivedFrames().mid(before), ReadBackFrames());
    }
    EXPECT_EQ(On(sim, QStringList{"--no-backup"} + commands[0]).status, 0);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("nowhere"))));
}

// The put-back cut off with no backup file: the values not put back are printed.
TEST_F(VexactlTest, ACutOffPutBackWithoutABackupPrintsTheValuesNotPutBack) {
    SimProcess sim({QStringLiteral("--reset-on-upgrade"), QStringLiteral("--set"),
                    QStringLiteral("C=50"), QStringLiteral("--drop=SC")});
    ASSERT_FALSE(sim.Device().isEmpty());
    m_env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    const Outcome run = On(sim, {"--no-backup", "flash", "--keep-parameters", Image(1000)});
    EXPECT_EQ(run.status, 4) << run.err.toStdString();
    const QStringList lines = run.Lines();
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith(QLatin1String("  C  ")) &&
                lines[1].endsWith(QLatin1String("  50"))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("listed on stdout"))) << run.err.toStdString();
}

}  // namespace
