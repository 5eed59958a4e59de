#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "mainwindow/settings/SettingsRecord.h"
#include "runtime/Format.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/TempProgramFolder.h"

namespace {

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

TEST(SettingsRecord, AFileThatCannotBeWrittenIsToldAndTheDownloadStillSucceeds) {
    // "Get and save" is a button of the "-R" switch.
    testsupport::InstrumentWindow w(testsupport::FakeQM73::Typical(),
                                    [](testsupport::WindowRig&) { core::SwitchR = true; });
    const QString path =
        settings::SettingsRecordPath(w.rig.folder.path(), core::FactoryRecordSuffix);
    ASSERT_TRUE(QDir().mkpath(path));  // a folder where the file should be
    ASSERT_TRUE(w.connect());
    w.click(10);  // get and save
    w.tick(20);
    const QStringList lines = w.statusTexts();
    bool told = false;
    for (const QString& line : lines)
        told = told || line.startsWith("The settings record file");
    EXPECT_TRUE(told) << lines.join('\n').toStdString();
    EXPECT_NE(w.window->instrument().CommFlags(), 0);
    // Written when it can be.
    QDir(path).removeRecursively();
    w.click(10);
    w.tick(20);
    EXPECT_TRUE(QFileInfo(path).isFile());
}

}  // namespace
