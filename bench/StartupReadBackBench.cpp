// The whole start-up read-back of the main window, port open to the last reply, on the real
// serial path (QSerialPort on a pseudo-terminal) against vexa-sim. Paced at 115200 baud the
// line itself sets a floor: 49 exchanges x 13 bytes x 10 bits / 115200 = 55.3 ms; the
// "floor_ratio" counter is the measured time over that floor. Unpaced, the time is the
// program's own cost (and the simulator's) per exchange.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <chrono>

#include "BenchSim.h"
#include "ComPortTable.h"
#include "ControlLookup.h"
#include "LoggingPrompter.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "SerialPortBackend.h"
#include "SteadyClock.h"
#include "VexaDlg.h"

namespace {

constexpr double kFloorMs = 49 * 13 * 10 / 115200.0 * 1000.0;

void RunReadBack(benchmark::State& state, const QStringList& simOptions) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    BenchSim sim(simOptions);
    ComPortTable ports;
    ports.Override(3, sim.Device());
    SteadyClock clock;
    LoggingPrompter prompter;
    CVexaDlg dlg(std::make_unique<SerialPortBackend>(ports), clock, prompter);
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    if (!settled.wait(10000)) {
        state.SkipWithError("the start-up read-back did not finish");
        return;
    }
    auto* refresh = FindControlAs<QPushButton>(&dlg, IDC_REFRESH);
    double totalSeconds = 0;
    for (auto _ : state) {
        settled.clear();
        const auto start = std::chrono::steady_clock::now();
        refresh->click();  // closes and reopens the port, then the whole read-back
        if (!settled.wait(10000)) {
            state.SkipWithError("a read-back did not finish");
            return;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        totalSeconds += elapsed.count();
    }
    const double meanMs = totalSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = meanMs / kFloorMs;
    state.counters["per_exchange_us"] =
        meanMs * 1000.0 / static_cast<double>(kReadBackOrder.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("StartupReadBack/paced115200", RunReadBack, QStringList{})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("StartupReadBack/unpaced", RunReadBack,
                                 QStringList{QStringLiteral("--no-pace")})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
