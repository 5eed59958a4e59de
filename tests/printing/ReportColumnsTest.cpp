#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include "printing/PrintJob.h"
#include "runtime/Format.h"
#include "tests/printing/PrintRig.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;
using testsupport::RecordingSurface;
using Language = platform::StringTable::Language;

// A recording printer page with the text metrics of paper: the PDF entry's printer (A4 at 600
// dots per inch) measures every text in the font it is printed in.
class PaperPage : public RecordingSurface {
  public:
    explicit PaperPage(const platform::PrinterCatalog& printers)
        : job_(printers.makePrinter(1, dir_.filePath("metrics.pdf"))) {
        printer = true;
        width = job_.ScaleWidth();
        height = job_.ScaleHeight();
    }
    ~PaperPage() override { job_.EndDoc(); }

    // The width of a text as it was printed.
    double widthOf(const Call& c) const {
        QFont f = font();
        f.setFamily(c.fontName);
        f.setPointSizeF(c.fontSize);
        f.setBold(c.bold);
        job_.setFont(f);
        return job_.TextWidth(c.text);
    }

    // Every text that reaches into the next one on its line (leaving less than a thin gap,
    // unless the next one continues it after a space), or out of the printable width.
    QStringList clashes() const {
        constexpr double Gap = 40;  // twips: 2 points
        QStringList found;
        int page = 0;
        for (const auto& calls : pages()) {
            ++page;
            std::map<long, std::vector<const Call*>> lines;  // by top, to a twip
            for (const Call& c : calls)
                if (c.kind == Call::Text) lines[std::lround(c.from.y())].push_back(&c);
            for (auto& [top, texts] : lines) {
                std::sort(texts.begin(), texts.end(),
                          [](const Call* a, const Call* b) { return a->from.x() < b->from.x(); });
                for (size_t i = 0; i < texts.size(); ++i) {
                    const Call& t = *texts[i];
                    const double right = t.from.x() + widthOf(t);
                    if (t.from.x() < -0.5 || right > width + 0.5)
                        found << QStringLiteral("page %1: \"%2\" beyond the printable width")
                                     .arg(page)
                                     .arg(t.text);
                    if (i + 1 == texts.size()) continue;
                    const Call& next = *texts[i + 1];
                    const double gap = next.text.startsWith(QLatin1Char(' ')) ? 0 : Gap;
                    if (right + gap > next.from.x() + 0.5)
                        found << QStringLiteral("page %1: \"%2\" reaches \"%3\" (%4 twips)")
                                     .arg(page)
                                     .arg(t.text, next.text)
                                     .arg(right + gap - next.from.x(), 0, 'f', 0);
                }
            }
        }
        return found;
    }

  protected:
    double measureWidth(const QString& t) const override {
        job_.setFont(font());
        return job_.TextWidth(t);
    }
    double lineHeight() const override {
        job_.setFont(font());
        return job_.TextHeight(QStringLiteral("W"));
    }

  private:
    QTemporaryDir dir_;
    mutable printing::PrintJob job_;
};

// The longest values the fields hold, in the widest letter: serial numbers 12 characters, user
// IDs 10, gas names and sensor numbers 10, units 5; dates with two-digit months, days and
// hours; readings and counts with their most digits.
const QString Serial(12, QLatin1Char('W'));
const QString User(10, QLatin1Char('W'));
const QString Gas(10, QLatin1Char('W'));
const QString Sensor(10, QLatin1Char('W'));
const QString Unit(5, QLatin1Char('W'));
const rt::OleDate Latest = *rt::OleDate::fromCivil(2026, 12, 28, 23, 58, 59);

void fillGas(auto& r) {
    r.setGasBaseInfo(0, QString(40, QLatin1Char('W')));
    r.setGasBaseInfo(1, Latest);
    r.setGasBaseInfo(2, User);
    r.setGasBaseInfo(4, Serial);
    r.setGasBaseInfo(6, 3600);
    r.setGasListInfo(3, 0, Gas);
    r.setGasListInfo(3, 1, 9999.99f);
    r.setGasListInfo(3, 3, int16_t(2));
    r.setGasListInfo(3, 14, Unit);
    r.setGasListInfo(3, 10, -32768.0f);
    r.setGasListInfo(3, 8, 32767.0f);
    r.setGasListInfo(3, 11, Latest);
    r.setGasListInfo(3, 13, true);
    r.setGasListInfo(4, 0, QStringLiteral("Temp"));
    r.setGasListInfo(4, 14, QStringLiteral("C"));
}

struct ColumnsRig : PrintRig {
    records::clsInterval interval;
    records::clsAlarm alarm;
    MemoryTable samples, list, values;

