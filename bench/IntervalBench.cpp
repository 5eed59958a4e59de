#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "bench/WireTimer.h"
#include "core/ClsInstrument.h"
#include "core/ModMain.h"
#include "core/Schema.h"
#include "platform/Database.h"
#include "records/ClsIntervals.h"

namespace {

constexpr int Samples = 16361;
constexpr int WordsPerLine = 64;

QString digitPairs(int value) {
    QString out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += QChar(48 + ((value >> shift) & 0xF));
    return out;
}

// A full interval-trend download as record lines: identity, header, gas list, then for each
// channel its plain line and its samples in compressed lines.
QStringList downloadLines() {
    QStringList lines = {"/01AAUSER01    STATION01 ",
                         "/01ABSERIAL000001000000"
                         "1",
                         "/01AD2405311305090060    ",
                         "/01AC"
                         "CH4----------   ----------   ----------   "
                         " 100  0.1TMP    20  0.1"};
    for (int channel = 1; channel <= 6; ++channel) {
        lines << QStringLiteral("/01A%1000000000000000000000000").arg(channel);
        for (int first = 0; first < Samples; first += WordsPerLine) {
            QString line;
            for (int k = first; k < std::min(first + WordsPerLine, Samples); ++k)
                line += channel == 6 ? digitPairs(k % 2) : digitPairs(k % 1000);
            lines << line;
        }
    }
    return lines;
}

double wireSeconds(const QStringList& lines) {
    double bytes = 0;
    for (const QString& l : lines)
        bytes += l.size() + 1;
    return bytes / WireBytesPerSecond;
}

void decode(records::clsIntervals& c, const QStringList& lines) {
    constexpr int BlockLines = 20;
    for (qsizetype first = 0; first < lines.size(); first += BlockLines) {
        const QStringList block = lines.mid(first, BlockLines);
        c.SaveRoutingState();
        bool all = true;
        for (const QString& l : block)
            all = c.SetDatas(l, true) && all;
        c.RestoreRoutingState();
        if (all)
            for (const QString& l : block)
                c.SetDatas(l, false);
    }
}

struct Program {
    QTemporaryDir dir;
    core::clsInstrument inst;
    Program() {
        core::AppPath = dir.path();
        core::DataFolder = dir.path() + "/Data";
        QDir().mkpath(core::DataFolder);
        core::CreateDatabase(dir.path() + "/QM73.mdb");
    }
    ~Program() { platform::Database::close(dir.path() + "/QM73.mdb"); }
};

void BM_DecodeAndStoreIntervalTrend(benchmark::State& state) {
    const QStringList lines = downloadLines();
    WireTimer timer(state, wireSeconds(lines));
    for (auto _ : state) {
        state.PauseTiming();
        Program program;
        records::clsIntervals c;
        c.setInstruments(&program.inst);
        state.ResumeTiming();
        timer.run([&] {
            decode(c, lines);
            c.Item(1)->Update();
        });
    }
}
BENCHMARK(BM_DecodeAndStoreIntervalTrend)->Unit(benchmark::kMillisecond);

void BM_ReloadIntervalTrend(benchmark::State& state) {
    const QStringList lines = downloadLines();
    Program program;
    records::clsIntervals c;
    c.setInstruments(&program.inst);
    decode(c, lines);
    c.Item(1)->Update();
    {
        records::clsInterval check;
        check.setSeqNo(1);
        check.ReLoad();
        if (check.DataCount() != Samples) state.SkipWithError("the download did not decode");
    }
    WireTimer timer(state, wireSeconds(lines));
    for (auto _ : state) {
        timer.run([&] {
            records::clsInterval r;
            r.setSeqNo(1);
            r.ReLoad();
            benchmark::DoNotOptimize(r.DataCount());
        });
    }
}
BENCHMARK(BM_ReloadIntervalTrend)->Unit(benchmark::kMillisecond);

}  // namespace
