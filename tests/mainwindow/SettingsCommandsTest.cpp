#include <gtest/gtest.h>

#include "mainwindow/settings/SettingsRecord.h"
#include "runtime/Format.h"
#include "tests/mainwindow/SetPageWindow.h"

namespace {

using platform::MsgAnswer;
using testsupport::InstrumentWindow;

// The Set page of a connected window, with its commands pressed as the user does.
struct CommandsWindow : testsupport::SetPageWindow {
    explicit CommandsWindow(bool factory = false) : SetPageWindow(factory) {}
    void press(int index, std::initializer_list<MsgAnswer> answers) {
        for (MsgAnswer a : answers)
            rig.dialogs.answers.push_back(a);
        window->settingsCommands->cmdOption_Click(index);
        settle();
    }
    QStringList writes() const { return requests.filter(",W,"); }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : rig.dialogs.messages)
            texts << m.text;
        return texts;
    }
};

TEST(SettingsCommands, AnUploadSendsOnlyTheChangedSettings) {
    CommandsWindow w;
    const size_t from = w.statusLines().size();
    w.inst().setWarning(3, 15);  // raises its flag (the alarm point is 20)
    w.press(0, {MsgAnswer::Yes});
    EXPECT_EQ(w.messageTexts(), QStringList({"Update Ready?", "Upload Complete."}));
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Update");
    EXPECT_EQ(w.rig.dialogs.messages[1].icon, platform::MsgIcon::Information);
    const QStringList writes = w.writes();
    ASSERT_FALSE(writes.isEmpty());
    // The warnings, then the write's closing command: nothing else.
    for (const QString& r : writes)
        EXPECT_TRUE(r.startsWith("A1,W,") || r == "DW,W,") << r.toStdString();
    EXPECT_EQ(writes.filter("A1,W,").size(), 1);
    EXPECT_FALSE(w.inst().Change(core::GasFlag::Change_Warn, 3));
    EXPECT_EQ(w.fake.warning[3].trimmed().toFloat(), 150);  // in counts of 0.1
    const auto lines = w.statusLines(from);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::pair<QString, int32_t>{"QM-73 Instrument Information Upload.",
                                                     download::ColorStatusProgress}));
    EXPECT_EQ(lines[1].first, "QM-73 Upload Complete.");
    EXPECT_TRUE(testsupport::serialLines(w.serialLog())
                    .contains("---Instrument Upload Start Sequence---. Date = <date>"));
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->busy.busy());
    for (QWidget* b : w.window->cmdInst)
        EXPECT_TRUE(b->isEnabled());
}

TEST(SettingsCommands, NoRefusalOrAGuardSendsNothing) {
    CommandsWindow w;
    w.inst().setWarning(3, 15);
    const size_t from = w.statusLines().size();
    w.press(0, {MsgAnswer::No});
    EXPECT_EQ(w.messageTexts(), QStringList({"Update Ready?"}));
    EXPECT_TRUE(w.writes().isEmpty());
    EXPECT_TRUE(w.statusLines(from).empty());
    EXPECT_TRUE(w.inst().Change(core::GasFlag::Change_Warn, 3));
    // A wrong order.
    w.rig.dialogs.messages.clear();
    w.inst().setWarning(3, 30);
    w.inst().setAlarm(3, 20);
    w.press(0, {});
    EXPECT_EQ(w.messageTexts(), QStringList({"Check warning and alarm value. (red color cells)"}));
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(w.writes().isEmpty());
    // No enabled sensor.
    w.rig.dialogs.messages.clear();
    w.inst().setWarning(3, 10);
    for (int gas = 0; gas <= 3; ++gas)
        w.inst().setGasEnabled(gas, false);
    w.press(0, {});
    EXPECT_EQ(w.messageTexts(), QStringList({"No available sensor."}));
    // While a span runs, nothing, not even a question.
    w.rig.dialogs.messages.clear();
    download::ActivityCode = 4;
    for (int index : {0, 1, 3})
        w.press(index, {MsgAnswer::Yes, MsgAnswer::Yes});
    download::ActivityCode = 0;
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    w.press(4, {MsgAnswer::Yes});
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    EXPECT_TRUE(w.writes().isEmpty());
}

