#include <gtest/gtest.h>

#include "records/ClsIntervals.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using records::clsInterval;
using records::clsIntervals;

namespace {

using testsupport::FeedBlock;

class IntervalCollection : public testsupport::RecordFixture {};

}  // namespace

TEST_F(IntervalCollection, ShortLineFailsTheCheckPassAndIsKept) {
    clsIntervals c;
    const QString line = "/01AD" + QString(19, '0');  // 23 characters after the "/"
    EXPECT_FALSE(c.SetDatas(line, true));
    EXPECT_EQ(c.FailLine(), "\r\n01AD" + QString(19, '0'));
    EXPECT_FALSE(c.SetDatas(line, false));
    EXPECT_EQ(c.FailLine(), "\r\n01AD" + QString(19, '0'));  // only the check pass records
}

TEST_F(IntervalCollection, FramingAndRecords) {
    clsIntervals c;
    core::clsInstrument inst;
    c.setInstruments(&inst);
    // A continuation before any record line belongs to the record " L".
    EXPECT_TRUE(c.SetDatas("!!", true));
    EXPECT_NE(c.Item(" L"), nullptr);
    // An "A" code that is not routed still creates its record.
    EXPECT_TRUE(c.SetDatas("/01AZ", true));
    EXPECT_TRUE(c.SetDatas("/02A3" + QString(20, '0'), true));
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(2)->Key(), "01 L");
    EXPECT_EQ(c.Item(3)->Key(), "02 L");
    EXPECT_EQ(c.Item("02 l"), c.Item(3));  // keys without regard to case
    EXPECT_EQ(c.Item(3)->Instrument(), &inst);
    EXPECT_EQ(c.Item(4), nullptr);
    EXPECT_EQ(c.Item("09 L"), nullptr);
    // A "/" line whose third character is not "A" continues record 02, code A3: it is the
    // plain data line "02A3" + its text, not a compressed one (a short plain line is fine).
    c.Item(3)->setPreviousDataCode("A9");
    EXPECT_TRUE(c.SetDatas("/xxB", false));
    EXPECT_EQ(c.Item(3)->previousDataCode(), "A3");
    // A TAB is removed before the length test.
    EXPECT_FALSE(c.SetDatas("/03AC\t" + QString(19, 'x'), true));
    EXPECT_EQ(c.FailLine(), "\r\n03AC" + QString(19, 'x'));
}

TEST_F(IntervalCollection, ContainerContract) {
    clsIntervals c;
    c.Add("01 L", 5);
    EXPECT_THROW(c.Add("01 l", 1), rt::RuntimeError);
    EXPECT_EQ(c.Item(1)->SeqNo(), 5);
    c.setSelectedItem(c.Item(1));
    EXPECT_EQ(c.SelectedItem(), c.Item(1));
    c.setSelectedItem(nullptr);
    EXPECT_EQ(c.SelectedItem(), nullptr);
    c.setSelectedItem(c.Item(1));
    c.Remove("01 L");
    EXPECT_THROW(c.SelectedItem(), rt::RuntimeError);
    EXPECT_THROW(c.Remove("01 L"), rt::RuntimeError);
    EXPECT_THROW(c.Remove(1), rt::RuntimeError);
    c.Add("01 L", 0);
    c.Add("02 L", 0);
    int seen = 0;
    for (const auto& record : c)
        seen += record->Key().size();
    EXPECT_EQ(seen, 8);
    c.setFailLine("kept");
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.FailLine(), "kept");
    c.Clear();
}

TEST_F(IntervalCollection, IdentityLinesAndDebugMessages) {
    clsIntervals c;
    namespace L = testsupport::lines;
    EXPECT_TRUE(FeedBlock(c, {L::AA("01", "O'Neil", "ST-9"), L::AB("01", "SN 42", '3'),
                              L::AD("01", "240531", "130509", "0060")}));
    const clsInterval* r = c.Item("01 L");
    EXPECT_EQ(r->GasBaseInfo(2).toText(), "O'Neil");
    EXPECT_EQ(r->GasBaseInfo(3).toText(), "ST-9");
    EXPECT_EQ(r->GasBaseInfo(4).toText(), "SN 42");
    EXPECT_EQ(r->GasBaseInfo(7).toLong(), 3);
    EXPECT_EQ(r->GasBaseInfo(0).toText(), "iv31130509_SN 42");
    EXPECT_EQ(c.MessageString(), "");  // messages only in debug mode

    core::DebugMode = true;
    clsIntervals d;
    FeedBlock(d, {L::AD("01", "240531", "130509", "0060")});
    EXPECT_EQ(d.MessageString(), "New Data! Name - iv31130509_*");
    d.setMessageString("");
    FeedBlock(d, {L::data("01", "A6", "00", "0000"), L::words({"0A02"})});
    EXPECT_EQ(d.MessageString(), "<<< error catch in SetDataA0() >>>");
}

// The check pass leaves the routing where the apply pass needs it, also when a block starts
// with a continuation line.
TEST_F(IntervalCollection, CheckPassDoesNotShiftTheApplyPass) {
    namespace L = testsupport::lines;
    clsIntervals c;
    core::clsInstrument inst;
    c.setInstruments(&inst);
    FeedBlock(c, {L::AB("01", "S1"), L::AD("01", "240531", "130500", "0060"),
                  L::AC("01", "CH4", "100", "0.1", "TMP", "20", "0.1"),
                  L::data("01", "A4", "00", "0000"), L::words({"0001"})});
    FeedBlock(c, {L::words({"0002"}), L::data("01", "A5", "00", "0000"), L::words({"00FA"})});
    // A block whose check pass ran but that was asked for again starts where it did.
    c.SaveRoutingState();
    for (const QString& line : {L::words({"0003"}), L::data("01", "A6", "00", "0000")})
        c.SetDatas(line, true);
    c.RestoreRoutingState();
    FeedBlock(c, {L::words({"0003"})});
    clsInterval* r = c.Item("01 L");
    EXPECT_FALSE(r->Error());
    EXPECT_EQ(r->SampleCount(3), 2);  // gas 4: 0001 and the continuation 0002
    EXPECT_EQ(r->SampleCount(4), 2);  // gas 5: 00FA and the continuation 0003
    EXPECT_EQ(r->SampleCount(5), 0);
}
