#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "core/ModMain.h"
#include "core/Settings.h"
#include "graph/uclZvdGraph.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "tests/support/FifoRescue.h"
#include "tests/support/FilePermissions.h"
#include "tests/support/KillPoints.h"
#include "tests/support/TempProgramFolder.h"

using namespace core;

namespace {

// The main window as far as the settings file sees it.
class FakeWindow : public SettingsWindow {
  public:
    int16_t state = 0;
    float width = 9000, height = 6000;
    int16_t checks[3] = {0, 1, 0};
    graph::uclZvdGraph graph;
    bool failReads = false;

    int16_t WindowState() const override { return state; }
    void setWindowState(int16_t s) override {
        if (s < 0 || s > 2) throw rt::RuntimeError(380, "Invalid property value");
        state = s;
    }
    float Width() const override {
        if (failReads) throw rt::RuntimeError(380, "Invalid property value");
        return width;
    }
    void setWidth(float w) override { width = w; }
    float Height() const override { return height; }
    void setHeight(float h) override { height = h; }
    int16_t chkLog(int i) const override { return checks[i]; }
    void setChkLog(int i, int16_t v) override { checks[i] = v; }
    GraphColorProperties& zvdGraph() override { return graph; }
};

// Starting values as the main window gives them before reading the file.
void resetSettings() {
    ExecuteCount = 0;
    SerialLogEnabled = false;
    FactoryRecordSuffix.clear();
    IrCommNum = 4;
    CommSettings = QStringLiteral("921600,n,8,1");
    TimeoutSeconds = 3;
    RetryLimit = 3;
    AutoCalibrationMode = AutoLoadMode = AutoRemoveData = false;
    SettingsFont = StdFont{false, 0, false, QStringLiteral("Sans"), 9.0, false, false, 400};
    GraphColors.fill(0);
    LimitDays = 0;
    CalibRange.fill(0);
    PrintLineWidths.fill(1);
    CalUnitOnWait = 45;
    CalSpanOnWait = 90;
    CalSpanOffWait = 45;
    CompletelyView = false;
    TrendSearchBefore = -30;
    TrendSearchAfter = 45;
    SettingsPassword = QStringLiteral("start");
    DefaultInstrument = clsInstrument();
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override { resetSettings(); }
    void TearDown() override { resetSettings(); }

    QString path() const { return folder.paths().settingsFile(); }
    void write(const QByteArray& content) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray read() const {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    testsupport::TempProgramFolder folder;
    FakeWindow window;
};

}  // namespace

TEST(Password, ScramblingExamples) {
    EXPECT_EQ(ScrambleText("abc"), "GLILKL");
    EXPECT_EQ(EncodePassword("abc"), "MJSJQJUJUJGK");
    EXPECT_EQ(UnscrambleText("GLILKL"), "abc");
    EXPECT_EQ(DecodePassword("MJSJQJUJUJGK"), "abc");
    EXPECT_EQ(UnscrambleText("GLILKLX"), "abc");  // a last unpaired character is ignored
    EXPECT_EQ(EncodePassword(""), "");
    for (const QString& p : {QStringLiteral("Pa55 w;rd'\t"), QStringLiteral("caf\u00e9"),
                             QStringLiteral("\u30d1\u30b9")}) {
        const QString stored = EncodePassword(p);
        EXPECT_EQ(stored.size() % 2, 0);
        for (QChar c : stored)
            EXPECT_GE(c.unicode(), 70);
        EXPECT_EQ(DecodePassword(stored), p);
    }
    EXPECT_THROW(UnscrambleText("!!"), rt::RuntimeError);
}

TEST_F(SettingsFile, ReadsEveryKey) {
    write(
        "; comment\r\n"
        "\r\n"
        "Execute Count\t41\r\n"
        "Serial Log File\ton\r\n"
        "Factory Record Suffix\tF01\r\n"
        "IrCOMM Num\t7\r\n"
        "COMM Settings\t9600,n,8,1\r\n"
        "Timeout\t5\r\n"
        "Retry\t6\r\n"
        "Auto Load Mode\tTrue\tTRUE\tfalse\r\n"
        "Font\t'IPA Gothic'\t11.25\tTrue\tFalse\ttrue\r\n"
        "Graph Color\t1\t15790320\t16728128\t255\t65280\r\n"
        "LIMITDAYS\t180\r\n"
        "Calib. Range\t12.5\t13.5\t0\t100\r\n"
        "DefaultValue1\t60\t20\t7\t2\t10\tTrue\tFalse\t1\r\n"
        "DefaultValue2\t1\t2\t0\t0\t200\r\n"
        "CalUnitOnWait\t100\r\n"
        "CalSpanOnWait\t110\r\n"
        "CalSpanOffWait\t20\r\n"
        "Data Select\tTrue\tTrue\r\n"
        "Size Values\t2\t12000\t8000.5\r\n"
        "Prt Width\t2\t0.5\r\n"
        "Completely View\tTrue\r\n"
        "Trend Search\t-60\t90\r\n"
        "QM-73\tMJSJQJUJUJGK\r\n");
    LoadSettings(path(), window);
    EXPECT_EQ(ExecuteCount, 41);
    EXPECT_TRUE(SerialLogEnabled);
    EXPECT_EQ(FactoryRecordSuffix, "F01");
    EXPECT_EQ(IrCommNum, 7);
    EXPECT_EQ(CommSettings, "921600,n,8,1");  // never read back
    EXPECT_EQ(TimeoutSeconds, 5);
    EXPECT_EQ(RetryLimit, 6);
    EXPECT_TRUE(AutoCalibrationMode);
    EXPECT_TRUE(AutoLoadMode);
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(SettingsFont.name, "IPA Gothic");
    EXPECT_EQ(SettingsFont.size, 11.25);
    EXPECT_TRUE(SettingsFont.bold);
    EXPECT_FALSE(SettingsFont.italic);
    EXPECT_TRUE(SettingsFont.underline);
    EXPECT_EQ(window.graph.ScaleColor(), 1);
    EXPECT_EQ(window.graph.BackColor(), 0xF0F0F0);
    EXPECT_EQ(window.graph.CursorColor(), 0xFF4040);
    EXPECT_EQ(GraphColors[3], 255);
    EXPECT_EQ(GraphColors[4], 65280);
    EXPECT_EQ(LimitDays, 180);
    EXPECT_EQ(CalibRange[0], 12.0f);  // whole numbers, half to even
    EXPECT_EQ(CalibRange[1], 14.0f);
    EXPECT_EQ(CalibRange[3], 100.0f);
    const clsInstrument& d = DefaultInstrument;
    EXPECT_EQ(d.CalLimit(), 60);
    EXPECT_EQ(d.LcdBackLight(), 20);
    EXPECT_EQ(d.LcdContrast(), 7);
    EXPECT_EQ(d.AlarmMode(), 2);
    EXPECT_EQ(d.Intervals(), 10);
    EXPECT_EQ(d.DispID(), -1);
    EXPECT_EQ(d.DispCalLimit(), 0);
    EXPECT_EQ(d.CalCheck(), 1);
    EXPECT_EQ(d.LunchBreak(), 1);
    EXPECT_EQ(d.Confermation(), 2);
    EXPECT_EQ(d.AlarmSilence(), 0);
    EXPECT_EQ(d.LogOverWrite(), 0);
    EXPECT_EQ(d.FlowValue(), 200);
    EXPECT_TRUE(d.Change(InstrumentFlag::Change_CalLimit));  // set through its properties
    EXPECT_TRUE(d.Change(InstrumentFlag::Change_Interval));
    EXPECT_EQ(CalUnitOnWait, 100);
    EXPECT_EQ(CalSpanOnWait, 110);
    EXPECT_EQ(CalSpanOffWait, 20);
    EXPECT_EQ(window.checks[0], 1);
    EXPECT_EQ(window.checks[1], 0);
    EXPECT_EQ(window.checks[2], 1);
    EXPECT_EQ(window.state, 2);
    EXPECT_EQ(window.width, 12000.0f);
    EXPECT_EQ(window.height, 8000.5f);
    EXPECT_EQ(PrintLineWidths[0], 2.0f);
    EXPECT_EQ(PrintLineWidths[1], 0.5f);
    EXPECT_TRUE(CompletelyView);
    EXPECT_EQ(TrendSearchBefore, -60);
    EXPECT_EQ(TrendSearchAfter, 90);
    EXPECT_EQ(SettingsPassword, "abc");
}

TEST_F(SettingsFile, NonNumericValuesTakeTheReaderDefaults) {
    write(
        "IrCOMM Num\tx\nTimeout\t?\nRetry\t\t\nSize Values\tmax\twide\ttall\n"
        "DefaultValue2\ta\tb\tc\td\te\nGraph Color\tr\tg\tb\tc\td\n");
    LoadSettings(path(), window);
    EXPECT_EQ(IrCommNum, 4);
    EXPECT_EQ(TimeoutSeconds, 3);
    EXPECT_EQ(RetryLimit, 3);  // "Retry" without a value is skipped
    EXPECT_EQ(window.state, 1);
    EXPECT_EQ(window.width, 7680.0f);
    EXPECT_EQ(window.height, 5760.0f);
    EXPECT_EQ(DefaultInstrument.AlarmSilence(), 1);
    EXPECT_EQ(DefaultInstrument.FlowValue(), 128);
    EXPECT_EQ(window.graph.BackColor(), 0xF0F0F0);
}

TEST_F(SettingsFile, ReadingStopsAtTheFirstBadValueAndSaysWhere) {
    const struct {
        const char* badLine;
    } cases[] = {{"IrCOMM Num\t40000"},     // beyond 16 bits
                 {"Execute Count\t3E10"},   // beyond 32 bits
                 {"Size Values\t7\t1\t1"},  // the window refuses the state
                 {"QM-73\t!!"}};            // not a scrambled text
    for (const auto& c : cases) {
        resetSettings();
        write(QByteArray("; settings\r\nRetry\t9\r\n") + c.badLine + "\r\nTimeout\t8\r\n");
        const std::optional<SettingsDamage> damage = LoadSettings(path(), window);
        EXPECT_EQ(RetryLimit, 9) << c.badLine;
        EXPECT_EQ(TimeoutSeconds, 3) << c.badLine;  // the line after was not read
        ASSERT_TRUE(damage) << c.badLine;
        EXPECT_EQ(damage->lineNumber, 3);
        EXPECT_EQ(damage->line, c.badLine);
        EXPECT_FALSE(damage->reason.isEmpty());
    }
    write("Retry\t9\r\nTimeout\t8\r\n");
    EXPECT_FALSE(LoadSettings(path(), window));
}

// A line far longer than any setting (a bad value, a comment, text without a line end) is never
// read whole: reading stops there, the damage names the line by its number and shows its
// beginning only, and the next save keeps the file's beginning beside the new one.
TEST_F(SettingsFile, AnOverlongLineStopsTheReadingAndIsShownInPart) {
    const QByteArray huge(3 * 1024 * 1024, '7');
    const struct {
        const char* what;
        QByteArray line, shownStart;
        bool lineEnd;
    } cases[] = {
        {"a bad number", "IrCOMM Num\t" + huge, "IrCOMM Num\t7777", true},
        {"a comment", "; " + huge, "; 7777", true},
        {"the last line without its end", "Timeout\t" + huge, "Timeout\t7777", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        resetSettings();
        const QByteArray content =
            "; settings\r\nRetry\t9\r\n" + c.line + (c.lineEnd ? "\r\nRetry\t8\r\n" : "");
        write(content);
        const std::optional<SettingsDamage> damage = LoadSettings(path(), window);
        EXPECT_EQ(RetryLimit, 9);  // the line before it is read, the one after it not
        ASSERT_TRUE(damage);
        EXPECT_EQ(damage->lineNumber, 3);
        EXPECT_TRUE(damage->line.startsWith(QString::fromLatin1(c.shownStart)))
            << damage->line.left(100).toStdString();
        EXPECT_LE(damage->line.size(), 100);
        EXPECT_LE(damage->reason.size(), 200) << damage->reason.left(300).toStdString();
        // The file is left as it is until the settings are next saved, which keeps its
        // beginning.
        EXPECT_EQ(read(), content);
        SaveSettings(path(), window);
        QFile backup(SettingsBackupPath(path()));
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
        EXPECT_TRUE(backup.readAll() == content.left(SettingsBackupLimit));
        backup.close();
        QFile::remove(SettingsBackupPath(path()));
    }
}

// A settings file that is a FIFO is read at once as one that cannot be read: nothing waits for
// a writer, and it is told as unreadable.
TEST_F(SettingsFile, AFifoInThePlaceOfTheFileIsNeverWaitedOn) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    testsupport::FifoRescue rescue(path());
    const std::optional<SettingsDamage> damage = LoadSettings(path(), window);
    ASSERT_TRUE(damage);
    EXPECT_TRUE(damage->unreadable);
    EXPECT_FALSE(rescue.finish()) << "the reading waited on the file";
    EXPECT_EQ(RetryLimit, 3);
}

TEST_F(SettingsFile, SaveAfterADamagedLineKeepsTheOldFileOnce) {
    const QByteArray damaged = "Retry\t9\r\nIrCOMM Num\t40000\r\nTimeout\t8\r\n";
    write(damaged);
    ASSERT_TRUE(LoadSettings(path(), window));
    SaveSettings(path(), window);
    QFile backup(SettingsBackupPath(path()));
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), damaged);
    backup.close();
    EXPECT_TRUE(read().contains("\r\nRetry\t9\r\n"));

    // Later saves leave the backup alone, as does a save after a reading without damage.
    TimeoutSeconds = 7;
    SaveSettings(path(), window);
    EXPECT_FALSE(LoadSettings(path(), window));
    SaveSettings(path(), window);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), damaged);
}

