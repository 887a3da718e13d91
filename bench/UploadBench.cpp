// A firmware upload of the largest image (65535 bytes) through the main window on the real
// serial path (QSerialPort on a pseudo-terminal) to vexa-sim paced at 115200 baud, from the
// click on the upgrade button to the success.
//
// The line sets a floor: the tag inquiry and the start word (3 + 12 and 7 + 4 bytes) and 1174
// packets of 64 bytes each way (start, 1171 data, end, confirm), ten bits a byte at 115200
// baud: 13.05 s. "floor_ratio" is the measured time over that floor. "stall_ms" is the longest
// time the window's event loop went without running a 1 ms timer during the upload: how long
// the window could not repaint or take a click.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "BenchSim.h"
#include "ComPortTable.h"
#include "ControlLookup.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "SerialPortBackend.h"
#include "SteadyClock.h"
#include "VexaDlg.h"

namespace {

constexpr qsizetype kImageBytes = 65535;
constexpr double kPackets = 1174;
constexpr double kWireBytes = kPackets * 128 + 3 + 12 + 7 + 4;
constexpr double kFloorSeconds = kWireBytes * 10 / 115200.0;

// Chooses the benchmark's image in every file dialog and answers every message with its default.
class ImagePrompter : public Prompter {
public:
    explicit ImagePrompter(QString path) : m_path(std::move(path)) {}
    PromptAnswer Message(const PromptMessage& message) override { return message.defaultAnswer; }
    std::optional<QString> OpenFile(const FileRequest&) override { return m_path; }
    std::optional<QString> SaveFile(const FileRequest&) override { return std::nullopt; }

private:
    QString m_path;
};

// The longest gap between two runs of a 1 ms timer while it is on.
class StallMeter {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_since.nsecsElapsed());
            m_since.start();
        });
    }
    void Start() {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    double StopMs() {
        m_timer.stop();
        return double(std::max(m_longest, m_since.nsecsElapsed())) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

void RunUpload(benchmark::State& state) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString image = dir.filePath(QStringLiteral("pellar.bin"));
    {
        QFile file(image);
        file.open(QIODevice::WriteOnly);
        QByteArray bytes(kImageBytes, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 31 + 7);
        file.write(bytes);
    }
    BenchSim sim;  // paced at 115200 baud
    ComPortTable ports;
    ports.Override(3, sim.Device());
    SteadyClock clock;
    ImagePrompter prompter(image);
    CVexaDlg dlg(std::make_unique<SerialPortBackend>(ports), clock, prompter);
    dlg.show();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    QSignalSpy ended(&dlg, &CVexaDlg::UpgradeEnded);
    if (!settled.wait(10000)) return state.SkipWithError("the start-up read-back did not finish");
    FindControlAs<QPushButton>(&dlg, IDC_SELECT_FW)->click();
    auto* start = FindControlAs<QPushButton>(&dlg, IDC_START_UPGRADE);
    StallMeter stall;
    double totalSeconds = 0;
    double longestStallMs = 0;
    for (auto _ : state) {
        ended.clear();
        settled.clear();
        stall.Start();
        QElapsedTimer elapsed;
        elapsed.start();
        start->click();
        if (!ended.wait(60000) || !ended.at(0).at(0).toBool())
            return state.SkipWithError("the upload did not succeed");
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        longestStallMs = std::max(longestStallMs, stall.StopMs());
        state.SetIterationTime(seconds);
        totalSeconds += seconds;
        // The new firmware is read back before the next upload.
        if (!settled.wait(10000)) return state.SkipWithError("no read-back after the upload");
    }
    state.counters["floor_ratio"] = totalSeconds / double(state.iterations()) / kFloorSeconds;
    state.counters["stall_ms"] = longestStallMs;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("Upload65535/paced115200", RunUpload)
        ->UseManualTime()
        ->Unit(benchmark::kSecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
