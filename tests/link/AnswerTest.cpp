#include <gtest/gtest.h>

#include <QCoreApplication>

#include "link/Frame.h"
#include "tests/support/EndToEndHost.h"

using comm::uclVyif;
using testsupport::EndToEndHost;

namespace {

// A connected link whose instrument answers the next request with `body` (once, and then
// keeps quiet, so a refused answer ends in Status 7 after the resends).
class Answers : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host.connect());
        host.link.setRetry(0);
        host.link.setInstrument(&inst);
    }
    bool answer(const QString& request, const QString& body, int32_t waiting = 4) {
        host.port.engine.responder = [body](const QString&) {
            return std::optional<QStringList>(QStringList{body});
        };
        host.link.setStatus(waiting);
        host.link.DataSend(comm::BuildFrame(request, comm::EOT), true);
        host.pump.waitWhile([&] { return host.link.Status() == waiting; });
        return host.link.Status() == uclVyif::StatusDone;
    }
    QString log() const {
        QFile f(host.folder.paths().serialLog());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    EndToEndHost host;
    core::clsInstrument inst;
};

}  // namespace

TEST_F(Answers, SettingReads) {
    EXPECT_TRUE(answer("XP,R,", "XP,R,1E"));
    EXPECT_EQ(inst.Intervals(), 30);
    EXPECT_TRUE(answer("AP,R,", "AP,R,12"));
    EXPECT_EQ(inst.AlarmMode(), 12);
    EXPECT_FALSE(answer("AP,R,", "AP,R,x"));
    EXPECT_EQ(inst.AlarmMode(), 12);
    EXPECT_FALSE(answer("UJ,R,", "UJ,R,2"));
    EXPECT_TRUE(answer("UJ,R,", "UJ,R,1"));
    EXPECT_EQ(inst.SpecType(), "1");
    EXPECT_TRUE(answer("XI,R,", "XI,R,1"));
    EXPECT_EQ(inst.DispID(), -1);
    EXPECT_TRUE(answer("XZ,R,", "XZ,R,  AB 1  "));
    EXPECT_EQ(inst.UserID(), "AB 1");
}

TEST_F(Answers, PerChannelValues) {
    inst.setGasPoint(3, 1);
    EXPECT_FALSE(answer("A1,R,", "A1,R,1,2,3"));
    EXPECT_FALSE(answer("A1,R,", "A1,R,1,2,3,4,5"));
    EXPECT_EQ(inst.Warning(0), -101.0f);
    EXPECT_FALSE(answer("A1,R,", "A1,R,1,2,xx,40"));
    EXPECT_EQ(inst.Warning(0), 1.0f);
    EXPECT_EQ(inst.Warning(1), 2.0f);
    EXPECT_EQ(inst.Warning(2), -101.0f);
    EXPECT_EQ(inst.Warning(3), 4.0f);
    EXPECT_TRUE(answer("A2,R,", "A2,R,*****,9,3,\r25"));  // CR counts as a comma
    EXPECT_EQ(inst.Alarm(0), -101.0f);
    EXPECT_EQ(inst.Alarm(1), 9.0f);
    EXPECT_EQ(inst.Alarm(3), 2.5f);
    EXPECT_FALSE(answer("A2,R,", "A2,R,*****,OVER,3,25"));  // a status word is no value here
    EXPECT_TRUE(answer("AO,R,", "AO,R,10x1"));
    EXPECT_EQ(inst.OverScale(0), 1);
    EXPECT_EQ(inst.OverScale(1), 0);
    EXPECT_EQ(inst.OverScale(3), 1);
    inst.setOverScale(2, 7);
    EXPECT_TRUE(answer("AO,R,", "AO,R,10x1"));
    EXPECT_EQ(inst.OverScale(2), 7);
    EXPECT_FALSE(answer("AO,R,", "AO,R,101"));
    EXPECT_TRUE(log().contains("<<< Format error >>>"));
}

