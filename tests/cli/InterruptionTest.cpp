// Where a stop (Ctrl-C, SIGTERM, SIGHUP) is taken: at the boundary of a write, never after it.
// Each row runs a command on the simulated controller, asks for the stop once a given frame
// has gone out, and checks the frames that went out after that moment, the exit status and
// what the message says.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <functional>

#include "CommandLine.h"
#include "Commands.h"
#include "ForwardingBackend.h"
#include "PortSession.h"
#include "SimBackend.h"
#include "SteadyClock.h"
#include "StopGate.h"

namespace {

using Frames = QList<QByteArray>;

// The line as the controller sees it: every frame that reached it.
class Recorder : public ForwardingBackend {
public:
    using ForwardingBackend::ForwardingBackend;
    void Write(const QByteArray& bytes) override {
        ForwardingBackend::Write(bytes);
        frames << bytes;
        if (afterWrite) afterWrite();
    }

    Frames frames;
    std::function<void()> afterWrite;
};

// When the stop is asked for: once `frame` has gone out `times` times, and `more` frames after
// that.
struct StopPoint {
    QByteArray frame;
    int times = 1;
    int more = 0;

    bool Reached(const Frames& frames) const {
        int seen = 0;
        for (qsizetype i = 0; i < frames.size(); ++i)
            if (frames[i] == frame && ++seen == times) return frames.size() - 1 - i >= more;
        return false;
    }
};

struct Outcome {
    CommandResult result;
    Frames after;  // the frames that went out once the stop was asked for
};

class InterruptionTest : public ::testing::Test {
protected:
    InterruptionTest() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
        QFile image(Path("fw.bin"));
        image.open(QIODevice::WriteOnly);
        image.write(QByteArray(300, '\x5a'));
    }
    ~InterruptionTest() override { qunsetenv("XDG_DATA_HOME"); }

    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QString Backups() const { return m_dir.filePath(QStringLiteral("data/Vexa/backups")); }

    Outcome Command(QStringList arguments, const StopPoint& stop = {},
                    bool resetOnUpgrade = false) {
        for (QString& argument : arguments)
            if (argument.endsWith(QLatin1String(".bin")) ||
                argument.endsWith(QLatin1String(".txt")))
                argument = m_dir.filePath(argument);
        const ParsedCommandLine parsed = ParseCommandLine(arguments);
        EXPECT_EQ(parsed.action, ParsedCommandLine::Action::Run) << parsed.error.toStdString();
        PreparedCommand prepared;
        QString error;
        EXPECT_TRUE(PrepareCommand(parsed.invocation, &prepared, &error)) << error.toStdString();

        SimConfig config;
        // Firmware that comes up with its defaults, on a controller set otherwise.
        config.resetOnUpgrade = resetOnUpgrade;
        if (resetOnUpgrade) config.presets = {{'C', 60}, {'D', 30}};
        auto recorder = std::make_unique<Recorder>(std::make_unique<SimBackend>(config));
        Recorder& line = *recorder;
        std::atomic<bool> stopped = false;
        qsizetype stoppedAt = -1;
        line.afterWrite = [&] {
            if (stopped || stop.frame.isEmpty() || !stop.Reached(line.frames)) return;
            stopped = true;
            stoppedAt = line.frames.size();
        };
        auto gate = std::make_unique<StopGate>(std::move(recorder), [&] { return bool(stopped); });
        StopGate& held = *gate;
        SteadyClock clock;
        PortSession session(std::move(gate), 3, std::chrono::milliseconds(1000), clock);
        held.onRefused = [&session] { session.Interrupt(); };
        session.Open();
        const CommandOutput output{[](const QString&) {},
                                   [](const QString&) { return StdoutWrite{}; }};
        Outcome run;
        run.result = RunControllerCommand(parsed.invocation, prepared, session, output);
        if (!stop.frame.isEmpty()) {
            EXPECT_TRUE(stopped) << "the stop point was never reached";
            run.after = line.frames.mid(stoppedAt < 0 ? line.frames.size() : stoppedAt);
        }
        return run;
    }

    QTemporaryDir m_dir;
};

