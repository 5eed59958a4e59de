#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>

#include "printing/PrintJob.h"
#include "tests/printing/PrintRig.h"

namespace {

// A list of `rows` rows under its title row, four cells a row, as the sample list and the
// last-calibration list copy it.
testsupport::MemoryTable longTable(int rows) {
    testsupport::MemoryTable table;
    table.rows.push_back({"No", "Date/Time", "CO", ""});
    for (int r = 1; r <= rows; ++r)
        table.rows.push_back({QString::number(r), QStringLiteral("2026/01/01 10:%1").arg(r % 60),
                              QString::number(r % 500 / 10.0, 'f', 1), QString()});
    return table;
}

// While a long job makes its pages, the window's timers run; a print asked for meanwhile is
// refused, and the job ends whole.
TEST(PrintJobEvents, ALongJobLetsTheEventsThroughAndRefusesASecondPrint) {
    struct Case {
        const char* name;
        int32_t kind;
    };
    for (const Case& c : {Case{"sample list", printing::KindInterval},
                          Case{"last calibration", printing::KindLastCalibration}}) {
        SCOPED_TRACE(c.name);
        testsupport::PrintRig rig;
        QTemporaryDir out;
        const testsupport::MemoryTable table = longTable(6000);
        records::clsInterval record;
        record.setGasListInfo(3, 0, QStringLiteral("CO"));
        record.setDataCount(6000);
        rig.form.DataType = c.kind;
        rig.form.PrintType = 0;
        rig.form.IntervalData = &record;
        rig.form.Table = &table;
        int choices = 0;
        rig.form.choosePrinter = [&choices](const QStringList&, const QString&) {
            ++choices;
            return 1;
        };
        const QString file = out.filePath(QStringLiteral("list.pdf"));
        rig.dialogs.fileNames.push_back(file);
        rig.dialogs.fileNames.push_back(out.filePath(QStringLiteral("second.pdf")));

        int ticks = 0;
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!rig.form.isPrinting()) return;
            if (++ticks == 1) {
                rig.form.GoPrinter();
                rig.form.cmdPrint_Click();
            }
        });
        timer.start();
        rig.form.Form_Load();
        rig.form.GoPrinter();
        timer.stop();

        EXPECT_GE(ticks, 3);
        EXPECT_EQ(choices, 1);
        EXPECT_EQ(rig.dialogs.saveRequests.size(), 1u);
        EXPECT_FALSE(rig.form.isPrinting());
        EXPECT_FALSE(rig.form.isLoaded());
        EXPECT_TRUE(QFileInfo::exists(file));
        EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("second.pdf"))));
        EXPECT_TRUE(rig.dialogs.messages.empty());
    }
}

// The printer keeps the widths it measured per font: a font change measures in the new font,
// and the old font's widths are those it had.
TEST(PrintJobEvents, TextWidthsFollowTheFont) {
    QTemporaryDir out;
    platform::PrinterCatalog printers{{{platform::PrinterCatalog::PdfName(), true}},
                                      platform::PrinterCatalog::PdfName()};
    const auto fresh = [&](const QString& name, double size, bool bold) {
        auto job =
            std::make_unique<printing::PrintJob>(printers.makePrinter(0, out.filePath(name)));
        job->setFontSize(size);
        job->setFontBold(bold);
        return job;
    };
    const QStringList texts = {"No", "2026/01/01 10:00:00", "12.5", "W", ""};
    const auto small = fresh("small.pdf", 9, false);
    const auto large = fresh("large.pdf", 12, true);
    const auto job = fresh("job.pdf", 9, false);
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        job->setFontSize(9);
        job->setFontBold(false);
        EXPECT_EQ(job->TextWidth(text), small->TextWidth(text));
        job->setFontSize(12);
        job->setFontBold(true);
        EXPECT_EQ(job->TextWidth(text), large->TextWidth(text));
        if (!text.isEmpty()) {
            EXPECT_GT(job->TextWidth(text), small->TextWidth(text));
        }
        job->setFontSize(9);
        job->setFontBold(false);
        EXPECT_EQ(job->TextWidth(text), small->TextWidth(text));
    }
    // A text of two lines is as wide as its wider line.
    EXPECT_EQ(job->TextWidth("No\n12.5"),
              std::max(small->TextWidth("No"), small->TextWidth("12.5")));
    for (printing::PrintJob* j : {small.get(), large.get(), job.get()})
        j->EndDoc();
}

}  // namespace