// What stands in the file's place may be of any size (a disk image copied there by mistake):
// the backup keeps its beginning only, so the save takes as long as that of a real file.
TEST_F(SettingsFile, TheBackupOfAHugeDamagedFileKeepsItsBeginningOnly) {
    const QByteArray head = "Retry\t9\r\nIrCOMM Num\t40000\r\nTimeout\t8\r\n";
    write(head);
    {
        // Sparse: no time nor room is spent on making it.
        QFile file(path());
        ASSERT_TRUE(file.resize(qint64(1) << 30));
    }
    ASSERT_TRUE(LoadSettings(path(), window));
    SaveSettings(path(), window);
    QFile backup(SettingsBackupPath(path()));
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.size(), SettingsBackupLimit);
    EXPECT_TRUE(backup.read(head.size()) == head);
    EXPECT_TRUE(read().contains("\r\nRetry\t9\r\n"));
}

TEST_F(SettingsFile, NoBackupWithoutDamage) {
    write("Retry\t9\r\n");
    EXPECT_FALSE(LoadSettings(path(), window));
    SaveSettings(path(), window);
    EXPECT_FALSE(QFile::exists(SettingsBackupPath(path())));
}

TEST_F(SettingsFile, MissingOrCommentOnlyFileChangesNothing) {
    LoadSettings(path(), window);
    EXPECT_EQ(SettingsPassword, "start");
    EXPECT_EQ(IrCommNum, 4);
    write(";\n;            QM-73 Data logger program\n;\n");
    LoadSettings(path(), window);
    EXPECT_EQ(SettingsPassword, "start");
    EXPECT_EQ(window.state, 0);
    EXPECT_EQ(window.checks[1], 1);
}