    ColumnsRig() {
        const auto exec = [this](const QString& sql, const std::vector<platform::DbParam>& args) {
            db().exec(sql, args);
        };
        exec(
            "Insert Into Log_Head (SeqNo, Names, SerialNo, UserID, Types, Dates, Gas4Name, "
            "Gas4Full, Gas4Point, Gas4Unit) Values (?,?,?,?,?,?,?,?,?,?)",
            {int32_t(30000), QString(40, QLatin1Char('W')), Serial, User, int32_t(3), Latest, Gas,
             9999.99f, int16_t(2), Unit});
        // Enough calibrations for a second page, whose heading carries the gas caption.
        for (int i = 0; i < 45; ++i)
            exec(
                "Insert Into cHistory (RelNo, Dates, Gas4GasName, Gas4Before, Gas4After, "
                "Gas4Point) Values (?,?,?,?,?,?)",
                {int32_t(30000), Latest, Gas, i == 0 ? -109.0f : -9999.99f, 9999.99f, int16_t(2)});
        for (int i = 0; i < 3; ++i) {
            exec("Insert Into Alarm_Event (RelNo, Dates, GasName, Alarm_Type) Values (?,?,?,?)",
                 {int32_t(30000), Latest, Gas, int32_t(-111)});
            exec("Insert Into Trouble_Event (RelNo, Dates, GasName, Alarm_Type) Values (?,?,?,?)",
                 {int32_t(30000), Latest, Gas, int32_t(-111)});
            exec("Insert Into Power_Event (RelNo, Dates, Power_Type) Values (?,?,?)",
                 {int32_t(30000), Latest, false});
            exec(
                "Insert Into SensorHistory (RelNo, Dates, SensorNo, GasName, FullScale) Values "
                "(?,?,?,?,?)",
                {int32_t(30000), Latest, Sensor, Gas, 9999.99f});
        }
        fillGas(interval);
        interval.setDataCount(53999);
        interval.setEventCount(2049);
        fillGas(alarm);
        alarm.setDataCount(3);
        for (int i = 0; i < 3; ++i) {
            alarm.setDateTimes(i, Latest);
            alarm.setValue(3, i, i == 0 ? -9999.99f : 9999.99f);
            alarm.setValue(4, i, -99.9f);
        }
        samples.rows = {
            {core::LoadResText(5620), core::LoadResText(5621), core::GasCaption(&interval, 3, true),
             core::GasCaption(&interval, 4, true)},
            {"56048", rt::GeneralDate(Latest), "-9999.99", "-99.9"},
            {"56049", rt::GeneralDate(Latest), "FAIL(BATT.)", "FAIL(BATT.)"}};
        samples.colours[{2, 1}] = 0x00FFFF;
        const QStringList dates = core::LoadResText(5661, {core::LoadResText(5671)}).split('|');
        const QStringList gases = core::LoadResText(5662).split('|');
        list.rows = {dates.mid(0, 4), {"9999", Serial, User, rt::GeneralDate(Latest)}};
        values.rows = {gases.mid(0, 4), {"9999", Serial, User, Gas}};
    }
};

// No printed cell reaches the next one, in any report, with the longest values of its fields,
// in either language.
TEST(ReportColumns, NoCellReachesTheNextWithTheLongestValues) {
    for (const Language language : {Language::English, Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        SCOPED_TRACE(language == Language::English ? "English" : "Japanese");
        ColumnsRig rig;
        const struct {
            int32_t kind;
            int16_t printType;
            const platform::CellTable* table;
            bool debug;
        } cases[] = {
            {1, 0, &rig.samples, true}, {2, 0, nullptr, true},      {3, 0, nullptr, false},
            {4, 0, &rig.list, false},   {4, 0, &rig.values, false}, {5, 0, nullptr, false},
            {6, 0, nullptr, false},     {7, 0, nullptr, false},     {8, 0, nullptr, false},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.kind);
            PaperPage page(rig.printers);
            core::DebugMode = c.debug;
            rig.form.DataType = c.kind;
            rig.form.PrintType = c.printType;
            rig.form.SeqNo = 30000;
            rig.form.IntervalData = &rig.interval;
            rig.form.AlarmData = &rig.alarm;
            rig.form.Table = c.table;
            rig.form.PrintPageHeader(page);
            rig.form.PrintReport(page);
            core::DebugMode = false;
            ASSERT_GT(page.of(RecordingSurface::Call::Text).size(), 10u);
            if (c.kind == 3) {
                EXPECT_GT(page.pages().size(), 1u);
            }
            EXPECT_EQ(page.clashes(), QStringList());
        }
    }
}

// The last-calibration list with 12-character serial numbers and 10-character user IDs,
// printed into a PDF file and its page saved as a picture, to be looked at.
TEST(ReportColumns, PictureOfTheLastCalibrationList) {
    for (const Language language : {Language::English, Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const QString tag = language == Language::English ? "en" : "ja";
        PrintRig rig;
        QTemporaryDir out;
        const QString file = out.filePath("list.pdf");
        MemoryTable list;
        list.rows = {core::LoadResText(5661, {core::LoadResText(5671)}).split('|').mid(0, 4)};
        const QStringList serials = {"QM73-0001234", "QM73-000123", Serial, "A1", "QM73-9999999"};
        const QStringList users = {"USER000001", "Tanaka", User, "U1", "MAINTENANC"};
        for (int i = 0; i < serials.size(); ++i)
            list.rows.push_back({QString::number(i + 1), serials[i], users[i],
                                 rt::GeneralDate(Latest.addSeconds(-86400LL * 40 * i))});
        rig.form.choosePrinter = [](const QStringList&, const QString&) { return 1; };
        rig.dialogs.fileNames.push_back(file);
        rig.form.DataType = 4;
        rig.form.Table = &list;
        rig.form.Form_Load();
        rig.form.GoPrinter();
        ASSERT_TRUE(QFileInfo::exists(file));
        const QString folder = QCoreApplication::applicationDirPath() + "/pictures";
        QDir().mkpath(folder);
        const QString name = folder + "/report-last-calibration-" + tag;
        QProcess p;
        p.start("pdftoppm", {"-r", "100", "-png", "-singlefile", "-f", "1", "-l", "1", file, name});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_TRUE(QFileInfo::exists(name + ".png"));
    }
}

}  // namespace
