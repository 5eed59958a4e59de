#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

#include "platform/FileSteps.h"
#include "printing/PrintJob.h"
#include "runtime/Format.h"
#include "tests/printing/PrintRig.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString& pdf) {
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString pageText(const QString& pdf, int page) {
    return run(QStringLiteral("pdftotext"),
               {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

// A page of a PDF as a picture under the build folder, to be looked at.
void savePage(const QString& pdf, int page, const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + "/pictures";
    QDir().mkpath(folder);
    run(QStringLiteral("pdftoppm"), {"-r", "60", "-png", "-singlefile", "-f", QString::number(page),
                                     "-l", QString::number(page), pdf, folder + "/" + name});
    EXPECT_TRUE(QFileInfo::exists(folder + "/" + name + ".png")) << name.toStdString();
}

// The print form printing into PDF files of a folder of its own: the printer choice takes the
// PDF entry, the file name dialog answers with `file`.
struct PdfRig : PrintRig {
    QTemporaryDir out;
    QString file = out.filePath(QStringLiteral("report.pdf"));
    int chosen = 1;
    int choices = 0;
    QString preselected;

    PdfRig() {
        form.choosePrinter = [this](const QStringList& names, const QString& current) {
            ++choices;
            EXPECT_EQ(names, QStringList({"Office", "PDF file"}));
            preselected = current;
            return chosen;
        };
    }
    void print() {
        dialogs.fileNames.push_back(file);
        form.Form_Load();
        form.GoPrinter();
    }
    // The first and last row number of each page, as the break rule places `rows` rows that
    // start `before` twips below the page header, in the printer's own text metrics.
    std::vector<std::pair<int, int>> expectedPages(int rows, double before, double continued) {
        const QString scratch = out.filePath(QStringLiteral("metrics.pdf"));
        printing::PrintJob job(printers.makePrinter(1, scratch));
        job.setFontName(form.font().family());
        job.setFontSize(9);
        job.setFontBold(false);
        const double h = 1.1 * job.TextHeight(QStringLiteral("W"));
        const double sw = job.ScaleWidth(), sh = job.ScaleHeight();
        job.EndDoc();
        std::vector<std::pair<int, int>> pages;
        // The header leaves the position one 9-point line below 10.
        double y = 10 + h / 1.1 + before;
        int first = 1;
        for (int row = 1; row <= rows; ++row) {
            y += h;
            if (row < rows && y > 0.95 * sh) {
                pages.push_back({first, row});
                first = row + 1;
                y = 0.1 * sw + continued;
            }
        }
        pages.push_back({first, rows});
        return pages;
    }
    // The printer's row height and printable area.
    struct Metrics {
        double h, sw, sh;
    };
    Metrics metrics() {
        const QString scratch = out.filePath(QStringLiteral("metrics3.pdf"));
        printing::PrintJob job(printers.makePrinter(1, scratch));
        job.setFontName(form.font().family());
        job.setFontSize(9);
        job.setFontBold(false);
        Metrics m{1.1 * job.TextHeight(QStringLiteral("W")), job.ScaleWidth(), job.ScaleHeight()};
        job.EndDoc();
        return m;
    }
    // The first and last unit (row or pair of rows) of each page: units of `height` from `y`
    // on, continued at 0.1 x the width plus `continued`.
    static std::vector<std::pair<int, int>> pagesOf(double y, double height, int units,
                                                    const Metrics& m, double continued) {
        std::vector<std::pair<int, int>> pages;
        int first = 1;
        for (int unit = 1; unit <= units; ++unit) {
            y += height;
            if (unit < units && y > 0.95 * m.sh) {
                pages.push_back({first, unit});
                first = unit + 1;
                y = 0.1 * m.sw + continued;
            }
        }
        pages.push_back({first, units});
        return pages;
    }
    double rowHeight() {
        const QString scratch = out.filePath(QStringLiteral("metrics2.pdf"));
        printing::PrintJob job(printers.makePrinter(1, scratch));
        job.setFontName(form.font().family());
        job.setFontSize(9);
        job.setFontBold(false);
        const double h = 1.1 * job.TextHeight(QStringLiteral("W"));
        job.EndDoc();
        return h;
    }
};

TEST(PdfReport, AnEventLogOverSeveralPages) {
    ASSERT_FALSE(QStandardPaths::findExecutable("pdftotext").isEmpty());
    PdfRig rig;
    const int rows = 150;
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(9, 'A1', 'U1', 5, '2026-05-20 08:00:00')");
    for (int i = 0; i < rows; ++i)
        rig.db().exec(
            "Insert Into Alarm_Event (RelNo, Dates, GasName, Alarm_Type) Values "
            "(9, ?, 'CO', -104)",
            {rt::OleDate::DateSerial(2026, 5, 1).addSeconds(i * 60)});
    rig.form.DataType = 5;
    rig.form.PrintType = 0;
    rig.form.SeqNo = 9;
    rig.print();
    ASSERT_TRUE(QFileInfo::exists(rig.file));
    EXPECT_EQ(rig.preselected, "Office");
    EXPECT_EQ(rig.printers.CurrentName(), "Office");  // put back after the job
    EXPECT_EQ(rig.dialogs.saveRequests.at(0).filter, "PDF (*.pdf)|*.pdf");

    const double h = rig.rowHeight();
    // Below the header: two blank rows, the property row, a rule (30), a blank row, three
    // rows, two blank rows, the heading and its rule (30).
    const double before = 2 * h + h + 30 + h + 3 * h + 2 * h + h + 30;
    const auto expected = rig.expectedPages(rows, before, h + 30);
    ASSERT_EQ(pageCount(rig.file), static_cast<int>(expected.size()));
    savePage(rig.file, 1, QStringLiteral("report-alarm-events-1"));
    savePage(rig.file, 2, QStringLiteral("report-alarm-events-2"));
    for (size_t p = 0; p < expected.size(); ++p) {
        SCOPED_TRACE(p + 1);
        const QString text = pageText(rig.file, static_cast<int>(p) + 1);
        EXPECT_TRUE(text.contains("QM-73 Data Logger (Alarm Event)"));
        EXPECT_EQ(text.contains("Serial No."), p == 0);  // the block on the first page only
        EXPECT_TRUE(text.contains(QRegularExpression("No\\s+Date/Time\\s+Gas\\s+Event")));
        std::vector<int> numbers;
        for (const QString& line : text.split('\n')) {
            if (!line.contains("ALARM")) continue;
            numbers.push_back(line.trimmed().section(' ', 0, 0).toInt());
        }
        ASSERT_FALSE(numbers.empty());
        EXPECT_EQ(numbers.front(), expected[p].first);
        EXPECT_EQ(numbers.back(), expected[p].second);
    }
}

// Every table report over several pages: the page header on each page, the table's heading
// again on each continuation, and each page's first and last row where the break rule puts
// them in the printer's own metrics.
TEST(PdfReport, EveryTableReportBreaksWhereTheRuleSays) {
    PdfRig rig;
    const PdfRig::Metrics m = rig.metrics();
    const double h = m.h, top = m.sh / 20;
    const double below = 10 + h / 1.1;  // where the page header leaves the position
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates, Gas4Name, "
        "Gas4Full, Gas4Point, Gas4Unit) Values (3, 'A1', 'U1', 3, "
        "'2026-05-20 08:00:00', 'O2', 25, 1, '%')");
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(6, 'A1', 'U1', 6, '2026-05-20 08:00:00')");
    const int units = 130;
    for (int i = 0; i < units; ++i) {
        const rt::OleDate when = rt::OleDate::DateSerial(2026, 5, 1).addSeconds(i * 60);
        rig.db().exec(
            "Insert Into cHistory (RelNo, Dates, Gas4GasName, Gas4Before, Gas4After, "
            "Gas4Point) Values (3, ?, 'O2', 20.5, 20.9, 1)",
            {when});
        rig.db().exec(
            "Insert Into Trouble_Event (RelNo, Dates, GasName, Alarm_Type) Values "
            "(6, ?, 'Body', -111)",
            {when});
    }
    records::clsInterval interval;
    interval.setGasListInfo(3, 0, QStringLiteral("CO"));
    interval.setDataCount(units);
    records::clsAlarm alarm;
    alarm.setGasListInfo(3, 3, int16_t(2));
    alarm.setGasListInfo(3, 1, 100.0f);
    alarm.setDataCount(static_cast<int16_t>(units));
    for (int i = 0; i < units; ++i)
        alarm.setValue(3, i, 12.5f);
    MemoryTable samples, list;
    samples.rows = {{"No", "Date/Time", "CO", ""}};
    list.rows = {{"No.", "SerialNo", "UserID", "Last Calib.Date"}};
    for (int i = 1; i <= units; ++i) {
        samples.rows.push_back({QString::number(i), "d", "MARK", ""});
        list.rows.push_back({QString::number(i), "S", "MARK", "d"});
    }
    const struct {
        int32_t kind;
        const char* title;
        const char* marker;  // on each row (the first of a pair)
        double start;        // where the first row starts
        double unit;         // the height of a row, or of a pair
        double continued;    // below 0.1 x the width on a continuation page
        const char* heading;
    } cases[] = {
        {1, "(Interval Trend)", "MARK",
         top + h + 30 + h + 6 * h + 30 + h + 4 * h + 30 + 2 * h + h + 30, h, h + 30,
         "No\\s+Date/Time"},
        {2, "(Alarm Trend)", "12.50", top + h + 30 + h + 6 * h + 30 + 2 * h + h + 30, h, h + 30,
         "No\\s+Date/Time"},
        {3, "(Calibration History)", "Before", top + h + 30 + h + 3 * h + 2 * h + h + 30 + h, 2 * h,
         h + 30, "No\\s+Date/Time"},
        {4, "(Last Calibration)", "MARK", top + 30 + h + h, h, h + 30, "No.\\s+SerialNo"},
        {6, "(Trouble Event)", "FAIL(BATT.)", below + 2 * h + h + 30 + h + 3 * h + 2 * h + h + 30,
         h, h + 30, "No\\s+Date/Time\\s+Gas/Body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        rig.file = rig.out.filePath(QStringLiteral("table%1.pdf").arg(c.kind));
        rig.form.DataType = c.kind;
        rig.form.PrintType = 0;
        rig.form.SeqNo = c.kind;
        rig.form.IntervalData = &interval;
        rig.form.AlarmData = &alarm;
        rig.form.Table = c.kind == 4 ? &list : &samples;
        rig.print();
        const auto expected = PdfRig::pagesOf(c.start, c.unit, units, m, c.continued);
        ASSERT_GT(expected.size(), 1u);
        ASSERT_EQ(pageCount(rig.file), static_cast<int>(expected.size()));
        for (size_t p = 0; p < expected.size(); ++p) {
            SCOPED_TRACE(p + 1);
            const QString text = pageText(rig.file, static_cast<int>(p) + 1);
            EXPECT_TRUE(text.contains(QStringLiteral("QM-73 Data Logger ") + c.title));
            EXPECT_TRUE(text.contains(QRegularExpression(QString::fromLatin1(c.heading))));
            std::vector<int> numbers;
            for (const QString& line : text.split('\n'))
                if (line.contains(QString::fromLatin1(c.marker)))
                    numbers.push_back(line.trimmed().section(' ', 0, 0).toInt());
            ASSERT_FALSE(numbers.empty());
            EXPECT_EQ(numbers.front(), expected[p].first);
            EXPECT_EQ(numbers.back(), expected[p].second);
        }
    }
}

TEST(PdfReport, TheGraphReportOnOnePageWithTheGraphInItsBox) {
    PdfRig rig;
    records::clsInterval r;
    r.setGasBaseInfo(0, QStringLiteral("iv01"));
    r.setGasListInfo(3, 0, QStringLiteral("CO"));
    r.setGasListInfo(3, 1, 100.0f);
    r.setGasListInfo(3, 13, true);
    r.setDataCount(200);
    for (int i = 0; i < 200; ++i) {
        r.setDateTimes(i, rt::OleDate::DateSerial(2026, 5, 1).addSeconds(i * 60));
        r.setGasValue(3, i, float(i % 50));
    }
    rig.form.DataType = 1;
    rig.form.PrintType = -1;
    rig.form.IntervalData = &r;
    rig.print();
    ASSERT_EQ(pageCount(rig.file), 1);
    const QString text = pageText(rig.file, 1);
    EXPECT_TRUE(text.contains("QM-73 Data Logger (Interval Trend)"));
    EXPECT_TRUE(text.contains("Data Browse (iv01) - Interval Trend"));
    // The page as a picture: drawing inside the box (40 % to 85 % of the height), nothing
    // below it.
    const QString png = rig.out.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {"-r", "30", "-png", "-singlefile", rig.file, png});
    const QImage page(png + ".png");
    ASSERT_FALSE(page.isNull());
    savePage(rig.file, 1, QStringLiteral("report-interval-graph"));
    const auto inked = [&](double top, double bottom) {
        int n = 0;
        for (int y = int(top * page.height()); y < int(bottom * page.height()); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) ++n;
        return n;
    };
    EXPECT_GT(inked(0.45, 0.85), 200);
    EXPECT_EQ(inked(0.90, 1.0), 0);
}

TEST(PdfReport, CancelAndFailuresLeaveNoFileAndThePrinterAsItWas) {
    PdfRig rig;
    rig.form.DataType = 9;
    // Cancel in the printer choice.
    rig.chosen = -1;
    rig.print();
    EXPECT_FALSE(QFileInfo::exists(rig.file));
    EXPECT_TRUE(rig.dialogs.saveRequests.empty());
    // Cancel in the file name.
    rig.chosen = 1;
    rig.dialogs.fileNames.clear();
    rig.form.Form_Load();
    rig.form.GoPrinter();
    EXPECT_FALSE(QFileInfo::exists(rig.file));
    EXPECT_EQ(rig.printers.CurrentName(), "Office");
    // A folder that does not exist: told, nothing written.
    rig.file = rig.out.filePath(QStringLiteral("missing/report.pdf"));
    rig.print();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        rig.dialogs.messages[0].text.startsWith("The report could not be printed on PDF file."));
    EXPECT_EQ(rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(rig.file));
    // An existing file is asked about; No keeps it.
    rig.file = rig.out.filePath(QStringLiteral("old.pdf"));
    {
        QFile f(rig.file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    rig.dialogs.answers.push_back(platform::MsgAnswer::No);
    rig.print();
    QFile kept(rig.file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
    EXPECT_EQ(QDir(rig.out.path()).entryList(QDir::Files), QStringList({"old.pdf"}));
}

TEST(PdfReport, EveryKindCarriesItsTitle) {
    PdfRig rig;
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(1, 'A1', 'U1', 3, '2026-05-20 08:00:00')");
    records::clsInterval interval;
    records::clsAlarm alarm;
    MemoryTable table;
    table.rows = {{"No", "Date/Time", "CO", "x"}, {"1", "d", "12.5", ""}};
    rig.form.IntervalData = &interval;
    rig.form.AlarmData = &alarm;
    rig.form.Table = &table;
    rig.form.SeqNo = 1;
    const std::pair<int, const char*> kinds[] = {
        {1, "(Interval Trend)"},   {2, "(Alarm Trend)"},   {3, "(Calibration History)"},
        {4, "(Last Calibration)"}, {5, "(Alarm Event)"},   {6, "(Trouble Event)"},
        {7, "(Power Event)"},      {8, "(Sensor History)"}};
    for (const auto& [kind, title] : kinds) {
        SCOPED_TRACE(kind);
        rig.file = rig.out.filePath(QStringLiteral("kind%1.pdf").arg(kind));
        rig.form.DataType = kind;
        rig.form.PrintType = 0;
        rig.print();
        ASSERT_EQ(pageCount(rig.file), 1);
        EXPECT_TRUE(pageText(rig.file, 1).contains(QStringLiteral("QM-73 Data Logger ") + title));
    }
}

}  // namespace

// A PDF that replaces another: the old file stays whole at every step until the new one,
// whole and on the disk, takes its place; a new PDF gets the permissions the user's files
// (and the exports) get.
TEST(PdfReport, AReplacedPdfStaysWholeUntilTheNewOneIsAndPermissionsAreTheUsualOnes) {
    PdfRig rig;
    rig.form.DataType = 9;
    {
        QFile old(rig.file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    std::vector<platform::FileStep> steps;
    QList<QByteArray> seen;
    platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
        steps.push_back(step);
        QFile f(rig.file);
        seen << (f.open(QIODevice::ReadOnly) ? f.readAll().left(4) : QByteArray("none"));
        return 0;
    });
    const auto unwatch = qScopeGuard([] { platform::setFileStepWatcher({}); });
    rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    rig.print();
    ASSERT_TRUE(rig.dialogs.messages.size() == 1u)
        << rig.dialogs.messages.back().text.toStdString();
    EXPECT_EQ(steps, (std::vector<platform::FileStep>{platform::FileStep::SyncFile,
                                                      platform::FileStep::Rename,
                                                      platform::FileStep::SyncFolder}));
    EXPECT_EQ(seen, (QList<QByteArray>{"old", "old", "%PDF"}));
    EXPECT_EQ(pageCount(rig.file), 1);
    EXPECT_EQ(QDir(rig.out.path()).entryList(QDir::Files), QStringList({"report.pdf"}));

    for (const mode_t mask : {mode_t(022), mode_t(027)}) {
        SCOPED_TRACE(mask);
        const mode_t before = ::umask(mask);
        rig.file = rig.out.filePath(QStringLiteral("new%1.pdf").arg(mask));
        rig.print();
        ::umask(before);
        EXPECT_EQ(QFileInfo(rig.file).permissions() &
                      (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                       QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                       QFile::ExeOther),
                  mask == 022
                      ? (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther)
                      : (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }
}
