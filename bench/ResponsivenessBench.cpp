#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "tests/support/EndToEndHost.h"

namespace {

using Clock = std::chrono::steady_clock;

// The most samples a channel of an interval trend holds.
constexpr int FullSamples = 54001;

// `count` repeats of one word in the compact trend text: a repeat count (one character up to
// 63, two up to 4 095) before each piece.
QString repeatedWord(const QString& word, int count) {
    QString out;
    while (count > 0) {
        const int n = std::min(count, 4095);
        if (n < 64)
            out += QChar(64 + n);
        else
            out += QChar(64 + n / 64), out += QChar(64 + n % 64);
        out += word;
        count -= n;
    }
    return out;
}

// A sample word as a digit pair per hex digit (the compact text's plain form).
QString plainWord(int value) {
    QString out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += QChar(48 + ((value >> shift) & 0xF));
    return out;
}

// The record lines of two full interval trends as an instrument whose memory is full sends
// them: gases 1 to 3 unused, each one compressed run of "no value"; gas 4 changing at every
// sample; gas 5 steady, one run; the status flags one run.
QStringList fullIntervalLines() {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    for (auto& rec : fake.intervals) {
        rec.gas4 = {1};
        rec.gas5 = {1};
        rec.status = {{0, 0}};
        rec.gas4Events.clear();
    }
    const QStringList template_ = fake.intervalLines();
    QStringList lines;
    for (qsizetype i = 0; i < template_.size(); ++i) {
        const QString& line = template_[i];
        lines << line;
        if (!(line.size() > 5 && line.at(0) == QLatin1Char('/') && line.at(3) == QLatin1Char('A') &&
              line.at(4) >= QLatin1Char('1') && line.at(4) <= QLatin1Char('6')))
            continue;
        ++i;  // the one sample line of the template
        const int channel = line.at(4).digitValue();
        if (channel <= 3) {
            lines << repeatedWord(QStringLiteral("\"\""), FullSamples);  // FFFF
        } else if (channel == 4) {
            for (int first = 0; first < FullSamples; first += 64) {
                QString words;
                for (int k = first; k < std::min(first + 64, FullSamples); ++k)
                    words += plainWord(k % 1000);
                lines << words;
            }
        } else if (channel == 5) {
            lines << repeatedWord(QStringLiteral("!?:"), FullSamples);  // 00FA
        } else {
            lines << repeatedWord(QStringLiteral("!!"), FullSamples);  // 0000
        }
    }
    return lines;
}

// The blocks of a download answer, as the instrument cuts them.
QStringList answerBlocks(const QString& key, const QStringList& lines, int perBlock) {
    QStringList blocks;
    for (qsizetype first = 0; first < lines.size(); first += perBlock)
        blocks << key + QStringLiteral(",H0,H1,") + lines.mid(first, perBlock).join(',');
    return blocks;
}

// Measures how long the event loop is held: a 5 ms timer runs throughout, and the longest
// time between two of its ticks is the longest the window could not react. Each pass of
// events is timed as well.
class BlockWatch : public platform::EventPump {
  public:
    explicit BlockWatch(std::function<void()> tick) : tick_(std::move(tick)) {
        timer_.setInterval(5);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longestGap = std::max(longestGap, std::chrono::duration<double>(now - last_).count());
            last_ = now;
        });
    }
    void start() {
        last_ = Clock::now();
        timer_.start();
    }
    void stop() {
        timer_.stop();
        longestGap =
            std::max(longestGap, std::chrono::duration<double>(Clock::now() - last_).count());
    }
    void waitWhile(const std::function<bool()>& busy) override {
        for (;;) {
            const auto t0 = Clock::now();
            QCoreApplication::processEvents();
            slowestPass =
                std::max(slowestPass, std::chrono::duration<double>(Clock::now() - t0).count());
            if (!busy()) return;
            tick_();
        }
    }
    double longestGap = 0, slowestPass = 0;

  private:
    std::function<void()> tick_;
    QTimer timer_;
    Clock::time_point last_;
};

// A complete download of two full interval trends through the fake instrument. Reported as
// "longest_block_ms", the longest time between two ticks of a 5 ms timer in the event loop
// (goal: under 20), and "slowest_pass_ms", the longest single pass of events.
void BM_DownloadTwoFullIntervalTrends(benchmark::State& state) {
    const QStringList blocks = answerBlocks(QStringLiteral("DR,R"), fullIntervalLines(), 20);
    double longest = 0, slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::EndToEndHost host;
        host.port.engine.responder = [&blocks, &host](const QString& body) {
            if (body == QLatin1String("DR,R,")) return std::optional<QStringList>(blocks);
            return host.fake.answer(body);
        };
        if (!host.connect()) state.SkipWithError("no connection");
        BlockWatch watch([&host] { host.tick(); });
        host.link.setEventPump(&watch);
        state.ResumeTiming();
        watch.start();
        const bool ok = host.link.GetInterval(host.intervals);
        watch.stop();
        state.PauseTiming();
        host.link.setEventPump(nullptr);
        if (!ok || host.intervals.Count() != 2 || host.intervals.Item(1)->Error() ||
            host.intervals.Item(2)->Error() ||
            host.intervals.Item(2)->SampleCount(5) != FullSamples)
            state.SkipWithError("the download did not take both full trends");
        longest = std::max(longest, watch.longestGap);
        slowest = std::max(slowest, watch.slowestPass);
        state.ResumeTiming();
    }
    state.counters["longest_block_ms"] = longest * 1000.0;
    state.counters["slowest_pass_ms"] = slowest * 1000.0;
}
BENCHMARK(BM_DownloadTwoFullIntervalTrends)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
