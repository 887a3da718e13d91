// The controller session reading the in-memory line.
//   BM_ReadBackChain: the whole read-back chain, every query answered with a ten-byte reply
//     delivered as one receive event.
//   BM_StreamInModeZero / BM_StreamInLiveMode: one receive event of a live stream (a 38-byte
//     frame) once the stream has run for a while, in mode 0 (a stream the window did not start:
//     nothing in it is a reply) and in mode 10 (the live display). Mode 0 only keeps the bytes
//     within its limit, so it should cost no more than live mode, which parses every frame.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <chrono>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "ControllerSession.h"
#include "IClock.h"
#include "ISessionListener.h"
#include "MemoryLine.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"

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
class SinkListener : public ISessionListener {
public:
    void OnFirmwareVersion(int version) override { m_nLast = version; }
    void OnChainEnded(const ChainEnd& end) override {
        if (end.chain == Chain::ReadBack && end.result == ChainResult::Done) ++m_nFinished;
    }
    int m_nLast = 0;
    int m_nFinished = 0;
};

// The session on an open in-memory line, as the window wires it.
struct DispatcherRig {
    DispatcherRig() : session(TakeLine(), clock, listener) {
        session.WhenBytesArrive(nullptr, [this] { session.OnComm(); });
        session.OpenPort();
        session.PrepareLine();
    }
    std::unique_ptr<MemoryLine> TakeLine() {
        auto backend = std::make_unique<MemoryLine>(clock);
        line = backend.get();
        return backend;
    }

    StillClock clock;
    MemoryLine* line = nullptr;
    SinkListener listener;
    CControllerSession session;
};

void BM_ReadBackChain(benchmark::State& bench) {
    DispatcherRig rig;
    MemoryLine& line = *rig.line;

    // The controller answers each query; the answer is delivered after the write returns.
    std::optional<QByteArray> answer;
    line.onWritten = [&](const QByteArray& query) {
        if (query.size() == 3 && query[0] == '?') answer = query + " 0050\r\n";
    };

    int64_t replies = 0;
    for (auto _ : bench) {
        line.ClearSent();
        rig.session.ReadBack();
        while (answer) {
            const QByteArray reply = *std::exchange(answer, std::nullopt);
            line.Inject(reply);
            ++replies;
        }
    }
    if (rig.listener.m_nFinished != bench.iterations())
        bench.SkipWithError("read-back did not finish");
    bench.counters["replies"] = benchmark::Counter(double(replies));
    bench.counters["ns_per_reply"] = benchmark::Counter(
        double(replies), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(rig.listener.m_nLast);
}

void StreamEvents(benchmark::State& bench, RxMode mode) {
    DispatcherRig rig;
    MemoryLine& line = *rig.line;
    if (mode == RxMode::Live) rig.session.StartLiveDisplay();

    const QByteArray frame = "CHDA10001100120013001400150016001700\r\n";
    for (int i = 0; i < 4000; ++i) line.Inject(frame);  // 150 KB: past the buffer's limit
    for (auto _ : bench) line.Inject(frame);
    bench.counters["ns_per_event"] = benchmark::Counter(
        double(bench.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(rig.listener.m_nLast);
}

void BM_StreamInModeZero(benchmark::State& bench) { StreamEvents(bench, RxMode::ReadBack); }
void BM_StreamInLiveMode(benchmark::State& bench) { StreamEvents(bench, RxMode::Live); }

}  // namespace

BENCHMARK(BM_ReadBackChain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StreamInModeZero);
BENCHMARK(BM_StreamInLiveMode);

BENCHMARK_MAIN();