TEST_F(SettingsFile, ShortKeyLineLeavesMissingValuesAsTheyWere) {
    write(
        "Font\t'Wide Name'\t12\tTrue\tTrue\tTrue\n"
        "Auto Load Mode\tTrue\n"
        "Trend Search\t10\n");
    LoadSettings(path(), window);
    EXPECT_TRUE(AutoCalibrationMode);
    EXPECT_FALSE(AutoLoadMode);  // not taken from the Font line's slots
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(TrendSearchBefore, 10);
    EXPECT_EQ(TrendSearchAfter, 45);
}

TEST_F(SettingsFile, LowerCaseKeyAndCountOnSave) {
    const struct {
        const char* line;
        int32_t read;
        const char* written;
    } cases[] = {{"execute count\t7", 7, "8"},
                 {"Execute Count\t2147483647", 2147483647, "1"},  // starts again at 1
                 {"Execute Count\t-1", -1, "0"}};
    for (const auto& c : cases) {
        resetSettings();
        write(QByteArray(c.line) + "\r\n");
        LoadSettings(path(), window);
        EXPECT_EQ(ExecuteCount, c.read) << c.line;
        SaveSettings(path(), window);
        SaveSettings(path(), window);  // every save of one run writes the same count
        EXPECT_TRUE(read().contains(QByteArray("\r\nExecute Count\t") + c.written + "\r\n"))
            << c.line;
        EXPECT_EQ(ExecuteCount, c.read);
    }
}

