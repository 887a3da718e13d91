// vexactl read against vexa-sim paced at 115200 baud on a pseudo-terminal. The line itself
// sets a floor: 49 exchanges x 13 bytes x 10 bits / 115200 = 55.3 ms; "floor_ratio" is the
// measured time over that floor.
//   process: the whole program as a user runs it, start to exit (start-up, port open, the
//            read-back, printing);
//   session: the same session vexactl runs, in this process: port open to the last reply.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <chrono>

#include "ComPortTable.h"
#include "ControllerSession.h"
#include "ReadBackChain.h"
#include "SerialPortBackend.h"

namespace {

constexpr double kFloorMs = 49 * 13 * 10 / 115200.0 * 1000.0;

class Simulator {
public:
    Simulator() {
        m_process.start(QStringLiteral(VEXA_SIM_BINARY), QStringList{});
        m_process.waitForStarted(5000);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    const QString& Device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

void Report(benchmark::State& state, double totalSeconds) {
    const double meanMs = totalSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = meanMs / kFloorMs;
}

void Process(benchmark::State& state) {
    Simulator sim;
    double total = 0;
    for (auto _ : state) {
        QProcess vexactl;
        const auto start = std::chrono::steady_clock::now();
        vexactl.start(QStringLiteral(VEXACTL_BINARY),
                      {QStringLiteral("--port"), sim.Device(), QStringLiteral("read")});
        if (!vexactl.waitForFinished(10000) || vexactl.exitCode() != 0) {
            state.SkipWithError("vexactl read failed");
            return;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
    }
    Report(state, total);
}

void Session(benchmark::State& state) {
    Simulator sim;
    ComPortTable ports;
    ports.Override(3, sim.Device());
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ControllerSession session(std::make_unique<SerialPortBackend>(ports), 3,
                                  std::chrono::milliseconds(1000));
        session.Open();
        if (session.ReadBack() != ControllerSession::End::Done) {
            state.SkipWithError("the read-back did not finish");
            return;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
    }
    Report(state, total);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (auto [name, function] :
         {std::pair{"VexactlRead/process", &Process}, std::pair{"VexactlRead/session", &Session}})
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
