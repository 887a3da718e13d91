// The restore of a complete parameter file, from the file's bytes to the last echo ("?V\r" out),
// on the real serial path (QSerialPort on a pseudo-terminal) against vexa-sim. Paced at 115200
// baud the floor is the controller's 50 ms after each of the 41 values plus the line time of
// every byte exchanged: 42 links (the announcement and 41 values) of 7 bytes out and an 8-byte
// echo back, and the closing "?V\r". The "floor_ratio" counter is the measured time over it.
// The core runs as the command line drives it: serial control, session, restore; no window.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "BenchSim.h"
#include "BulkWriteChain.h"
#include "CMSComm.h"
#include "ComPortTable.h"
#include "ControllerSession.h"
#include "ISessionListener.h"
#include "ParameterExport.h"
#include "ParameterRestore.h"
#include "ProtocolState.h"
#include "SerialPortBackend.h"
#include "SteadyClock.h"

namespace {

constexpr int kLinks = int(kBulkWriteOrder.size()) + 1;
constexpr double kLineBytes = kLinks * (7 + 8) + 3;
constexpr double kFloorMs = kBulkWriteOrder.size() * 50.0 + kLineBytes * 10 / 115200.0 * 1000.0;

// A parameter set every check accepts: list entries, gains, gimbal and alarm values in range.
QByteArray CompleteFile() {
    std::array<int, ProtocolState::kCacheSlots> cache{};
    cache.fill(45);
    cache[0] = 5;
    cache[1] = 4;
    cache[2] = 1;
    cache[26] = 330;
    cache[190] = 5;
    for (int slot = 27; slot < 175; ++slot) cache[slot] = slot % 3 == 0 ? 1 : 0;
    return ParameterFileBytes(cache, 3);
}

// The controller session's restore; a wait ends when the restore has finished or the read-back
// after it has.
class Driver : public ISessionListener {
public:
    explicit Driver(const QString& device)
        : m_ports(Ports(device)),
          m_session(std::make_unique<SerialPortBackend>(m_ports), m_clock, *this) {
        m_session.ChoosePort(3);
        m_session.OpenPort();
        m_session.PrepareLine();
        m_session.WhenBytesArrive(nullptr, [this] { m_session.OnComm(); });
    }

    // Runs the event loop until `done` is set or ten seconds pass; false on time-out.
    bool RunUntil(bool& done) {
        QEventLoop loop;
        m_quit = [&loop] { loop.quit(); };
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        if (!done) loop.exec();
        m_quit = nullptr;
        return done;
    }

    bool Restore(const ParameterValues& values) {
        m_bFinished = false;
        m_bReadBack = false;
        m_session.Restore(values);
        return RunUntil(m_bFinished);
    }
    bool AwaitReadBack() { return RunUntil(m_bReadBack); }
    bool Stopped() const { return m_bStopped; }

    void OnFirmwareVersion(int) override {}
    void OnChainEnded(const ChainEnd& end) override {
        if (end.chain == Chain::ReadBack && end.result == ChainResult::Done) Done(m_bReadBack);
        if (end.chain != Chain::Restore) return;
        if (end.result == ChainResult::Done) return Done(m_bFinished);
        m_bStopped = true;
        if (m_quit) m_quit();
    }

private:
    static ComPortTable Ports(const QString& device) {
        ComPortTable ports;
        ports.Override(3, device);
        return ports;
    }
    void Done(bool& flag) {
        flag = true;
        if (m_quit) m_quit();
    }

    SteadyClock m_clock;
    ComPortTable m_ports;
    CControllerSession m_session;
    std::function<void()> m_quit;
    bool m_bFinished = false;
    bool m_bReadBack = false;
    bool m_bStopped = false;
};

void RunRestore(benchmark::State& state, const QStringList& simOptions) {
    BenchSim sim(simOptions);
    Driver driver(sim.Device());
    const QByteArray file = CompleteFile();
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto read = ReadParameterFile(file);
        if (!std::holds_alternative<ParameterValues>(read) ||
            !driver.Restore(std::get<ParameterValues>(read))) {
            state.SkipWithError(driver.Stopped() ? "the restore stopped" : "no end of restore");
            return;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        totalSeconds += elapsed.count();
        // The read-back the restore ends with runs before the next restore; it is not timed.
        if (!driver.AwaitReadBack()) {
            state.SkipWithError("the read-back after the restore did not finish");
            return;
        }
    }
    const double meanMs = totalSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["floor_ms"] = kFloorMs;
    state.counters["floor_ratio"] = meanMs / kFloorMs;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::RegisterBenchmark("Restore/paced115200", RunRestore, QStringList{})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("Restore/unpaced", RunRestore,
                                 QStringList{QStringLiteral("--no-pace")})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