TEST_F(SettingsFile, QuotedSuffixRoundTripsExactly) {
    write("Factory Record Suffix\t'A\tB'\r\n");
    LoadSettings(path(), window);
    EXPECT_EQ(FactoryRecordSuffix, "A\tB");

    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 12, 10, 13, 51, 14);
    for (const QString suffix : {"A\tB", "x;y", "F 01"}) {
        resetSettings();
        FactoryRecordSuffix = suffix;
        SaveSettings(path(), window, now);
        const QByteArray first = read();
        EXPECT_TRUE(first.contains("\r\nFactory Record Suffix\t'" + suffix.toUtf8() + "'\r\n"));
        resetSettings();
        LoadSettings(path(), window);
        EXPECT_EQ(FactoryRecordSuffix, suffix);
        SaveSettings(path(), window, now);
        // The same file, but for the run count that every reading and saving raises.
        EXPECT_EQ(read(), QByteArray(first).replace("Execute Count\t1\r", "Execute Count\t2\r"))
            << suffix.toStdString();
    }
}

TEST_F(SettingsFile, ReadsAnOldLatin1File) {
    write("Factory Record Suffix\tCaf\xe9\r\nFont\t'Gr\xfcn'\t9\tFalse\tFalse\tFalse\r\n");
    LoadSettings(path(), window);
    EXPECT_EQ(FactoryRecordSuffix, QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(SettingsFont.name, QStringLiteral("Gr\u00fcn"));
}

TEST_F(SettingsFile, SavedLayoutIsExact) {
    ExecuteCount = 41;
    SerialLogEnabled = true;
    FactoryRecordSuffix = "F01";
    IrCommNum = 5;
    TimeoutSeconds = 0;
    RetryLimit = 4;
    AutoCalibrationMode = true;
    AutoRemoveData = true;
    SettingsFont = StdFont{true, 0, false, "IPA Gothic", 11.25, false, false, 700};
    window.graph.setScaleColor(1);
    window.graph.setBackColor(15790320);
    window.graph.setCursorColor(16728128);
    GraphColors[3] = 255;
    GraphColors[4] = 65280;
    CalibRange = {12, 14, 0, 100, 0};
    clsInstrument& d = DefaultInstrument;
    d.setCalLimit(90);
    d.setLcdBackLight(30);
    d.setLcdContrast(8);
    d.setAlarmMode(1);
    d.setIntervals(5);
    d.setDispID(-1);
    d.setAlarmSilence(1);
    d.setLogOverWrite(1);
    d.setFlowValue(128);
    CalUnitOnWait = 120;
    CalSpanOnWait = 90;
    CalSpanOffWait = 30;
    window.checks[0] = 1;
    window.state = 0;
    window.width = 7680;
    window.height = 5760;
    PrintLineWidths = {1, 2.5f, 0};
    SettingsPassword = "abc";
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 12, 10, 13, 51, 14);

    SaveSettings(path(), window, now);

    const QString expected =
        ";\r\n"
        ";            QM-73 Data logger program\r\n"
        ";      Last update = " +
        rt::GeneralDate(now) +
        "\r\n"
        ";         Delimiter is tab,comma(,) character\r\n"
        ";           This file is changed set menu\r\n"
        ";\r\n"
        "; Copyright (C) Norvane Sensing Co., Ltd.\r\n"
        ";\r\n"
        "\r\n"
        "Execute Count\t42\r\n"
        "Serial Log File\tON\r\n"
        "Factory Record Suffix\t'F01'\r\n"
        "IrCOMM Num\t5\r\n"
        "COMM Settings\t921600,n,8,1\r\n"
        "Timeout\t3\r\n"
        "Retry\t4\r\n"
        "\r\n;\r\n; Formats = Auto calibration, Autoload enable, Auto remove data enable\r\n;\r\n"
        "Auto Load Mode\tTrue\tFalse\tTrue\r\n"
        "\r\n;\r\n; Formats = Name , Size , Bold , Italic , Underline (Font setting)\r\n;\r\n"
        "Font\t'IPA Gothic'\t11.25\tTrue\tFalse\tFalse\r\n"
        "\r\n;\r\n; Formats = Scale , Back , Cursor (RGB) (Color datas), Gas , Temperature "
        "\r\n;\r\n"
        "Graph Color\t1\t15790320\t16728128\t255\t65280\r\n"
        "\r\n;\r\n; Formats = Gas1...Gas4 (Calibration Range ... Serial Value Format)\r\n;\r\n"
        "Calib. Range\t12\t14\t0\t100\r\n"
        "\r\n;\r\n; Gas Instrument Information.\r\n;\r\n"
        "; CalibLimit, BackLightTime, Lcd Contrant, AlarmPattern,   IntervalCycle,  ID Display, "
        "Cal Disp,   Cal Proc\r\n"
        "DefaultValue1\t90\t30\t8\t1\t5\tTrue\tFalse\t0\r\n"
        "; LunchBreak, Confermation, AlarmSilence, Overwrite, FlowDA\r\n"
        "DefaultValue2\t0\t0\t1\t1\t128\r\n"
        ";\r\n;\r\n; Calibration Timer 1 : Cal.Unit On After Zero Calib, Bitween wait time.\r\n"
        "CalUnitOnWait\t120\r\n"
        "; Calibration Timer 2 : Span Gas valve On To Span Calib, Bitween wait time.\r\n"
        "CalSpanOnWait\t90\r\n"
        "; Calibration Timer 3 : Span valve Off After Cal.Unit Off, Bitween wait time.\r\n"
        "CalSpanOffWait\t30\r\n"
        "\r\n; \r\n; Format = SerialNo,UserID\r\n"
        "Data Select\tTrue\tFalse\r\n"
        "\r\n;\r\n; Formats = Form status , Form width , Form height (Twips value)\r\n;\r\n"
        "Size Values\t0\t7680\t5760\r\n"
        "\r\n;\r\n; Formats = Printing Data Line Width, Printing Scale Line Width\r\n;\r\n"
        "Prt Width\t1\t2.5\r\n"
        "\r\n;\r\n; Format = True or False\r\n;\r\n"
        "Completely View\tFalse\r\n"
        "\r\n;\r\n; ; Format = Before Event , After Event\r\n;\r\n"
        "Trend Search\t-30\t45\r\n"
        "\r\n;\r\n"
        "QM-73\tMJSJQJUJUJGK\r\n";
    EXPECT_EQ(QString::fromUtf8(read()), expected);
}

