#include <gtest/gtest.h>

#include <functional>

#include "core/ClsInstrument.h"
#include "runtime/RuntimeError.h"

using core::clsInstrument;
using core::GasFlag;
using core::InstrumentFlag;

namespace {

bool anyFlagRaised(const clsInstrument& inst) {
    for (int f = 0; f < static_cast<int>(InstrumentFlag::Count); ++f)
        if (inst.Change(static_cast<InstrumentFlag>(f))) return true;
    for (int g = 0; g < clsInstrument::GasCount; ++g)
        for (int f = 0; f < static_cast<int>(GasFlag::Count); ++f)
            if (inst.Change(static_cast<GasFlag>(f), g)) return true;
    return false;
}

}  // namespace

TEST(clsInstrument, NewObjectDefaults) {
    const clsInstrument inst;
    EXPECT_EQ(inst.UserID(), "*");
    EXPECT_EQ(inst.SerialNo(), "*");
    EXPECT_EQ(inst.DummySerial(), "*");
    EXPECT_EQ(inst.AlarmO2(), 1);
    EXPECT_EQ(inst.LowTemp(), -101);
    EXPECT_EQ(inst.HighTemp(), -101);
    EXPECT_EQ(inst.SpecType(), "0");
    EXPECT_EQ(inst.SpanOffset(), "0");
    EXPECT_EQ(inst.CommFlags(), 0);
    EXPECT_EQ(inst.SysDate().value(), 0.0);
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(inst.GasDesit(g), 1.0f);
        EXPECT_EQ(inst.GasFullScale(g), 0.0f);
        EXPECT_FALSE(inst.GasEnabled(g));
        for (float v :
             {inst.Warning(g), inst.Alarm(g), inst.Stel(g), inst.Twa(g), inst.CalibBefore(g),
              inst.CalibAfter(g), inst.AutoCalib(g), inst.ModeChange(g)})
            EXPECT_EQ(v, -101.0f);
        EXPECT_EQ(inst.CalibDate(g).toDateTime().toString(Qt::ISODate),
                  QDateTime(QDate(1899, 9, 20), QTime(0, 0), Qt::UTC).toString(Qt::ISODate));
    }
    // The spare record stays zero.
    EXPECT_EQ(inst.Alarm(5), 0.0f);
    EXPECT_FALSE(anyFlagRaised(inst));
}

// Each assignment and the flag it raises.
TEST(clsInstrument, AssignmentsRaiseTheirFlags) {
    using Set = std::function<void(clsInstrument&)>;
    const std::vector<std::pair<Set, InstrumentFlag>> cases = {
        {[](clsInstrument& i) { i.setUserID("U1"); }, InstrumentFlag::Change_UserID},
        {[](clsInstrument& i) { i.setSerialNo("S1"); }, InstrumentFlag::Change_SerialNo},
        {[](clsInstrument& i) { i.setDummySerial("D1"); }, InstrumentFlag::Change_DummySerial},
        {[](clsInstrument& i) { i.setAlarmMode(0); }, InstrumentFlag::Change_AlarmMode},
        {[](clsInstrument& i) { i.setIntervals(60); }, InstrumentFlag::Change_Interval},
        {[](clsInstrument& i) { i.setDispID(0); }, InstrumentFlag::Change_DispID},
        {[](clsInstrument& i) { i.setDispCalLimit(0); }, InstrumentFlag::Change_DispCalLimit},
        {[](clsInstrument& i) { i.setCalLimit(0); }, InstrumentFlag::Change_CalLimit},
        {[](clsInstrument& i) { i.setCalCheck(0); }, InstrumentFlag::Change_CalCheck},
        {[](clsInstrument& i) { i.setLunchBreak(0); }, InstrumentFlag::Change_LunchBreak},
        {[](clsInstrument& i) { i.setAlarmSilence(0); }, InstrumentFlag::Change_AlarmSilence},
        {[](clsInstrument& i) { i.setConfermation(0); }, InstrumentFlag::Change_Confermation},
        {[](clsInstrument& i) { i.setLogOverWrite(0); }, InstrumentFlag::Change_LogOverWrite},
        {[](clsInstrument& i) { i.setLcdBackLight(0); }, InstrumentFlag::Change_LcdBackLight},
        {[](clsInstrument& i) { i.setLcdContrast(0); }, InstrumentFlag::Change_LcdContrast},
        {[](clsInstrument& i) { i.setAlarmO2(1); }, InstrumentFlag::Change_AlarmO2},
        {[](clsInstrument& i) { i.setIntermittence(5); }, InstrumentFlag::Change_Intermittence},
        {[](clsInstrument& i) { i.setH2STemperature(0); }, InstrumentFlag::Change_H2STemperature},
        {[](clsInstrument& i) { i.setSpecType("0"); }, InstrumentFlag::Change_SpecType},
        {[](clsInstrument& i) { i.setSpanOffset("0"); }, InstrumentFlag::Change_SpanOffset},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        clsInstrument inst;
        cases[n].first(inst);
        for (int f = 0; f < static_cast<int>(InstrumentFlag::Count); ++f)
            EXPECT_EQ(inst.Change(static_cast<InstrumentFlag>(f)),
                      static_cast<InstrumentFlag>(f) == cases[n].second)
                << "case " << n << " flag " << f;
    }
}