TEST_F(InterruptionTest, AStopIsTakenBeforeTheNextFrameThatChangesTheController) {
    ASSERT_EQ(Command({"export", "saved.txt"}).result.status, kExitOk);
    const QByteArray lastQuery = "?j\r";  // the read-back's last: the backup is written after it
    const struct {
        const char* what;
        QStringList arguments;
        StopPoint stop;
        bool resetOnUpgrade;
        Frames after;
        int status;
        QStringList says;
    } rows[] = {
        {"a read", {"read"}, {"?C\r"}, false, {}, kExitInterrupted, {"interrupted"}},
        {"reference, during the backup",
         {"reference", "1"},
         {lastQuery},
         false,
         {},
         kExitInterrupted,
         {"interrupted before the reference set was loaded; nothing was sent"}},
        {"reference, once loaded",
         {"reference", "1"},
         {"Sj0001\r"},
         false,
         {},
         kExitInterrupted,
         {"interrupted after reference set 1 was loaded"}},
        {"restore, during the backup",
         {"restore", "saved.txt"},
         {lastQuery},
         false,
         {},
         kExitInterrupted,
         {"interrupted before the restore; nothing was sent"}},
        {"restore, after five values",
         {"restore", "saved.txt"},
         {"Sj0004\r", 1, 5},
         false,
         {},
         kExitInterrupted,
         {"interrupted after 5 of 41 parameters went out", "saved.txt again",
          "vexactl restore " + Backups()}},
        {"restore without a backup",
         {"--no-backup", "restore", "saved.txt"},
         {"Sj0004\r", 1, 3},
         false,
         {},
         kExitInterrupted,
         {"interrupted after 3 of 41 parameters went out"}},
        {"flash, during the backup",
         {"flash", "fw.bin"},
         {lastQuery},
         false,
         {},
         kExitInterrupted,
         {"interrupted before the upload; nothing was sent"}},
        {"flash, during the upload",
         {"flash", "fw.bin"},
         {"UPQZMC\r", 1, 3},
         false,
         {},
         kExitInterrupted,
         {"waits in its boot loader", "run vexactl flash ", "fw.bin again"}},
        {"flash --keep-parameters, during the upload",
         {"flash", "--keep-parameters", "fw.bin"},
         {"UPQZMC\r", 1, 2},
         true,
         {},
         kExitInterrupted,
         {"waits in its boot loader",
          "fw.bin again, then put the parameters back with vexactl "
          "restore " +
              Backups()}},
        {"flash --keep-parameters, after the upload",
         {"flash", "--keep-parameters", "fw.bin"},
         {"?V\r", 2},
         true,
         {},
         kExitInterrupted,
         {"interrupted after the upload",
          "were not put back: put them back with vexactl restore " + Backups()}},
        {"flash --keep-parameters, during the put-back",
         {"flash", "--keep-parameters", "fw.bin"},
         {"Sj0004\r", 1, 2},
         true,
         {},
         kExitInterrupted,
         {"interrupted while the values the new firmware changed were put back",
          "put them back with vexactl restore " + Backups()}},
        {"flash --keep-parameters --no-backup, after the upload",
         {"flash", "--keep-parameters", "--no-backup", "fw.bin"},
         {"?V\r", 2},
         true,
         {},
         kExitInterrupted,
         {"put back the values listed on stdout"}},
        {"set, between two values",
         {"set", "C=50", "D=40"},
         {"SC0050\r"},
         false,
         {},
         kExitInterrupted,
         {"interrupted at D; C written"}},
        {"monitor still stops the stream",
         {"monitor", "--count", "5"},
         {"S~0001\r"},
         false,
         {"S~0000\r"},
         kExitOk,
         {}},
    };
    for (const auto& row : rows) {
        const Outcome run = Command(row.arguments, row.stop, row.resetOnUpgrade);
        EXPECT_EQ(run.after, row.after) << row.what;
        EXPECT_EQ(run.result.status, row.status)
            << row.what << ": " << run.result.error.toStdString();
        for (const QString& part : row.says)
            EXPECT_TRUE(run.result.error.contains(part))
                << row.what << ": " << run.result.error.toStdString() << " lacks "
                << part.toStdString();
    }
}

}  // namespace