TEST_F(SettingsFile, SaveAndLoadRoundTrip) {
    SettingsFont.name = "Noto Sans CJK";
    SettingsPassword = QStringLiteral("\u79d8\u5bc6 pw");
    LimitDays = 30;
    window.checks[2] = 1;
    window.graph.setCursorColor(0x123456);
    SaveSettings(path(), window);
    const QByteArray saved = read();
    EXPECT_FALSE(saved.contains("LIMITDAYS"));

    resetSettings();
    FakeWindow other;
    LoadSettings(path(), other);
    EXPECT_EQ(SettingsFont.name, "Noto Sans CJK");
    EXPECT_EQ(SettingsPassword, QStringLiteral("\u79d8\u5bc6 pw"));
    EXPECT_EQ(other.checks[2], 1);
    EXPECT_EQ(other.checks[1], 0);
    EXPECT_EQ(other.graph.CursorColor(), 0x123456);
    EXPECT_EQ(TrendSearchBefore, -30);
}

TEST_F(SettingsFile, EmptyTextsAreWrittenAsKeyAndTabAndSkippedOnReading) {
    SettingsPassword.clear();
    FactoryRecordSuffix.clear();
    SaveSettings(path(), window);
    const QByteArray saved = read();
    EXPECT_TRUE(saved.endsWith("\r\nQM-73\t\r\n"));
    EXPECT_TRUE(saved.contains("\r\nFactory Record Suffix\t\r\n"));
    SettingsPassword = "kept";
    FactoryRecordSuffix = "kept";
    LoadSettings(path(), window);
    EXPECT_EQ(SettingsPassword, "kept");
    EXPECT_EQ(FactoryRecordSuffix, "kept");
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFile) {
    write("Retry\t9\r\n");
    window.failReads = true;
    EXPECT_THROW(SaveSettings(path(), window), rt::RuntimeError);
    EXPECT_EQ(read(), "Retry\t9\r\n");

    window.failReads = false;
    const QString nowhere = folder.path() + "/missing/QM73.ini";
    try {
        SaveSettings(nowhere, window);
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrPathAccess);
        EXPECT_TRUE(e.description().contains(nowhere));
    }
    EXPECT_EQ(read(), "Retry\t9\r\n");
}

