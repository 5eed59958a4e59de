#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <functional>

#include "platform/FileSteps.h"

#include "mainwindow/settings/SettingsRecord.h"
#include "runtime/Format.h"
#include "tests/support/Files.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/KillPoints.h"
#include "tests/support/TempProgramFolder.h"

namespace {

using testsupport::readFile;
using testsupport::writeFile;

// An instrument with every recorded setting known.
core::clsInstrument known() {
    core::clsInstrument inst;
    inst.setSerialNo(QStringLiteral("SN01"));
    inst.setUserID(QStringLiteral("U, 1"));  // a comma: quoted
    inst.setIntervals(60);
    inst.setSensorID(3, QStringLiteral("S\"9"));
    inst.setDummySerial(QStringLiteral("M1"));
    inst.setAlarmMode(1);
    inst.setConfermation(30);
    inst.setLogOverWrite(1);
    inst.setDispCalLimit(0);
    inst.setCalCheck(1);
    inst.setSpecType(QStringLiteral("1"));
    inst.setSpanOffset(QStringLiteral("0"));
    inst.setCalLimit(180);
    inst.setGasName(3, QStringLiteral("CO"));
    inst.setGasUnit(3, QStringLiteral("ppm"));
    inst.setGasFullScale(3, 500);
    inst.setGasPoint(3, 1);
    inst.setWarning(3, 25);
    inst.setAlarm(3, 50.5f);
    inst.setStel(3, -101);
    inst.setTwa(3, 12);
    inst.setAutoCalib(3, 100);
    inst.setCalibDate(3, *rt::OleDate::fromCivil(2026, 5, 1, 9, 0, 0));
    inst.setCalibBefore(3, 98.5f);
    inst.setCalibAfter(3, 100);
    inst.setSysDateOffset(rt::OleDate(1.0 / 24));  // the instrument an hour behind
    return inst;
}

TEST(SettingsRecord, AKnownInstrumentsLineAndTheHeaderOfANewFile) {
    testsupport::TempProgramFolder folder;
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 7, 1, 12, 0, 0);
    const QString path = settings::SettingsRecordPath(folder.path(), QString());
    EXPECT_EQ(QFileInfo(path).fileName(), "QM-73_Setting.csv");
    const core::clsInstrument inst = known();
    QString error;
    ASSERT_TRUE(settings::AppendSettingsRecord(path, inst, now, &error)) << error.toStdString();
    ASSERT_TRUE(settings::AppendSettingsRecord(path, inst, now, &error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two records, the empty rest
    EXPECT_EQ(lines[0],
              "PC Date/Time,QM-73 Date/Time,Serial No.,User ID,Interval Trend Time (Sec),Sensor "
              "Serial No,Manufacture number,Alarm pattern,Confermation Beep(0-3600sec),Logger "
              "Over Write,Cal.Limit Display,Cal.Limit Check,Destination,Span Compensation,"
              "Cal.Interval(Days),Gas,Warning,Alarm,STEL,TWA,Auto Cal.,Last Calibration Date,"
              "Before Last Calibration,After Last Calibration\r");
    const QString calibrated = rt::GeneralDate(*rt::OleDate::fromCivil(2026, 5, 1, 9, 0, 0));
    const QString expected =
        "2026/07/01 12:00:00,2026/07/01 11:00:00,SN01,\"U, 1\",60,\"S\"\"9\",M1,Keep,30,ON,OFF,"
        "Can't use,Foreign,OFF,180,CO(500.0ppm),25.0,50.5,-----,12.0,100.0," +
        (calibrated.contains(',') ? "\"" + calibrated + "\"" : calibrated) + ",98.5,100.0\r";
    EXPECT_EQ(QString::fromUtf8(lines[1]), expected);
    EXPECT_EQ(lines[2], lines[1]);
}

TEST(SettingsRecord, TheSuffixStaysInTheFolderAndTheLocaleKeepsItsPoint) {
    testsupport::TempProgramFolder folder;
    for (const char* suffix : {"_A", "../../evil", "x/y", "a\\b"}) {
        const QString path = settings::SettingsRecordPath(folder.path(), suffix);
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder.path()).absoluteFilePath())
            << suffix;
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith("QM-73_Setting")) << suffix;
    }
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList fields = settings::SettingsRecordFields(known(), rt::OleDate::now());
    QLocale::setDefault(before);
    EXPECT_EQ(fields.at(17), "50.5");
}

// The line as written, and the file's header.
QByteArray lineOf(const core::clsInstrument& inst, rt::OleDate now) {
    return settings::CsvLine(settings::SettingsRecordFields(inst, now)).toUtf8();
}
QByteArray header() {
    return settings::CsvLine(settings::SettingsRecordCaptions()).toUtf8();
}