TEST(clsInstrument, PerGasAssignmentsRaiseOnlyTheirGasFlag) {
    using Set = std::function<void(clsInstrument&, int)>;
    const std::vector<std::pair<Set, GasFlag>> cases = {
        {[](clsInstrument& i, int g) { i.setGasPoint(g, 1); }, GasFlag::Change_GasPoint},
        {[](clsInstrument& i, int g) { i.setGasEnabled(g, true); }, GasFlag::Change_GasEnable},
        {[](clsInstrument& i, int g) { i.setWarning(g, 10); }, GasFlag::Change_Warn},
        {[](clsInstrument& i, int g) { i.setAlarm(g, 20); }, GasFlag::Change_Alarm},
        {[](clsInstrument& i, int g) { i.setStel(g, 5); }, GasFlag::Change_Stel},
        {[](clsInstrument& i, int g) { i.setTwa(g, 1); }, GasFlag::Change_Twa},
        {[](clsInstrument& i, int g) { i.setAutoCalib(g, 50); }, GasFlag::Change_AutoCal},
        {[](clsInstrument& i, int g) { i.setZero(g, 3); }, GasFlag::Change_Zero},
        {[](clsInstrument& i, int g) { i.setOverScale(g, 1); }, GasFlag::Change_OverScale},
        {[](clsInstrument& i, int g) { i.setModeChange(g, 2); }, GasFlag::Change_ModeChange},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        clsInstrument inst;
        cases[n].first(inst, 2);
        for (int g = 0; g < 5; ++g)
            for (int f = 0; f < static_cast<int>(GasFlag::Count); ++f)
                EXPECT_EQ(inst.Change(static_cast<GasFlag>(f), g),
                          g == 2 && static_cast<GasFlag>(f) == cases[n].second)
                    << "case " << n << " gas " << g << " flag " << f;
    }
    // Members without a flag raise nothing.
    clsInstrument inst;
    inst.setGasName(0, "CO");
    inst.setGasDesit(0, 0.5f);
    inst.setGasFullScale(0, 500);
    inst.setGasUnit(0, "ppm");
    inst.setCalibBefore(0, 1);
    inst.setSensorID(0, "S-1");
    EXPECT_FALSE(anyFlagRaised(inst));
    EXPECT_EQ(inst.GasName(0), "CO");
}

TEST(clsInstrument, IndexRules) {
    clsInstrument inst;
    // Guarded members: outside 0..4 reads give zero values, writes do nothing.
    inst.setGasName(5, "X");
    inst.setGasName(-1, "X");
    EXPECT_EQ(inst.GasName(5), "");
    EXPECT_EQ(inst.GasName(-1), "");
    EXPECT_EQ(inst.GasDesit(5), 0.0f);
    EXPECT_EQ(inst.CalibDate(7).value(), 0.0);
    inst.setGasPoint(5, 2);
    EXPECT_FALSE(inst.Change(GasFlag::Change_GasPoint, 5));
    EXPECT_NO_THROW(inst.setChange(GasFlag::Change_Zero, 9, true));
    // Spare-inclusive members reach record 5 and raise outside 0..5.
    inst.setAlarm(5, 50);
    EXPECT_EQ(inst.Alarm(5), 50.0f);
    EXPECT_FALSE(anyFlagRaised(inst));  // record 5's flag cannot be read
    for (int bad : {6, -1}) {
        try {
            inst.setAlarm(bad, 1);
            ADD_FAILURE();
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrSubscript);
        }
        EXPECT_THROW((void)inst.Warning(bad), rt::RuntimeError);
        EXPECT_THROW((void)inst.Stel(bad), rt::RuntimeError);
        EXPECT_THROW(inst.setTwa(bad, 1), rt::RuntimeError);
    }
    // Arrays.
    inst.setAnalogValue(8, 1234);
    EXPECT_EQ(inst.AnalogValue(8), 1234);
    EXPECT_THROW(inst.setAnalogValue(9, 1), rt::RuntimeError);
    inst.setLimitValue(5, 2.5f);
    EXPECT_EQ(inst.LimitValue(5), 2.5f);
    EXPECT_THROW((void)inst.LimitValue(6), rt::RuntimeError);
}