TEST(SettingsCommands, AFailedUploadIsToldAndKeepsTheFlags) {
    CommandsWindow w;
    w.fake.refusedWrites = {"A2"};
    w.inst().setWarning(3, 120);
    w.inst().setAlarm(3, 220);
    const size_t from = w.statusLines().size();
    w.press(0, {MsgAnswer::Yes});
    EXPECT_EQ(w.messageTexts(), QStringList({"Update Ready?"}));  // no "Upload Complete."
    const auto lines = w.statusLines(from);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              (std::pair<QString, int32_t>{"QM-73 No Response. Check Port,Cable And Power.",
                                           download::ColorStatusFailed}));
    for (const auto& line : lines)
        EXPECT_NE(line.first, "QM-73 Upload Complete.");
    EXPECT_TRUE(w.inst().Change(core::GasFlag::Change_Alarm, 3));
    EXPECT_EQ(download::ActivityCode, 0);
    // Nothing flagged: nothing is sent and nothing is told.
    w.fake.refusedWrites.clear();
    w.inst().ClearChangeFlags();
    w.requests.clear();
    w.rig.dialogs.messages.clear();
    const size_t again = w.statusLines().size();
    w.press(0, {MsgAnswer::Yes});
    EXPECT_TRUE(w.writes().isEmpty());
    for (const auto& line : w.statusLines(again))
        EXPECT_NE(line.second, download::ColorStatusFailed);
    EXPECT_EQ(w.messageTexts(), QStringList({"Update Ready?"}));
}

// A write during which the instrument goes away gives the page's buttons back as the link
// leaves them: the writes stay off.
TEST(SettingsCommands, AnInstrumentLostDuringAWriteLeavesTheWritesOff) {
    CommandsWindow w(true);
    w.inst().setWarning(3, 15);
    bool lostDuringTheWrite = false;
    w.onRequest = [&w, &lostDuringTheWrite](const QString& body) {
        if (!body.startsWith("A1,W,")) return;
        // The lines go, and the link tells it, while the write still waits.
        w.rig.serial.plugged = false;
        w.rig.serial.pollModemLines();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        lostDuringTheWrite = !w.window->uclVY5103.Connected() &&
                             !w.page().cmdOption[0]->isEnabled() && w.window->busy.busy();
    };
    w.press(0, {MsgAnswer::Yes});
    ASSERT_TRUE(lostDuringTheWrite);
    ASSERT_FALSE(w.window->uclVY5103.Connected());
    for (int i : {0, 1, 3})
        EXPECT_FALSE(w.page().cmdOption[i]->isEnabled()) << i;
    EXPECT_TRUE(w.page().cmdOption[2]->isEnabled());
    for (QWidget* b : w.page().cmdOptionDisp)
        EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(w.window->busy.busy());
}

TEST(SettingsCommands, AnUploadWithTheFactorySwitchRecordsTheSettings) {
    CommandsWindow w(true);
    w.inst().setWarning(3, 15);
    w.press(0, {MsgAnswer::Yes});
    const QString path =
        settings::SettingsRecordPath(w.rig.folder.path(), core::FactoryRecordSuffix);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().split('\n').size(), 3);  // header and one line
}

TEST(SettingsCommands, TheClockAndTheDefaults) {
    CommandsWindow w;
    w.inst().setSysDateOffset(rt::OleDate(0.5));
    w.press(1, {MsgAnswer::Yes});
    EXPECT_EQ(w.writes().filter("HC,W,").size(), 1);
    EXPECT_EQ(w.inst().SysDateOffset().value(), 0);
    // A tick of the window's own timer may have come within this second during the write,
    // before the offset settled; the labels are redrawn only once a second, so ask for a redraw.
    w.window->setPage->lblOption[5]->setProperty("tag", QString());
    w.window->tmrInter_Timer();
    EXPECT_EQ(w.window->setPage->lblOption[5]->text(), w.window->setPage->lblOption[6]->text());
    EXPECT_EQ(w.messageTexts().last(), "Upload Complete.");

    // Defaults: two questions; No at the first skips the second.
    w.rig.dialogs.messages.clear();
    w.requests.clear();
    w.press(3, {MsgAnswer::No});
    EXPECT_EQ(w.messageTexts(), QStringList({"Default value over write\r\nReady?"}));
    EXPECT_TRUE(w.writes().isEmpty());
    w.rig.dialogs.messages.clear();
    w.fake.warning[3] = "150";  // what the instrument holds after the defaults
    w.press(3, {MsgAnswer::Yes, MsgAnswer::Yes});
    EXPECT_EQ(w.messageTexts(), QStringList({"Default value over write\r\nReady?", "Update Ready?",
                                             "Upload Complete."}));
    EXPECT_FALSE(w.writes().isEmpty());
    EXPECT_EQ(download::ActivityCode, 0);
}

}  // namespace