TEST_F(SettingsFile, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    write("Retry\t9\r\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
    // A save that was cut short left its temporary file, half written.
    QFile stale(SettingsTemporaryPath(path()));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("Retry\t");
    stale.close();

    TimeoutSeconds = 7;
    SaveSettings(path(), window);
    const QByteArray saved = read();
    EXPECT_TRUE(saved.startsWith(";\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\r\nTimeout\t7\r\n"));
    EXPECT_TRUE(saved.endsWith("\r\nQM-73\t" + EncodePassword(SettingsPassword).toUtf8() + "\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QM73.ini"});
    // The file keeps the access the user gave it.
    const QFile::Permissions everyone = {QFile::ReadOwner, QFile::WriteOwner, QFile::ExeOwner,
                                         QFile::ReadGroup, QFile::WriteGroup, QFile::ExeGroup,
                                         QFile::ReadOther, QFile::WriteOther, QFile::ExeOther};
    EXPECT_EQ(QFile::permissions(path()) & everyone, QFile::ReadOwner | QFile::WriteOwner);
}

// A settings file that is a symbolic link stays one: the file it leads to gets the settings,
// written beside it whole. A save cut short there leaves its temporary file beside that file,
// which the next start removes.
TEST_F(SettingsFile, ASettingsFileThatIsALinkStaysOneAndItsTargetGetsTheSettings) {
    QDir().mkpath(folder.path() + "/kept");
    const QString target = folder.path() + "/kept/settings.ini";
    QFile real(target);
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.write("Retry\t9\r\n");
    real.close();
    ASSERT_TRUE(QFile::link("kept/settings.ini", path()));
    LoadSettings(path(), window);
    EXPECT_EQ(RetryLimit, 9);
    TimeoutSeconds = 7;
    SaveSettings(path(), window);
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), target);
    EXPECT_TRUE(read().contains("\r\nTimeout\t7\r\n"));
    EXPECT_EQ(QDir(folder.path() + "/kept").entryList(QDir::Files | QDir::Hidden),
              QStringList{"settings.ini"});

    QFile stale(SettingsTemporaryPath(target));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("Retry\t");
    stale.close();
    RemoveTemporarySettingsFiles(path());
    EXPECT_FALSE(QFileInfo::exists(SettingsTemporaryPath(target)));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(target));
}