TEST(clsInstrument, IdentityKeepsTheKeyForm) {
    clsInstrument inst;
    inst.setUserID("  AB 1  ");
    EXPECT_EQ(inst.UserID(), "AB 1");
    EXPECT_TRUE(inst.Change(InstrumentFlag::Change_UserID));
    inst.setChange(InstrumentFlag::Change_UserID, false);
    inst.setUserID("   ");
    EXPECT_EQ(inst.UserID(), "*");
    EXPECT_TRUE(inst.Change(InstrumentFlag::Change_UserID));
}

TEST(clsInstrument, IntervalsRaiseOnlyOnChangeCalLimitAlways) {
    clsInstrument inst;
    inst.setIntervals(0);
    inst.setIntermittence(0);
    EXPECT_FALSE(inst.Change(InstrumentFlag::Change_Interval));
    EXPECT_FALSE(inst.Change(InstrumentFlag::Change_Intermittence));
    inst.setCalLimit(inst.CalLimit());
    EXPECT_TRUE(inst.Change(InstrumentFlag::Change_CalLimit));
    inst.setIntervals(10);
    inst.setChange(InstrumentFlag::Change_Interval, false);
    inst.setIntervals(10);
    EXPECT_FALSE(inst.Change(InstrumentFlag::Change_Interval));
    EXPECT_EQ(inst.Intervals(), 10);
}

TEST(clsInstrument, ClearDatasKeepsSettingsAndStatisticsAndLowersFlags) {
    clsInstrument inst;
    inst.setAlarmMode(2);
    inst.setLcdBackLight(30);
    inst.setCalLimit(90);
    inst.setFailLine("HC,R");
    inst.setSUM("ABCD");
    inst.setRomNumber(1234);
    inst.setUserID("U");
    inst.setIntervals(60);
    inst.setLowTemp(-10);
    inst.setAnalogValue(0, 1500);
    for (int g = 0; g < 5; ++g) {
        inst.setGasUnit(g, "ppm");
        inst.setGasFullScale(g, 100);
        inst.setSensorID(g, "S");
        inst.setLogMax(g, 9);
        inst.setLogMaxDate(g, rt::OleDate(45000));
        inst.setGasName(g, "CO");
        inst.setAlarm(g, 35);
        inst.setGasPoint(g, 1);
    }
    inst.setAlarm(5, 7);
    inst.ClearDatas();
    EXPECT_EQ(inst.AlarmMode(), 2);
    EXPECT_EQ(inst.LcdBackLight(), 30);
    EXPECT_EQ(inst.CalLimit(), 90);
    EXPECT_EQ(inst.FailLine(), "HC,R");
    EXPECT_EQ(inst.SUM(), "ABCD");
    EXPECT_EQ(inst.AnalogValue(0), 1500);
    EXPECT_EQ(inst.RomNumber(), 0);
    EXPECT_EQ(inst.UserID(), "*");
    EXPECT_EQ(inst.Intervals(), 0);
    EXPECT_EQ(inst.LowTemp(), -101);
    EXPECT_EQ(inst.Alarm(5), 7.0f);
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(inst.GasUnit(g), "ppm");
        EXPECT_EQ(inst.GasFullScale(g), 100.0f);
        EXPECT_EQ(inst.SensorID(g), "S");
        EXPECT_EQ(inst.LogMax(g), 9.0f);
        EXPECT_EQ(inst.LogMaxDate(g).value(), 45000.0);
        EXPECT_EQ(inst.GasName(g), "");
        EXPECT_EQ(inst.Alarm(g), -101.0f);
        EXPECT_EQ(inst.GasPoint(g), 0);
    }
    EXPECT_FALSE(anyFlagRaised(inst));
}