// The line is on the disk before the append says so: a power cut after it keeps it, in a new
// file as in one appended to; a kill or a power cut before leaves the file as it was or with
// the line whole.
TEST(SettingsRecord, TheLineIsOnTheDiskWhenTheAppendReturns) {
    testsupport::TempProgramFolder folder;
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 7, 1, 12, 0, 0);
    const QString path = settings::SettingsRecordPath(folder.path(), "_A");
    const QString name = QFileInfo(path).fileName();
    const core::clsInstrument inst = known();
    QByteArray before;
    for (int lines = 1; lines <= 2; ++lines) {
        SCOPED_TRACE(lines);
        const QByteArray after = header() + lineOf(inst, now).repeated(lines);
        testsupport::KillPoints points(folder.path());
        QString error;
        ASSERT_TRUE(settings::AppendSettingsRecord(path, inst, now, &error)) << error.toStdString();
        points.stop();
        size_t synced = 0;
        for (const auto& point : points.points()) {
            synced += point.step == platform::FileStep::SyncFile && point.path == path ? 1 : 0;
            for (const QString& state : point.states()) {
                const QByteArray found = readFile(state + "/" + name);
                EXPECT_TRUE(found == before || found == after) << found.toStdString();
            }
        }
        EXPECT_EQ(synced, 1u);
        for (const QString& state : points.endStates())
            EXPECT_EQ(readFile(state + "/" + name), after);
        before = after;
    }
}

// A step the disk refuses (the write, the sync of the file, the sync of its folder for a new
// file) is told with its reason: the line does not count as written.
TEST(SettingsRecord, ARefusedWriteOrSyncIsToldWithItsReason) {
    const struct {
        platform::FileStep step;
        int error;
    } cases[] = {{platform::FileStep::Write, ENOSPC},
                 {platform::FileStep::SyncFile, EIO},
                 {platform::FileStep::SyncFolder, EIO}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        testsupport::TempProgramFolder folder;
        const QString path = settings::SettingsRecordPath(folder.path(), QString());
        platform::setFileStepWatcher(
            [&](platform::FileStep step, const QString&) { return step == c.step ? c.error : 0; });
        QString error;
        const bool written =
            settings::AppendSettingsRecord(path, known(), rt::OleDate::now(), &error);
        platform::setFileStepWatcher({});
        EXPECT_FALSE(written);
        EXPECT_TRUE(error.contains(qt_error_string(c.error))) << error.toStdString();
    }
}

// A line that a kill or a full disk cut short keeps its own line: the next one starts a line
// of its own, and what the file holds stays as it is.
TEST(SettingsRecord, ALineCutShortIsNotGluedToTheNext) {
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 7, 1, 12, 0, 0);
    const QByteArray line = lineOf(known(), now);
    const struct {
        const char* what;
        QByteArray held, ends;  // what the file holds, and the end that its last line gets
    } cases[] = {{"cut in the middle", header() + line.left(25), "\r\n"},
                 {"cut between CR and LF", header() + line.chopped(1), "\n"},
                 {"whole", header() + line, ""},
                 {"lines ended by LF alone", "a,b\nc,d\n", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempProgramFolder folder;
        const QString path = settings::SettingsRecordPath(folder.path(), QString());
        writeFile(path, c.held);
        QString error;
        ASSERT_TRUE(settings::AppendSettingsRecord(path, known(), now, &error));
        EXPECT_EQ(readFile(path), c.held + c.ends + line);
    }
}

// A record that cannot be written (a folder where the file should be, a sync that the disk
// refuses) is told with its reason in the status log; the download still succeeds, and the
// record is written once it can be.
TEST(SettingsRecord, AFileThatCannotBeWrittenIsToldAndTheDownloadStillSucceeds) {
    const struct {
        const char* what;
        std::function<void(const QString&path)> make, mend;
        QString reason;
    } cases[] = {
        {"a folder in the way", [](const QString& path) { QDir().mkpath(path); },
         [](const QString& path) { QDir(path).removeRecursively(); }, QString()},
        {"a refused sync",
         [](const QString& path) {
             platform::setFileStepWatcher([path](platform::FileStep step, const QString& p) {
                 return step == platform::FileStep::SyncFile && p == path ? EIO : 0;
             });
         },
         [](const QString&) { platform::setFileStepWatcher({}); }, qt_error_string(EIO)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // "Get and save" is a button of the "-R" switch.
        testsupport::InstrumentWindow w(testsupport::FakeQM73::Typical(),
                                        [](testsupport::WindowRig&) { core::SwitchR = true; });
        const QString path =
            settings::SettingsRecordPath(w.rig.folder.path(), core::FactoryRecordSuffix);
        c.make(path);
        ASSERT_TRUE(w.connect());
        w.click(10);  // get and save
        w.tick(20);
        c.mend(path);
        const QStringList lines = w.statusTexts();
        bool told = false;
        for (const QString& line : lines)
            told = told ||
                   (line.startsWith("The settings record file " + path) && line.contains(c.reason));
        EXPECT_TRUE(told) << lines.join('\n').toStdString();
        EXPECT_NE(w.window->instrument().CommFlags(), 0);
        // Written when it can be.
        w.click(10);
        w.tick(20);
        EXPECT_TRUE(QFileInfo(path).isFile());
        EXPECT_TRUE(readFile(path).endsWith("\r\n"));
    }
}

}  // namespace
