#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <chrono>
#include <random>

#include "bench/WireTimer.h"
#include "link/Frame.h"
#include "tests/support/EndToEndHost.h"

namespace {

using Clock = std::chrono::steady_clock;

// A full interval-trend memory: one recording of 16 361 samples.
testsupport::FakeQM73 fullMemory() {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    testsupport::FakeQM73::IntervalRecording rec = fake.intervals[0];
    rec.gas4.clear();
    rec.gas5.clear();
    rec.status.clear();
    for (int k = 0; k < 16361; ++k) {
        rec.gas4.push_back(static_cast<uint16_t>(k % 1000));
        rec.gas5.push_back(static_cast<uint16_t>(250));
        rec.status.push_back({0, 0});
    }
    fake.intervals = {rec};
    return fake;
}

// Waits as the end-to-end host does (events, then one link tick), and keeps the longest single
// pass of events: one answer block taken in (checked, decoded, written to the trend file and
// acknowledged), the time the window is held up by it.
class SlowestPassPump : public platform::EventPump {
  public:
    explicit SlowestPassPump(std::function<void()> tick) : tick_(std::move(tick)) {}
    void waitWhile(const std::function<bool()>& busy) override {
        for (;;) {
            const auto t0 = Clock::now();
            QCoreApplication::processEvents();
            slowest = std::max(slowest, std::chrono::duration<double>(Clock::now() - t0).count());
            if (!busy()) return;
            tick_();
        }
    }
    double slowest = 0;

  private:
    std::function<void()> tick_;
};

// The receive path alone: frames in, acknowledgements out, both passes, decoders and the
// trend file, with no wire delay. Reported as "x_wire": bytes a second as a multiple of the
// wire rate (goal: at least 40), and "slowest_block_ms", the longest the link held the event
// loop for one answer block (goal: under 50).
void BM_ReceiveFullIntervalDownload(benchmark::State& state) {
    const testsupport::FakeQM73 fake = fullMemory();
    double seconds = 0, bytes = 0, slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::EndToEndHost host(fake);
        if (!host.connect()) state.SkipWithError("no connection");
        SlowestPassPump pump([&host] { host.tick(); });
        host.link.setEventPump(&pump);
        const qint64 before = host.port.engine.sentBytes;
        state.ResumeTiming();
        const auto t0 = Clock::now();
        const bool ok = host.link.GetInterval(host.intervals);
        seconds += std::chrono::duration<double>(Clock::now() - t0).count();
        bytes += static_cast<double>(host.port.engine.sentBytes - before);
        slowest = std::max(slowest, pump.slowest);
        host.link.setEventPump(nullptr);
        if (!ok) state.SkipWithError("the download failed");
    }
    if (seconds > 0) state.counters["x_wire"] = bytes / seconds / WireBytesPerSecond;
    state.counters["slowest_block_ms"] = slowest * 1000.0;
}
BENCHMARK(BM_ReceiveFullIntervalDownload)->Unit(benchmark::kMillisecond);

// One block of the worst repeat counts: after the header of an interval trend, lines whose
// every pair of count characters asks for 4 095 repeats. The record takes what it can hold and
// fails the rest; "slowest_block_ms" is how long the window waits for that block (goal: under
// 50).
void BM_ReceiveBlockOfLongestRepeats(benchmark::State& state) {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    QStringList lines;
    for (const QString& line : fake.intervalLines()) {
        lines << line;
        if (line.startsWith("/01A4")) break;  // the plain line of gas 4: its samples follow
    }
    for (int i = 0; i < 20; ++i)
        lines << QString("\x7F\x7F!!").repeated(240);
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::EndToEndHost host(fake);
        host.port.engine.responder = [&lines, &host](const QString& body) {
            if (body == "DR,R,")
                return std::optional<QStringList>(
                    QStringList{"DR,R,H0,H1," + lines.join(QLatin1Char(','))});
            return host.fake.answer(body);
        };
        if (!host.connect()) state.SkipWithError("no connection");
        SlowestPassPump pump([&host] { host.tick(); });
        host.link.setEventPump(&pump);
        state.ResumeTiming();
        const bool ok = host.link.GetInterval(host.intervals);
        slowest = std::max(slowest, pump.slowest);
        host.link.setEventPump(nullptr);
        if (!ok || host.intervals.Count() != 1 || !host.intervals.Item(1)->Error())
            state.SkipWithError("the block was not taken as a faulty record");
    }
    state.counters["slowest_block_ms"] = slowest * 1000.0;
}
BENCHMARK(BM_ReceiveBlockOfLongestRepeats)->Unit(benchmark::kMillisecond);