TEST_F(Answers, ClockGasTableAndTemperatures) {
    EXPECT_TRUE(answer("HC,R,", "HC,R,991231235959"));
    EXPECT_EQ(inst.SysDate(), *rt::OleDate::fromCivil(2099, 12, 31, 23, 59, 59));
    EXPECT_FALSE(answer("HC,R,", "HC,R,12345"));
    EXPECT_EQ(inst.FailLine(), "HC,R");
    EXPECT_TRUE(log().contains("<<< improper date at HC >>> 12345"));
    EXPECT_FALSE(answer("HC,R,", "HC,R,991331235959"));

    EXPECT_FALSE(answer("GJ,R,", "GJ,R,a,b,c,d"));
    const QString good = "    100.0  0.1%LEL";
    EXPECT_FALSE(
        answer("GJ,R,", "GJ,R," + QStringList{good, good, good, good.left(17), good}.join(',')));
    EXPECT_EQ(inst.GasName(3), "");
    EXPECT_TRUE(answer("GJ,R,",
                       "GJ,R,CO  **********    ,H2S **********    ,O2  **********    ,"
                       "CH4 100.0 0.01%LEL,TMP  50.0  0.1 C  "));
    EXPECT_EQ(inst.GasName(3), "COH2SO2CH4");
    EXPECT_EQ(inst.GasPoint(3), 2);
    EXPECT_EQ(inst.GasDesit(3), 0.01f);
    EXPECT_EQ(inst.GasName(4), "TMP");
    EXPECT_EQ(inst.GasFullScale(4), 50.0f);
    EXPECT_TRUE(answer(
        "GJ,R,", "GJ,R," + QStringList{good, good, good, "****  0.0  0.0    ", good}.join(',')));
    EXPECT_EQ(QString("****  0.0  0.0    ").size(), 18);
    EXPECT_EQ(inst.GasName(3), "");
    EXPECT_EQ(inst.GasName(4), "");

    EXPECT_TRUE(answer("CZ,R,", QString("CZ,R,") + comm::NAK));
    EXPECT_EQ(inst.HighTemp(), -101);
    EXPECT_TRUE(answer("CZ,R,", "CZ,R,40,-5"));
    EXPECT_EQ(inst.LowTemp(), -5);
    EXPECT_FALSE(answer("HA,R,", "HA,R,1,2,3"));
    EXPECT_TRUE(log().contains("<<< Response error >>>"));
}

TEST_F(Answers, ShortAnswerNeverTakesAnEarlierToken) {
    EXPECT_TRUE(answer("HA,R,", "HA,R,1,2,3,4,5,6,7,8"));
    // One token now: token 1 reads "", so the low limit is refused, not taken from "2".
    EXPECT_FALSE(answer("CZ,R,", "CZ,R,40"));
    EXPECT_EQ(inst.LowTemp(), -101);
}

TEST_F(Answers, WriteEchoesAndAcknowledgements) {
    inst.setIntervals(30);
    EXPECT_TRUE(answer("XP,W,1E", "XP,W,1E", 5));
    EXPECT_FALSE(answer("XP,W,1E", "XP,W,30", 5));
    inst.setDispID(-1);
    EXPECT_TRUE(answer("XI,W,1", "XI,W,1", 5));
    EXPECT_FALSE(answer("XI,W,1", "XI,W,0", 5));
    inst.setUserID("U1");
    EXPECT_TRUE(answer("XZ,W,U1", "XZ,W, U1 ", 5));
    EXPECT_TRUE(answer("A1,W,", "A1,W,1,2,*****,4", 5));
    EXPECT_FALSE(answer("A1,W,", "A1,W,1,2,x,4", 5));
    EXPECT_TRUE(answer("RO,W,", QString("RO,W,") + comm::ACK, 5));
    EXPECT_FALSE(answer("RO,W,", QString("RO,W,") + comm::NAK, 5));
    EXPECT_TRUE(answer("XC,C,", QString("XC,C,") + comm::NAK, 5));
    EXPECT_FALSE(host.link.ClearDone());
    EXPECT_TRUE(answer("XC,C,", QString("XC,C,") + comm::ACK, 5));
    EXPECT_TRUE(host.link.ClearDone());
}

TEST_F(Answers, CalibrationResultsAndLiveReadings) {
    EXPECT_TRUE(answer("SZ,C,", QString("SZ,C,") + comm::SUB + "ab", 5));
    EXPECT_EQ(host.link.ZeroResult(), "");
    EXPECT_TRUE(answer("SZ,C,", "SZ,C,0011", 5));
    EXPECT_EQ(host.link.ZeroResult(), "0011");
    EXPECT_FALSE(answer("SZ,C,", "SZ,C,abc", 5));
    EXPECT_TRUE(answer("S2,C,", "S2,C,abc", 5));
    EXPECT_EQ(host.link.SpanResult(), "");
    EXPECT_FALSE(answer("SZ,R,", "SZ,R,1,2,3"));
    EXPECT_TRUE(answer("SZ,R,", "SZ,R,1,2,3,4"));

    std::vector<float> live;
    QObject::connect(&host.link, &uclVyif::Densty,
                     [&](float, float, float, float v3, float) { live.push_back(v3); });
    inst.setGasPoint(3, 1);
    EXPECT_TRUE(answer("DN,R,", "DN,R,0,0,0,205,0"));
    EXPECT_TRUE(answer("DN,R,", "DN,R,0,0,0,OVER,0"));
    EXPECT_FALSE(answer("DN,R,", "DN,R,0,0,0,1"));
    QCoreApplication::processEvents();
    EXPECT_EQ(live, (std::vector<float>{20.5f, 20.5f}));
}

TEST_F(Answers, EchoedFrames) {
    EXPECT_TRUE(answer("HC,W,241231235959", "HC,W,241231235959", 5));
    EXPECT_FALSE(answer("HC,W,241231235959", "HC,W,241231235958", 5));
}
