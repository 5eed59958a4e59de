#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

// Times one iteration's work and reports, as "wire_pct", the mean time in per cent of the
// given wire time (what the instrument needs to send the data at 921 600 baud).
class WireTimer {
  public:
    WireTimer(benchmark::State& state, double wireSeconds)
        : state_(state), wireSeconds_(wireSeconds) {}
    template <class F>
    void run(F&& work) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        total_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++count_;
    }
    ~WireTimer() {
        if (count_) state_.counters["wire_pct"] = total_ / count_ / wireSeconds_ * 100.0;
    }

  private:
    benchmark::State& state_;
    double wireSeconds_;
    double total_ = 0;
    int count_ = 0;
};

// Bytes a second at 921 600 baud (ten bits a byte).
inline constexpr double WireBytesPerSecond = 92160.0;