// Only the save's own temporary file goes: the user's copies of the settings file stay,
// whatever their names.
TEST_F(SettingsFile, OnlyTheSavesOwnTemporaryFileIsRemoved) {
    const QStringList kept = {"QM73.ini",        "QM73.ini.backup", "QM73.ini.before",
                              "QM73.ini.2024v1", "QM73.ini.a1B2c3", "QM73.ini.bak"};
    for (const QString& name : kept + QStringList{"QM73.ini.tmp"}) {
        QFile f(folder.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Retry\t3\r\n");
    }
    RemoveTemporarySettingsFiles(path());
    QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(left, expected);
}

// A settings file that cannot be read changes nothing, is told with the system's reason, and
// no save writes over it; once it can be read again, saves go on.
TEST_F(SettingsFile, AFileThatCannotBeReadIsToldAndNeverWrittenOver) {
    const QByteArray content = "Execute Count\t77\r\nAuto Load Mode\tTrue\tTrue\tFalse\r\n";
    write(content);
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::WriteOwner));
    std::optional<SettingsDamage> damage;
    {
        const testsupport::FilePermissionsEnforced asAUser;
        damage = LoadSettings(path(), window);
    }
    ASSERT_TRUE(damage);
    EXPECT_TRUE(damage->unreadable);
    EXPECT_EQ(damage->reason, "Permission denied");
    EXPECT_EQ(ExecuteCount, 0);
    EXPECT_FALSE(AutoLoadMode);
    try {
        SaveSettings(path(), window);
        ADD_FAILURE() << "written over";
    } catch (const rt::RuntimeError& e) {
        EXPECT_TRUE(e.description().contains(path())) << e.what();
    }
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(read(), content);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QM73.ini"});

    // Readable again (the user mended its permissions): read, then saved as usual.
    EXPECT_FALSE(LoadSettings(path(), window));
    EXPECT_EQ(ExecuteCount, 77);
    SaveSettings(path(), window);
    EXPECT_TRUE(read().contains("\r\nExecute Count\t78\r\n"));
}

