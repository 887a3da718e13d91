// vexactl against vexa-sim paced at 115200 baud on a pseudo-terminal; "floor_ratio" is the
// measured time over the time the line itself needs for the bytes exchanged.
//   read/process: the whole program as a user runs it, start to exit (start-up, port open, the
//            read-back, printing). Floor: 49 exchanges x 13 bytes x 10 bits / 115200 = 55.3 ms.
//            "start_ms" is what a run of "vexactl --version" takes beside it.
//   read/session: the same session vexactl runs, in this process: port open to the last reply.
//   flash/process: vexactl flash of a 65535-byte image, start to exit. Floor: the tag inquiry
//            and the start word (3 + 12 and 7 + 4 bytes), 1174 packets of 64 bytes each way
//            (start, 1171 data, end, confirm) and the read-back after it: 13.11 s.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>

#include "BenchSim.h"
#include "ComPortTable.h"
#include "PortSession.h"
#include "SteadyClock.h"
#include "ReadBackChain.h"
#include "SerialPortBackend.h"

namespace {

constexpr double kReadFloorMs = 49 * 13 * 10 / 115200.0 * 1000.0;
constexpr qsizetype kImageBytes = 65535;
constexpr double kFlashFloorMs =
    (1174 * 128 + 3 + 12 + 7 + 4) * 10 / 115200.0 * 1000.0 + kReadFloorMs;

void Report(benchmark::State& state, double totalSeconds, double floorMs) {
    const double meanMs = totalSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = meanMs / floorMs;
}

// Runs vexactl with these arguments against a fresh simulator, once per iteration.
// Seconds one vexactl run with these arguments takes, start to exit; negative when it fails.
double TimeRun(const QStringList& arguments) {
    QProcess vexactl;
    const auto start = std::chrono::steady_clock::now();
    vexactl.start(QStringLiteral(VEXACTL_BINARY), arguments);
    if (!vexactl.waitForFinished(60000) || vexactl.exitCode() != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs vexactl with these arguments against a simulator, once per iteration. Beside it, in
// turn, "vexactl --version": what starting and ending the program costs ("start_ms").
void Process(benchmark::State& state, const QStringList& arguments, double floorMs) {
    BenchSim sim;
    double total = 0;
    double starting = 0;
    for (auto _ : state) {
        const double version = TimeRun({QStringLiteral("--version")});
        const double seconds =
            TimeRun(QStringList{QStringLiteral("--port"), sim.Device()} + arguments);
        if (seconds < 0 || version < 0) return state.SkipWithError("vexactl failed");
        state.SetIterationTime(seconds);
        total += seconds;
        starting += version;
    }
    Report(state, total, floorMs);
    state.counters["start_ms"] = starting * 1000.0 / static_cast<double>(state.iterations());
}

void ReadProcess(benchmark::State& state) {
    Process(state, {QStringLiteral("read")}, kReadFloorMs);
}

void FlashProcess(benchmark::State& state) {
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("image.bin"));
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write the image");
    QByteArray bytes(kImageBytes, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7 + 3) & 0xFF);
    file.write(bytes);
    file.close();
    Process(state, {QStringLiteral("--quiet"), QStringLiteral("--no-backup"), QStringLiteral("flash"), image},
            kFlashFloorMs);
}

void Session(benchmark::State& state) {
    BenchSim sim;
    ComPortTable ports;
    ports.Override(3, sim.Device());
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SteadyClock clock;
        PortSession session(std::make_unique<SerialPortBackend>(ports), 3,
                            std::chrono::milliseconds(1000), clock);
        session.Open();
        if (session.ReadBack() != PortSession::End::Done) {
            state.SkipWithError("the read-back did not finish");
            return;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
    }
    Report(state, total, kReadFloorMs);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (auto [name, function] : {std::pair{"VexactlRead/process", &ReadProcess},
                                  std::pair{"VexactlRead/session", &Session}})
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    benchmark::RegisterBenchmark("VexactlFlash/process", &FlashProcess)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
