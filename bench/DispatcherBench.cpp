// The receive dispatcher walking the whole read-back chain against the in-memory line: every
// query is answered with a ten-byte reply, delivered as one receive event.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <chrono>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "IClock.h"
#include "IProtocolListener.h"
#include "MemoryLine.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"
#include "ReceiveDispatcher.h"

namespace {

// The read-back has no waits; time stamps are all the line needs.
class StillClock : public IClock {
public:
    std::chrono::nanoseconds Now() const override { return {}; }
    void Wait(std::chrono::milliseconds) override {}
    int StartTimer(std::chrono::milliseconds, std::function<void()>) override { return 0; }
    void CancelTimer(int) override {}
};

// What the main window does with a value, reduced to keeping it.
class SinkListener : public IProtocolListener {
public:
    void OnValueRead(char letter, int shown) override { m_nLast = letter + shown; }
    void OnFirmwareVersion(int version) override { m_nLast = version; }
    void OnReadBackFinished() override { ++m_nFinished; }
    int m_nLast = 0;
    int m_nFinished = 0;
};

void BM_ReadBackChain(benchmark::State& bench) {
    StillClock clock;
    auto backend = std::make_unique<MemoryLine>(clock);
    MemoryLine& line = *backend;
    CMSComm comm(std::move(backend));
    comm.SetInputMode(CMSComm::comInputModeBinary);
    comm.SetRThreshold(1);
    comm.SetPortOpen(true);
    ProtocolState state;
    SinkListener listener;
    CReceiveDispatcher dispatcher(state, comm, clock, listener);
    QObject::connect(&comm, &CMSComm::OnComm, [&] { dispatcher.OnComm(); });

    // The controller answers each query; the answer is delivered after the write returns.
    std::optional<QByteArray> answer;
    line.onWritten = [&](const QByteArray& query) {
        if (query.size() == 3 && query[0] == '?') answer = query + " 0050\r\n";
    };

    int64_t replies = 0;
    for (auto _ : bench) {
        line.ClearSent();
        dispatcher.StartReadBack();
        while (answer) {
            const QByteArray reply = *std::exchange(answer, std::nullopt);
            line.Inject(reply);
            ++replies;
        }
    }
    if (listener.m_nFinished != bench.iterations()) bench.SkipWithError("read-back did not finish");
    bench.counters["replies"] = benchmark::Counter(double(replies));
    bench.counters["ns_per_reply"] = benchmark::Counter(
        double(replies), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(listener.m_nLast);
}

}  // namespace

BENCHMARK(BM_ReadBackChain)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