namespace {

TEST(DumpLists, EachListIntoItsFile) {
    const struct {
        int index;
        const char* question;
        const char* file;
        bool finishedLine;
    } cases[] = {
        {6, "Ready?\r\nDump List Download", "Dump.dat", false},
        {8, "Ready?\r\nDump List Download (EF)", "DumpEF.dat", true},
        {9, "Ready?\r\nDump List Download (ES)", "DumpES.dat", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CommandsWindow w(true);
        w.fake.flash = QByteArray(256, '\x5A');
        const QString path = w.rig.folder.paths().file(c.file);
        // No: nothing.
        w.rig.dialogs.answers.push_back(MsgAnswer::No);
        w.window->settingsCommands->cmdOptionDisp_Click(c.index);
        EXPECT_EQ(w.messageTexts(), QStringList({c.question}));
        EXPECT_EQ(w.rig.dialogs.messages[0].title, "DumpList");
        EXPECT_FALSE(QFileInfo::exists(path));
        // Yes: the list in its file, the lines told.
        const size_t from = w.statusLines().size();
        w.rig.dialogs.answers.push_back(MsgAnswer::Yes);
        w.window->settingsCommands->cmdOptionDisp_Click(c.index);
        w.settle();
        EXPECT_TRUE(QFileInfo(path).size() > 0);
        QStringList texts;
        for (const auto& line : w.statusLines(from))
            texts << line.first;
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_TRUE(texts[0].startsWith("Dump List Download (")) << texts[0].toStdString();
        EXPECT_TRUE(texts[0].endsWith(") Start."));
        EXPECT_EQ(texts.filter("Finished.").size(), c.finishedLine ? 1 : 0);
        EXPECT_TRUE(testsupport::serialLines(w.serialLog())
                        .filter("--- Dump List Download Finished. ---(<date>[Time = ")
                        .size() == 1);
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isLoaded());
        EXPECT_FALSE(w.window->busy.busy());
    }
}

TEST(DumpLists, RefusedDuringLiveReadingsAndToldWhenTheyFail) {
    CommandsWindow w(true);
    w.window->uclVY5103.setRunDensty(true);
    w.window->settingsCommands->cmdOptionDisp_Click(6);
    EXPECT_EQ(w.messageTexts(),
              QStringList({"It can not be performed due to operating of other issues."}));
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "No communication available to EEP-ROM");
    w.window->uclVY5103.setRunDensty(false);
    // The instrument goes away: told in red, nothing finished.
    w.fake.poweredOff = true;
    w.rig.serial.plugged = false;
    const size_t from = w.statusLines().size();
    w.rig.dialogs.answers.push_back(MsgAnswer::Yes);
    w.window->settingsCommands->cmdOptionDisp_Click(9);
    w.settle();
    const auto lines = w.statusLines(from);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().second, download::ColorStatusFailed);
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->frmUpload->isLoaded());
}

}  // namespace

namespace {

TEST(SettingsCommands, ACancelledUploadIsNotToldAsDone) {
    CommandsWindow w;
    w.inst().setWarning(3, 15);
    w.inst().setAlarm(3, 18);
    // The user cancels while the first group is on its way.
    bool cancelled = false;
    w.onRequest = [&w, &cancelled](const QString& body) {
        w.requests << body;
        if (!cancelled && body.startsWith("A1,W,")) {
            cancelled = true;
            ASSERT_FALSE(w.window->frmUpload->cmdUpload->isHidden());  // Cancel is offered
            w.window->frmUpload->cmdUpload->click();
        }
    };
    const size_t from = w.statusLines().size();
    w.press(0, {MsgAnswer::Yes});
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(w.messageTexts(), QStringList({"Update Ready?"}));
    for (const auto& line : w.statusLines(from))
        EXPECT_NE(line.first, "QM-73 Upload Complete.");
    EXPECT_TRUE(w.inst().Change(core::GasFlag::Change_Alarm, 3));  // not sent: still flagged
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->frmUpload->isLoaded());
}