// A connected link whose instrument answers nothing but the connect request: the benchmark
// puts every received byte on the line itself.
struct QuietLink {
    testsupport::FakeSerialPort port;
    testsupport::FakeInfraredPort infrared;
    comm::uclVyif link{port, infrared};
    QuietLink() {
        link.setTimerEnabled(false);
        link.ReadProperties({});
        link.setRetry(3);
        link.setTimeout(3);
        link.setPortOpen(true);
        for (int i = 0; i < 3 && !link.Connected(); ++i) {
            link.tmrTimer_Timer();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        }
        port.engine.responder = [](const QString&) { return std::nullopt; };
    }
    void request(const QString& body, int32_t status) {
        link.setStatus(status);
        link.DataSend(comm::BuildFrame(body, comm::EOT), true);
    }
    void idle() {
        for (int i = 0; i < 200; ++i)
            link.tmrTimer_Timer();
    }
    // Bytes arriving in pieces of `piece`, each handled before the next comes.
    void arrive(const QByteArray& bytes, qsizetype piece) {
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            port.inject(bytes.mid(at, piece));
            QCoreApplication::processEvents();
        }
    }
};

// Line noise while the link waits for a download block (arg 1 = 1) or for nothing (0): random
// bytes in 1 KB pieces (arg 2 = 1024) or all in one piece (0). The cost a byte
// ("bytes_per_second") stays the same from 8 KB to 1 MB.
void BM_ReceiveNoise(benchmark::State& state) {
    std::mt19937 random(7);
    QByteArray noise(state.range(0), '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    const qsizetype piece = state.range(2) > 0 ? state.range(2) : noise.size();
    QuietLink q;
    if (!q.link.Connected()) state.SkipWithError("no connection");
    for (auto _ : state) {
        state.PauseTiming();
        q.request(QStringLiteral("DR,R,"), state.range(1) ? 3 : 2);
        if (!state.range(1)) q.idle();  // long enough for the link to use up its retries
        state.ResumeTiming();
        q.arrive(noise, piece);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReceiveNoise)
    ->ArgsProduct({{8 << 10, 64 << 10, 512 << 10, 1 << 20}, {0, 1}, {1024, 0}})
    ->Unit(benchmark::kMillisecond);

// One long answer (its fields separated by CR, as the instrument may send them) arriving a
// byte at a time: the cost a byte stays the same for 4 000 and 32 000 characters.
void BM_ReceiveFrameByteByByte(benchmark::State& state) {
    QString body = QStringLiteral("UG,R,");
    while (body.size() < state.range(0) - 9)
        body += QStringLiteral("0123456789ABCDEF\r");
    const QByteArray frame = comm::FrameBytes(comm::BuildFrame(body, comm::EOT));
    QuietLink q;
    if (!q.link.Connected()) state.SkipWithError("no connection");
    for (auto _ : state) {
        state.PauseTiming();
        q.request(QStringLiteral("UG,R,"), 4);
        state.ResumeTiming();
        q.arrive(frame, 1);
        if (q.link.Status() != 6) state.SkipWithError("the answer was not taken");
    }
    state.SetBytesProcessed(state.iterations() * frame.size());
}
BENCHMARK(BM_ReceiveFrameByteByByte)->Arg(4000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace
