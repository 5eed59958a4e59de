#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/WireTimer.h"
#include "tests/support/EndToEndHost.h"

namespace {

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

// The receive path alone: frames in, acknowledgements out, both passes, decoders and the
// trend file, with no wire delay. Reported as "x_wire": bytes a second as a multiple of the
// wire rate (goal: at least 20).
void BM_ReceiveFullIntervalDownload(benchmark::State& state) {
    const testsupport::FakeQM73 fake = fullMemory();
    double seconds = 0, bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::EndToEndHost host(fake);
        if (!host.connect()) state.SkipWithError("no connection");
        const qint64 before = host.port.engine.sentBytes;
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = host.link.GetInterval(host.intervals);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        bytes += static_cast<double>(host.port.engine.sentBytes - before);
        if (!ok) state.SkipWithError("the download failed");
    }
    if (seconds > 0) state.counters["x_wire"] = bytes / seconds / WireBytesPerSecond;
}
BENCHMARK(BM_ReceiveFullIntervalDownload)->Unit(benchmark::kMillisecond);

}  // namespace