// A save killed at any step, after a read that stopped at a damaged line: the next start finds
// the settings file old or new, whole, its backup absent or whole, and nothing else.
TEST_F(SettingsFile, ASaveKilledAnywhereLeavesTheOldFileOrTheNewOneWhole) {
    const QByteArray old = "Retry\t5\r\nIrCOMM Num\t40000\r\nRetry\t7\r\n";
    write(old);
    ASSERT_TRUE(LoadSettings(path(), window));
    testsupport::KillPoints kills(folder.path());
    SaveSettings(path(), window);
    kills.stop();
    const QByteArray saved = read();
    ASSERT_NE(saved, old);
    EXPECT_GE(kills.points().size(), 6u);
    for (const auto& point : kills.points()) {
        SCOPED_TRACE(point.path.toStdString());
        const QString copy = point.copy + "/QM73.ini";
        RemoveTemporarySettingsFiles(copy);
        QFile ini(copy), backup(SettingsBackupPath(copy));
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        const QByteArray now = ini.readAll();
        EXPECT_TRUE(now == old || now == saved);
        if (backup.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(backup.readAll(), old);
        }
        QStringList files = QDir(point.copy).entryList(QDir::Files | QDir::Hidden);
        files.removeAll("QM73.ini.bak");
        EXPECT_EQ(files, QStringList{"QM73.ini"});
    }
}