TEST(SettingsCommands, TheFontAndColourButtons) {
    CommandsWindow w;
    settings::SetPage& p = *w.window->setPage;
    const QString caption = p.cmdOptionDisp[0]->text();
    w.window->settingsCommands->cmdOptionDisp_Click(0);  // cancelled
    EXPECT_EQ(p.cmdOptionDisp[0]->text(), caption);
    QFont chosen(QStringLiteral("Serif"));
    chosen.setPointSize(12);
    w.rig.dialogs.fonts.push_back(chosen);
    w.window->settingsCommands->cmdOptionDisp_Click(0);
    EXPECT_EQ(p.cmdOptionDisp[0]->text(), QStringLiteral("%1(12)").arg(chosen.family()));
    EXPECT_EQ(p.cmdOptionDisp[0]->font().pointSize(), 12);
    const int32_t before = p.cmdOptionDisp[4]->BackColor();
    w.window->settingsCommands->cmdOptionDisp_Click(4);  // cancelled
    EXPECT_EQ(p.cmdOptionDisp[4]->BackColor(), before);
    w.rig.dialogs.colors.push_back(rt::RGB(1, 2, 3));
    w.window->settingsCommands->cmdOptionDisp_Click(4);
    EXPECT_EQ(p.cmdOptionDisp[4]->BackColor(), rt::RGB(1, 2, 3));
    // The settings take them when they are saved.
    w.window->SaveDisplaySettings();
    EXPECT_EQ(core::GraphColors[3], rt::RGB(1, 2, 3));
    EXPECT_EQ(core::SettingsFont.size, 12);
    EXPECT_EQ(w.rig.dialogs.fontRequests, 2);
    EXPECT_EQ(w.rig.dialogs.colorRequests, 2);
}

TEST(SetPageClock, TheTwoClocksByTheLink) {
    InstrumentWindow w;
    rt::FixedClock clock(*rt::OleDate::fromCivil(2026, 7, 1, 9, 0, 0));
    w.window->cmdInst_Click(4);
    QLabel* pc = w.window->setPage->lblOption[5];
    QLabel* instrument = w.window->setPage->lblOption[6];
    // The link down: the computer's clock, no instrument clock.
    w.window->tmrInter_Timer();
    EXPECT_EQ(pc->text(), rt::GeneralDate(rt::OleDate::now()));
    EXPECT_EQ(instrument->text(), "");
    // Up, with the instrument an hour behind.
    ASSERT_TRUE(w.connect());
    w.window->cmdInst_Click(4);
    w.window->instrument().setSysDateOffset(rt::OleDate(1.0 / 24));
    clock.set(*rt::OleDate::fromCivil(2026, 7, 1, 9, 0, 1));
    w.window->tmrInter_Timer();
    EXPECT_EQ(instrument->text(), rt::GeneralDate(*rt::OleDate::fromCivil(2026, 7, 1, 8, 0, 1)));
    // Within the same second nothing is written again.
    instrument->setText("x");
    w.window->tmrInter_Timer();
    EXPECT_EQ(instrument->text(), "x");
    clock.set(*rt::OleDate::fromCivil(2026, 7, 1, 9, 0, 2));
    w.window->tmrInter_Timer();
    EXPECT_EQ(instrument->text(), rt::GeneralDate(*rt::OleDate::fromCivil(2026, 7, 1, 8, 0, 2)));
    // No offset known: the instrument shows the computer's time.
    w.window->instrument().setSysDateOffset(rt::OleDate(0));
    clock.set(*rt::OleDate::fromCivil(2026, 7, 1, 9, 0, 3));
    w.window->tmrInter_Timer();
    EXPECT_EQ(instrument->text(), pc->text());
    // Another page shown: the clocks rest, the ticks still count.
    const int64_t ticks = w.window->fields.TimerTicks;
    w.window->cmdInst_Click(0);
    instrument->setText("y");
    clock.set(*rt::OleDate::fromCivil(2026, 7, 1, 9, 0, 4));
    w.window->tmrInter_Timer();
    EXPECT_EQ(instrument->text(), "y");
    EXPECT_EQ(w.window->fields.TimerTicks, ticks + 1);
}

}  // namespace
