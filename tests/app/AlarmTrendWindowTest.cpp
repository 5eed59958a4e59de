#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include "app/PrintForms.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "platform/Twips.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"
#include "tests/app/TrendWindowRig.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Files.h"
#include "tests/support/Pictures.h"
#include "trendview/TrendRows.h"

using platform::MsgAnswer;
using testsupport::AlarmTrend;
using testsupport::readFile;
using testsupport::TrendWindowRig;
using testsupport::writeFile;

namespace {

QStringList column(const platform::FlexGrid& g, int col) {
    QStringList texts;
    for (int r = 0; r < g.Rows(); ++r)
        texts << g.TextMatrix(r, col);
    return texts;
}

QStringList zoomList(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    return items;
}

constexpr int AlignLeft = 1, AlignCentre = 4;

}  // namespace

// ---- opening -----------------------------------------------------------------------------------

// A click on the ALARM event of the data page's table opens the nearest alarm trend in the
// window, modally; Return closes it and the data page goes on.
TEST(AlarmTrendWindow, TheTrendSearchOpensItModallyAndReturnClosesIt) {
    TrendWindowRig w;
    core::TrendSearchBefore = -30;
    core::TrendSearchAfter = 45;
    AlarmTrend t;
    t.serial = "SN000001";
    t.date = testsupport::AlarmEvent.addSeconds(20);
    const int32_t seqNo = w.storeAlarm(t);
    w.open(1);
    platform::FlexGrid& table = *w.page().vfgBrowse;
    const int row = testsupport::alarmRow(table);
    ASSERT_GT(row, 0);
    bool modal = false;
    QString caption, title;
    int32_t samples = 0, kind = 0;
    // Looks at the window once it is on screen, then presses Return.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &w.form(), [&] {
        if (!w.form().isVisible()) return;
        watch.stop();
        modal = w.form().isModal();
        caption = w.form().fraMenu->title();
        title = w.form().windowTitle();
        samples = w.form().AlarmRecord.DataCount();
        kind = w.form().TrendKind;
        w.form().cmdBrowse[4]->click();
    });
    watch.start(5);
    testsupport::pointAt(table, row, 2, true);
    watch.stop();
    EXPECT_TRUE(modal);
    EXPECT_EQ(core::TrendSelSeqNo, seqNo);
    EXPECT_EQ(caption, "Data View(Alarm Trend)");
    EXPECT_EQ(title, "QM-73 - Data Logger Management Program [P.No.73412]");
    EXPECT_EQ(samples, 720);
    EXPECT_EQ(kind, 2);
    EXPECT_FALSE(w.form().isVisible());
    // The data page is as it was.
    EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
    EXPECT_EQ(w.window->dataView->SelectedLogType, 1);
}

// A trend file with records that are no samples: the window tells it once, naming the
// download and the file, before it opens with the samples there are.
TEST(AlarmTrendWindow, ADamagedTrendFileIsToldOnceAsItOpens) {
    TrendWindowRig w;
    AlarmTrend t;
    t.name = "al0009";
    const int32_t seqNo = w.storeAlarm(t);
    {
        // Every other record's time is no number.
        QFile f(records::TrendFileOf("05/24", t.name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        for (int record = 1; record < t.samples; record += 2) {
            f.seek(qint64(record) * core::TrendRecordSize);
            f.write(QByteArray(8, '\xff'));
        }
    }
    core::TrendSelSeqNo = seqNo;
    core::TrendSelMode = 2;
    w.rig.dialogs.messages.clear();
    size_t toldBeforeShown = 0;
    int32_t samples = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &w.form(), [&] {
        if (!w.form().isVisible()) return;
        watch.stop();
        toldBeforeShown = w.rig.dialogs.messages.size();
        samples = w.form().AlarmRecord.DataCount();
        w.form().cmdBrowse[4]->click();
    });
    watch.start(5);
    w.form().ShowModal();
    watch.stop();
    EXPECT_EQ(toldBeforeShown, 1u);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text,
              "The trend file Data/24/05/al0009.Dat of \"al0009\" is damaged: what cannot be "
              "read is left out.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Damaged Data");
    EXPECT_EQ(samples, 360);
}

TEST(AlarmTrendWindow, ATrendFileOutsideTheDataFolderIsNotReadAndTheTrendShowsAsDamaged) {
    TrendWindowRig w;
    const int32_t good = w.storeAlarm({});
    // The same trend file, and a copy where the folder ID ".." would lead.
    AlarmTrend outside;
    outside.name = QFileInfo(w.rig.folder.path()).fileName() + "_up";
    const int32_t seqNo = w.storeAlarm(outside);
    const QString planted = w.rig.folder.paths().dataFolder() + "/../../" + outside.name + ".Dat";
    ASSERT_TRUE(QFile::copy(records::TrendFileOf("05/24", outside.name), planted));
    const auto removePlanted = qScopeGuard([&planted] { QFile::remove(planted); });
    w.db().exec("Update Log_Head Set FolderID = '..' Where SeqNo = ?", {seqNo});

    w.openTrend(good);
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    EXPECT_EQ(w.form().AlarmRecord.DataCount(), 720);
    w.close();
    // What the window's loading finds is told as it opens.
    for (const int32_t trend : {seqNo, good}) {
        core::DamageFindings findings;
        w.openTrend(trend);
        const QString told = findings.take();
        if (trend == good) {
            EXPECT_TRUE(told.isEmpty());
            EXPECT_EQ(w.form().AlarmRecord.DataCount(), 720);
        } else {
            EXPECT_EQ(w.form().AlarmRecord.DataCount(), 0);
            EXPECT_EQ(told, "The stored data of \"" + outside.name +
                                "\" are damaged: what cannot be read shows empty.");
        }
        w.close();
    }
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
}

TEST(AlarmTrendWindow, CaptionsByKindAndSamplingFlag) {
    TrendWindowRig w;
    AlarmTrend sampled;
    sampled.sampling = 2;
    sampled.name = "al0002";
    const struct {
        const char* what;
        int32_t seqNo;
        int mode;
        const char* caption;
        bool printEnabled;
    } cases[] = {
        {"alarm trend, flag 0", w.storeAlarm({}), 2, "Data View(Alarm Trend)", true},
        {"alarm trend, flag 2", w.storeAlarm(sampled), 2, "Data View(Interval Trend)", true},
        {"interval trend", w.seqNoOf(1), 1, "Data View(Interval Trend)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w.openTrend(c.seqNo, c.mode);
        EXPECT_EQ(w.form().fraMenu->title(), c.caption);
        EXPECT_EQ(w.form().cmdBrowse[0]->isEnabled(), c.printEnabled);
        EXPECT_EQ(w.form().chkEvent->isEnabled(), c.mode == 1);
        w.close();
    }
    // Any other kind: an empty window whose frame keeps "Data View".
    const int32_t before = w.form().AlarmRecord.DataCount();
    w.openTrend(cases[0].seqNo, 3);
    EXPECT_EQ(w.form().fraMenu->title(), "Data View");
    EXPECT_EQ(w.form().TrendKind, 3);
    EXPECT_EQ(w.form().AlarmRecord.DataCount(), before);
    EXPECT_FALSE(w.form().fraMenu->isHidden());
    w.close();

    // The fixed captions, and the gas boxes from the program's instrument.
    w.openTrend(cases[0].seqNo);
    alarmtrend::FrmIntermittence& f = w.form();
    EXPECT_EQ(f.optBrowse[0]->text(), "Table");
    EXPECT_EQ(f.optBrowse[1]->text(), "Graph");
    EXPECT_EQ(f.chkBrowse[5]->text(), "Event");
    EXPECT_EQ(f.chkBrowse[6]->text(), "Cursor");
    EXPECT_EQ(f.lblTitle1->text(), "Zoom");
    const QStringList buttons = {"Print", "To clipboard", "Export", "Summary", "Return"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(f.cmdBrowse[i]->text(), buttons[i]);
    EXPECT_EQ(f.chkEvent->text(), "Event Only");
    EXPECT_TRUE(f.fraMenu->font().bold());
    EXPECT_FALSE(f.optBrowse[0]->font().bold());
    // A trend with a graph names its gas boxes after its own gases.
    EXPECT_EQ(f.chkBrowse[3]->text(), "H2S");
    w.close();

    // Without a graph they keep the names of the program's instrument: the connected one's
    // once its information was read, else the settings file's.
    AlarmTrend small;
    small.samples = 4;
    small.name = "al0004";
    const int32_t four = w.storeAlarm(small);
    core::clsInstrument& connected = w.window->instrument();
    connected.setGasName(0, "GAS-A");
    core::DefaultInstrument.setGasName(0, "GAS-D");
    connected.setCommFlags(0);
    w.openTrend(four);
    EXPECT_EQ(f.chkBrowse[0]->text(), "GAS-D");
    w.close();
    connected.setCommFlags(1);
    w.openTrend(four);
    EXPECT_EQ(f.chkBrowse[0]->text(), "GAS-A");
}

TEST(AlarmTrendWindow, TheTitleCarriesTheCatalogueNumberOfTheLanguage) {
    TrendWindowRig w;
    const int32_t seqNo = w.storeAlarm({});
    w.openTrend(seqNo);
    EXPECT_EQ(w.form().windowTitle(), "QM-73 - Data Logger Management Program [P.No.73412]");
    w.close();
    testsupport::LanguageScope japanese(platform::StringTable::Language::Japanese);
    w.openTrend(seqNo);
    EXPECT_TRUE(w.form().windowTitle().endsWith(" [P.No.73411]"));
    EXPECT_EQ(w.form().windowTitle(), core::LoadResText(5001) + " [P.No.73411]");
}

// Fewer than five samples: the Table view only, the graph left empty.
TEST(AlarmTrendWindow, FiveSamplesOfferTheGraph) {
    TrendWindowRig w;
    w.dataPageView(true, false);
    for (int samples : {4, 5}) {
        SCOPED_TRACE(samples);
        AlarmTrend t;
        t.samples = samples;
        t.name = QStringLiteral("al%1").arg(samples);
        w.openTrend(w.storeAlarm(t));
        alarmtrend::FrmIntermittence& f = w.form();
        const bool graph = samples >= 5;
        EXPECT_EQ(f.optBrowse[1]->isEnabled(), graph);
        EXPECT_EQ(f.optBrowse[1]->isChecked(), graph);
        EXPECT_EQ(f.zvdGraph->isVisible(), graph);
        EXPECT_EQ(f.vfgBrowse->isVisible(), !graph);
        EXPECT_EQ(f.zvdGraph->SampleCount, graph ? 5 : 0);
        EXPECT_EQ(f.vfgBrowse->Rows(), samples + 1);
        w.close();
    }
}

// A full alarm trend holds 721 samples, the one at the alarm in the middle: the data page and
// the window show every one of them in the table, the graph and the exported text.
TEST(AlarmTrendWindow, AFullTrendShowsEverySampleOnTheDataPageAndInTheWindow) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    AlarmTrend t;
    t.samples = 721;
    t.name = "al0721";
    t.gas3 = [](int i) { return i == 720 ? 99.5f : 10.0f; };
    const int32_t seqNo = w.storeAlarm(t);
    const rt::OleDate last = t.start.addSeconds(720 * t.interval);
    const size_t told = w.rig.dialogs.messages.size();

    const auto check = [&](platform::FlexGrid& table, graph::uclZvdGraph& graph,
                           QAbstractButton& exportButton, const QString& file) {
        ASSERT_EQ(table.Rows(), 722);
        EXPECT_EQ(table.TextMatrix(721, 0), "721");
        EXPECT_EQ(table.TextMatrix(721, 1), rt::GeneralDate(last));
        EXPECT_EQ(table.TextMatrix(721, 2), "99.5");
        EXPECT_EQ(graph.SampleCount, 721);
        EXPECT_EQ(graph.valueX(720), last);
        EXPECT_FLOAT_EQ(graph.valueY(3, 720), 99.5f);

        const QString path = w.rig.folder.path() + "/" + file;
        w.rig.dialogs.fileNames.push_back(path);
        w.rig.dialogs.filterIndexes.push_back(1);
        exportButton.click();
        const QStringList text = QString::fromLatin1(readFile(path)).split("\r\n");
        const qsizetype head = text.indexOf("No,Date/Time,H2S(100.0ppm)");
        ASSERT_GE(head, 0);
        QStringList samples = text.mid(head + 1);
        samples.removeAll(QString());
        ASSERT_EQ(samples.size(), 721);
        EXPECT_EQ(samples.last(), "721," + rt::FormatDate(last, "yyyy/mm/dd hh:nn:ss") + ",99.5");
        EXPECT_EQ(w.rig.dialogs.messages.size(), told);
    };

    {
        SCOPED_TRACE("data page");
        w.window->dataView->SelectedLogType = 2;
        w.window->dataView->SelectedLogSeqNo = seqNo;
        w.window->dataView->ShowDataView();
        w.settle();
        check(*w.page().vfgBrowse, *w.page().zvdGraph, *w.page().cmdBrowse[2], "page.csv");
    }
    {
        SCOPED_TRACE("alarm-trend window");
        w.openTrend(seqNo);
        alarmtrend::FrmIntermittence& f = w.form();
        check(*f.vfgBrowse, *f.zvdGraph, *f.cmdBrowse[2], "window.csv");
        w.close();
    }
}

// The window opens in the data page's view, boxes and summary.
TEST(AlarmTrendWindow, TakesOverTheDataPageView) {
    TrendWindowRig w;
    const int32_t seqNo = w.storeAlarm({});
    w.dataPageView(true, true);
    w.page().chkBrowse[6]->setChecked(true);
    w.openTrend(seqNo);
    alarmtrend::FrmIntermittence& f = w.form();
    EXPECT_TRUE(f.optBrowse[1]->isChecked());
    EXPECT_TRUE(f.zvdGraph->isVisible());
    EXPECT_FALSE(f.vfgBrowse->isVisible());
    EXPECT_TRUE(f.vfgSummary->isVisible());
    EXPECT_TRUE(f.cmbBrowse->isVisible());
    EXPECT_TRUE(f.chkBrowse[6]->isChecked());
    EXPECT_TRUE(f.zvdGraph->CursorVisible());
    w.close();

    w.dataPageView(false, false);
    w.page().chkBrowse[6]->setChecked(false);
    w.openTrend(seqNo);
    EXPECT_TRUE(f.optBrowse[0]->isChecked());
    EXPECT_TRUE(f.vfgBrowse->isVisible());
    EXPECT_FALSE(f.zvdGraph->isVisible());
    EXPECT_FALSE(f.vfgSummary->isVisible());
    EXPECT_FALSE(f.cmbBrowse->isVisible());
    for (QCheckBox* box : f.chkBrowse)
        EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(f.chkBrowse[6]->isChecked());
}

// ---- table and summary -------------------------------------------------------------------------

TEST(AlarmTrendWindow, TheAlarmTableShowsValuesWordsAndTheRedAlarmRow) {
    TrendWindowRig w;
    AlarmTrend t;
    t.samples = 361;
    t.gas3 = [](int i) {
        switch (i) {
            case 0:
                return 12.5f;
            case 1:
                return 100.04f;  // rounds to the full scale: stays
            case 2:
                return 100.2f;  // above: OVER
            case 3:
                return -0.1f;  // below 0: OVER
            case 4:
                return -101.0f;  // no reading
            case 5:
                return -107.0f;  // OVER code
            default:
                return 1.0f;
        }
    };
    t.gas5 = [](int i) { return i == 0 ? 45.0f : i == 1 ? 5.0f : 20.0f; };
    w.openTrend(w.storeAlarm(t));
    const platform::FlexGrid& g = *w.form().vfgBrowse;
    ASSERT_EQ(g.Rows(), 362);
    EXPECT_EQ(g.TextMatrix(0, 0), "No");
    EXPECT_EQ(g.TextMatrix(0, 1), "Date/Time");
    EXPECT_EQ(g.TextMatrix(0, 2), "H2S(100.0ppm)");
    EXPECT_EQ(column(g, 2).mid(1, 6),
              QStringList({"12.5", "100.0", "OVER", "OVER", "-----", "OVER"}));
    EXPECT_EQ(column(g, 3).mid(1, 3), QStringList({"OVER", "U_OVER", "20"}));
    EXPECT_EQ(g.TextMatrix(361, 0), "361");
    // The alarm moment is red from its date on.
    EXPECT_EQ(g.CellBackColor(361, 0), 0);
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(g.CellBackColor(361, c), rt::RGB(255, 0, 0));
    EXPECT_EQ(g.CellBackColor(360, 2), 0);
    // The alarm row is the last: the table shows its end.
    EXPECT_EQ(g.BottomRow(), 361);
    // Centred but the date; the temperature hidden without "-DEBUG".
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 5, 2), AlignCentre);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 5, 1), AlignLeft);
    EXPECT_TRUE(g.ColHidden(3));
    w.close();
    // The alarm row stands in the middle of the rows shown.
    w.openTrend(w.storeAlarm({}));
    EXPECT_LT(g.TopRow(), 361);
    EXPECT_GT(g.BottomRow(), 361);
    EXPECT_LE(std::abs((g.TopRow() + g.BottomRow()) / 2 - 361), 2);
    w.close();

    core::DebugMode = true;
    t.samples = 360;
    t.name = "al0360";
    w.openTrend(w.storeAlarm(t));
    EXPECT_FALSE(g.ColHidden(3));
    EXPECT_EQ(g.CellBackColor(360, 2), 0);
    // A table too short for the alarm row shows its end, clamped.
    EXPECT_EQ(g.BottomRow(), 360);
}

// The summary names the date by the sampling flag; a trend kept as an interval trend stands
// left throughout and its table stays at the top.
TEST(AlarmTrendWindow, TheAlarmSummaryBySamplingFlag) {
    TrendWindowRig w;
    w.dataPageView(false, true);
    const struct {
        int sampling;
        const char* dateLabel;
        int titleAlignment;
    } cases[] = {{0, "Alarm Date/Time", AlignCentre}, {2, "Start Date/Time", AlignLeft}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sampling);
        AlarmTrend t;
        t.sampling = c.sampling;
        t.name = QStringLiteral("s%1").arg(c.sampling);
        w.openTrend(w.storeAlarm(t));
        const platform::FlexGrid& s = *w.form().vfgSummary;
        EXPECT_EQ(column(s, 0), QStringList({"Property", "Name", c.dateLabel, "Serial No.",
                                             "User ID", "Data Count", "Interval Time (sec)"}));
        EXPECT_EQ(column(s, 1).mid(0, 2), QStringList({"Value", t.name}));
        EXPECT_EQ(column(s, 1).mid(3), QStringList({"A1", "*", "720", "5"}));
        EXPECT_EQ(s.Cell(platform::FlexProperty::Alignment, 0, 1), c.titleAlignment);
        EXPECT_EQ(s.Cell(platform::FlexProperty::Alignment, 3, 1), AlignLeft);
        if (c.sampling == 2) {
            EXPECT_EQ(w.form().vfgBrowse->TopRow(), 1);
        }
        w.close();
    }
}

// An interval trend (opened with kind 1): samples and events in time order, the event cells
// with their words; "Event Only" leaves the events alone, numbered without gaps.
TEST(AlarmTrendWindow, TheIntervalTableAndSummary) {
    TrendWindowRig w;
    w.dataPageView(false, true);
    w.openTrend(w.seqNoOf(1), 1);
    alarmtrend::FrmIntermittence& f = w.form();
    const platform::FlexGrid& g = *f.vfgBrowse;
    const records::clsInterval& r = f.IntervalRecord;
    ASSERT_GT(r.EventCount(), 0);
    const int merged = static_cast<int>(trendview::MergeTrendRows(r, false).size());
    const int events = static_cast<int>(trendview::MergeTrendRows(r, true).size());
    EXPECT_EQ(g.Rows(), merged + 1);
    for (int row = 2; row < g.Rows(); ++row)
        ASSERT_LE(g.RowDate(row - 1), g.RowDate(row)) << row;
    const int alarm = testsupport::alarmRow(g);
    ASSERT_GT(alarm, 0);
    EXPECT_TRUE(g.TextMatrix(alarm, 2).startsWith("ALARM("));
    EXPECT_EQ(g.CellBackColor(alarm, 2), rt::RGB(255, 0, 0));
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, alarm, 2), AlignLeft);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, alarm, 0), AlignCentre);
    // Words stand left, numbers and "-----" centred.
    for (int row = 1; row < g.Rows(); ++row) {
        const QString text = g.TextMatrix(row, 2);
        const bool centred = rt::IsNumeric(text) || text == "-----";
        EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, row, 2),
                  centred ? AlignCentre : AlignLeft)
            << row << " " << text.toStdString();
    }

    const platform::FlexGrid& s = *f.vfgSummary;
    ASSERT_EQ(s.Rows(), 13);
    EXPECT_EQ(column(s, 0).mid(7), QStringList({"Gas(FullScale)", "Avg", "Max", "Max Date/Time",
                                                "Min", "Min Date/Time"}));
    EXPECT_EQ(s.TextMatrix(11, 1), "-----");
    EXPECT_EQ(s.TextMatrix(12, 1), "-----");
    EXPECT_EQ(s.TextMatrix(5, 1), QString::number(r.DataCount() + r.EventCount()));
    EXPECT_EQ(s.CellBackColor(7, 1), rt::RGB(224, 224, 224));
    EXPECT_EQ(s.Cell(platform::FlexProperty::Alignment, 11, 1), AlignCentre);
    EXPECT_EQ(s.Cell(platform::FlexProperty::Alignment, 12, 1), AlignLeft);

    f.chkEvent->click();
    ASSERT_EQ(g.Rows(), events + 1);
    for (int row = 1; row < g.Rows(); ++row)
        EXPECT_EQ(g.TextMatrix(row, 0), QString::number(row));
    f.chkEvent->click();
    EXPECT_EQ(g.Rows(), merged + 1);
}

// ---- graph -------------------------------------------------------------------------------------

TEST(AlarmTrendWindow, TheGraphOfAnAlarmTrend) {
    TrendWindowRig w;
    w.dataPageView(true, false);
    w.page().chkBrowse[5]->setChecked(true);
    AlarmTrend t;
    t.samples = 362;
    t.gas3 = [](int i) { return i == 0 ? 150.0f : i == 1 ? -101.0f : 12.34f; };
    t.gas5 = [](int i) { return i == 0 ? 45.0f : i == 1 ? 5.0f : i == 2 ? -101.0f : 20.0f; };
    w.openTrend(w.storeAlarm(t));
    alarmtrend::FrmIntermittence& f = w.form();
    graph::uclZvdGraph& g = *f.zvdGraph;
    EXPECT_EQ(g.TitleTop, "Data Browse (al0001) - Alarm Trend");
    EXPECT_TRUE(g.TitleBottom.startsWith("Sampling Date/Time: "));
    EXPECT_EQ(g.SampleCount, 362);
    EXPECT_EQ(g.valueY(3, 0), 100.0f);        // at the full scale
    EXPECT_FLOAT_EQ(g.valueY(3, 1), -0.01f);  // a gap
    EXPECT_FLOAT_EQ(g.valueY(3, 2), 12.3f);
    EXPECT_EQ(g.valueY(4, 0), 40.0f);
    EXPECT_EQ(g.valueY(4, 1), 10.0f);
    EXPECT_EQ(g.valueY(4, 2), 10.0f);  // a code plots at the minimum
    EXPECT_EQ(g.EventFlag(1000, 360), "Alarm");
    EXPECT_TRUE(g.EventVisible(1000));
    EXPECT_EQ(zoomList(*f.cmbBrowse), QStringList({"1", "3", "5", "10", "20", "30"}));
    // The gas boxes hidden, the temperature's too without "-DEBUG"; Event hidden for an alarm
    // trend, Cursor shown.
    for (int i = 0; i <= 5; ++i)
        EXPECT_FALSE(f.chkBrowse[i]->isVisible()) << i;
    EXPECT_TRUE(f.chkBrowse[6]->isVisible());
    EXPECT_EQ(f.chkBrowse[3]->text(), "H2S");
    EXPECT_TRUE(g.SampleVisible(3));
    EXPECT_FALSE(g.SampleVisible(4));
    EXPECT_EQ(f.windowIcon().pixmap(32).toImage(),
              w.page().Alarm0->pixmap().toImage().scaled(32, 32));
    // A box's handler: the cursor follows box 6.
    f.chkBrowse[6]->click();
    EXPECT_EQ(g.CursorVisible(), f.chkBrowse[6]->isChecked());
    w.close();

    AlarmTrend kept;
    kept.samples = 361;
    kept.sampling = 2;
    kept.name = "al0361";
    w.openTrend(w.storeAlarm(kept));
    EXPECT_EQ(g.TitleTop, "Data Browse (al0361) - Interval Trend");
    EXPECT_EQ(g.EventFlag(1000, 360), "");
    EXPECT_EQ(f.windowIcon().pixmap(32).toImage(),
              w.page().Interval0->pixmap().toImage().scaled(32, 32));
}

TEST(AlarmTrendWindow, TheZoomListBySampleCountAndBackToOneOnEachGraph) {
    TrendWindowRig w;
    w.dataPageView(true, false);
    const struct {
        int samples;
        QStringList zoom;
    } cases[] = {{30, {"1"}}, {31, {"1", "3"}}, {101, {"1", "3", "5", "10"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples);
        AlarmTrend t;
        t.samples = c.samples;
        t.name = QStringLiteral("z%1").arg(c.samples);
        w.openTrend(w.storeAlarm(t));
        EXPECT_EQ(zoomList(*w.form().cmbBrowse), c.zoom);
        w.close();
    }
    w.openTrend(w.seqNoOf(2));
    alarmtrend::FrmIntermittence& f = w.form();
    f.cmbBrowse->setCurrentIndex(2);  // "5"
    EXPECT_EQ(f.zvdGraph->Zoom(), 5);
    f.optBrowse[0]->click();
    EXPECT_TRUE(f.vfgBrowse->isVisible());
    EXPECT_FALSE(f.cmbBrowse->isVisible());
    EXPECT_EQ(f.windowIcon().pixmap(32).toImage(),
              w.page().AlarmG->pixmap().toImage().scaled(32, 32));
    f.optBrowse[1]->click();
    EXPECT_EQ(f.zvdGraph->Zoom(), 1);
    EXPECT_EQ(f.cmbBrowse->currentText(), "1");
    EXPECT_TRUE(f.cmbBrowse->isVisible());
}

// ---- layout ------------------------------------------------------------------------------------

TEST(AlarmTrendWindow, TheLayoutFollowsTheSizeAndTheSummary) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    w.openTrend(w.storeAlarm({}));
    alarmtrend::FrmIntermittence& f = w.form();
    const auto twipsOf = [](QWidget* widget) { return platform::toTwips(widget->geometry()); };
    for (QSize size : {QSize(1000, 700), QSize(1400, 900)}) {
        SCOPED_TRACE(size.width());
        f.resize(size);
        w.settle();
        const platform::TwipsRect frame = twipsOf(f.fraMenu);
        EXPECT_NEAR(frame.width, 0.88 * platform::pixelsToTwips(size.width()) - 240, 30);
        const platform::TwipsRect table = twipsOf(f.vfgBrowse);
        EXPECT_NEAR(table.top, 240 + 252 + 120, 20);
        EXPECT_NEAR(table.bottom(), frame.height - 120, 20);
        // The buttons right-aligned over the table, To clipboard left of Print.
        EXPECT_NEAR(twipsOf(f.cmdBrowse[4]).right(), table.right(), 20);
        EXPECT_NEAR(twipsOf(f.cmdBrowse[1]).right(), twipsOf(f.cmdBrowse[0]).left, 20);
        EXPECT_GE(twipsOf(f.cmdBrowse[1]).left, twipsOf(f.chkEvent).right() - 20);
        // Summary twice: the layout as it was.
        const QRect before = f.vfgBrowse->geometry();
        f.cmdBrowse[3]->click();
        EXPECT_TRUE(f.vfgSummary->isVisible());
        const platform::TwipsRect summary = twipsOf(f.vfgSummary);
        EXPECT_NEAR(summary.height, 0.3 * frame.height, 20);
        EXPECT_NEAR(twipsOf(f.vfgBrowse).top, summary.bottom() + 120, 20);
        f.cmdBrowse[3]->click();
        EXPECT_FALSE(f.vfgSummary->isVisible());
        EXPECT_EQ(f.vfgBrowse->geometry(), before);
    }
    // The column widths by the table's four columns.
    EXPECT_NEAR(f.vfgBrowse->ColWidth(0), 0.07 * twipsOf(f.vfgBrowse).width, 20);
    EXPECT_NEAR(f.vfgBrowse->ColWidth(1), 0.22 * twipsOf(f.vfgBrowse).width, 20);

    // Never below the minimum size; a minimised window keeps its controls.
    f.resize(200, 150);
    w.settle();
    EXPECT_GE(platform::pixelsToTwips(f.frameGeometry().width()), alarmtrend::MinimumWidth - 20);
    EXPECT_GE(platform::pixelsToTwips(f.frameGeometry().height()), alarmtrend::MinimumHeight - 20);
    const QRect placed = f.vfgBrowse->geometry();
    f.showMinimized();
    w.settle();
    f.Form_Resize();
    EXPECT_EQ(f.vfgBrowse->geometry(), placed);
}

// Pictures of both views in both languages, to be looked at.
TEST(AlarmTrendWindow, Pictures) {
    TrendWindowRig w;
    const int32_t seqNo = w.storeAlarm({});
    for (const auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        testsupport::LanguageScope scope(language);
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        for (const bool graph : {false, true}) {
            w.dataPageView(graph, true);
            w.openTrend(seqNo);
            w.form().resize(platform::toPixels({0, 0, 11640, 8250}).size());
            w.settle();
            testsupport::savePicture(
                w.form(),
                QStringLiteral("alarmtrend-%1-%2").arg(graph ? "graph" : "table", suffix));
            w.close();
        }
    }
    w.dataPageView(false, false);
    w.openTrend(w.seqNoOf(1), 1);
    w.form().resize(1300, 850);
    w.settle();
    testsupport::savePicture(w.form(), "alarmtrend-interval-en");
}

// A full trend on the data page and in the window: the graph to its last sample, the table
// scrolled to its last row.
TEST(AlarmTrendWindow, PicturesOfAFullTrend) {
    for (const auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        testsupport::LanguageScope scope(language);
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        TrendWindowRig w;
        w.window->resize(1200, 800);
        AlarmTrend t;
        t.samples = 721;
        t.gas3 = [](int i) { return i == 720 ? 60.0f : 10.0f + static_cast<float>(i % 10); };
        const int32_t seqNo = w.storeAlarm(t);
        for (const bool graph : {false, true}) {
            const QString view = graph ? "graph" : "table";
            w.dataPageView(graph, false);
            w.window->dataView->SelectedLogType = 2;
            w.window->dataView->SelectedLogSeqNo = seqNo;
            w.window->dataView->ShowDataView();
            w.window->Form_Resize();
            w.page().vfgBrowse->setTopRow(721);
            w.settle();
            testsupport::savePicture(*w.window,
                                     QStringLiteral("fulltrend-page-%1-%2").arg(view, suffix));
            w.openTrend(seqNo);
            w.form().resize(platform::toPixels({0, 0, 11640, 8250}).size());
            w.settle();
            w.form().vfgBrowse->setTopRow(721);
            w.settle();
            testsupport::savePicture(w.form(),
                                     QStringLiteral("fulltrend-window-%1-%2").arg(view, suffix));
            w.close();
        }
    }
}

// ---- export and clipboard ----------------------------------------------------------------------

namespace {

// Two samples, the second above the full scale.
AlarmTrend twoSamples() {
    AlarmTrend t;
    t.samples = 2;
    t.name = "al09103000_A1";
    t.interval = 5;
    t.date = *rt::OleDate::fromCivil(2008, 10, 9, 10, 30, 0);
    t.start = *rt::OleDate::fromCivil(2008, 10, 9, 10, 0, 0);
    t.gas3 = [](int i) { return i == 0 ? 12.5f : 150.0f; };
    return t;
}

const QByteArray TwoSamplesComma =
    "QM-73 Data Sample (Alarm Trend)\r\n"
    "Property,Value\r\n"
    "Name,al09103000_A1\r\n"
    "Alarm Date/Time,2008/10/09 10:30:00\r\n"
    "Serial No.,A1\r\n"
    "User ID,*\r\n"
    "Data Count,2\r\n"
    "Interval Time (sec),5\r\n"
    "\r\n"
    "No,Date/Time,H2S(100.0ppm)\r\n"
    "1,2008/10/09 10:00:00,12.5\r\n"
    "2,2008/10/09 10:00:05,OVER\r\n";

}  // namespace

TEST(AlarmTrendWindow, ExportWritesTheTextOfEachFilter) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    w.openTrend(w.storeAlarm(twoSamples()));
    alarmtrend::FrmIntermittence& f = w.form();
    QByteArray tab = TwoSamplesComma;
    tab.replace(',', '\t');
    const struct {
        const char* file;
        int filter;
        QByteArray bytes;
    } cases[] = {{"comma.csv", 1, TwoSamplesComma + "\r\n"},
                 {"tab.csv", 2, tab + "\r\n"},
                 {"text.txt", 3, TwoSamplesComma + "\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = w.rig.folder.path() + "/" + c.file;
        w.rig.dialogs.fileNames.push_back(path);
        w.rig.dialogs.filterIndexes.push_back(c.filter);
        f.cmdBrowse[2]->click();
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(f.LastExportFile, path);
    }
    // The dialog: its title and filters; the first proposal in the program folder, the next
    // from the last file written.
    const auto& asked = w.rig.dialogs.saveRequests;
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].title, "Export");
    EXPECT_EQ(asked[0].initialPath, w.rig.folder.path() + "/Sample.csv");
    EXPECT_EQ(asked[0].filter, core::LoadResText(5701));
    EXPECT_EQ(asked[0].filterIndex, 1);
    EXPECT_EQ(asked[1].initialPath, w.rig.folder.path() + "/comma.csv");
    EXPECT_EQ(asked[2].initialPath, w.rig.folder.path() + "/tab.csv");
    // After a.txt: a.csv for the table, a.bmp for the graph, also at the next opening.
    w.close();
    w.openTrend(w.storeAlarm({}));
    f.cmdBrowse[2]->click();  // cancelled
    EXPECT_EQ(asked.back().initialPath, w.rig.folder.path() + "/text.csv");
    f.optBrowse[1]->click();
    f.cmdBrowse[2]->click();
    EXPECT_EQ(asked.back().initialPath, w.rig.folder.path() + "/text.bmp");
    EXPECT_EQ(asked.back().filter, core::LoadResText(5712));
}

TEST(AlarmTrendWindow, ExportAsksBeforeReplacingAndKeepsTheOldFileOnFailure) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    w.openTrend(w.storeAlarm(twoSamples()));
    alarmtrend::FrmIntermittence& f = w.form();
    const QString path = w.rig.folder.path() + "/old.csv";
    writeFile(path, "old contents");
    // No: nothing written, the last export's name unchanged.
    w.rig.dialogs.fileNames.push_back(path);
    w.rig.dialogs.answers.push_back(MsgAnswer::No);
    f.cmdBrowse[2]->click();
    EXPECT_EQ(readFile(path), "old contents");
    EXPECT_EQ(f.LastExportFile, "");
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "File Found. Over Write OK?");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Override");
    EXPECT_EQ(w.rig.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Question);
    // Cancel: nothing asked or written.
    f.cmdBrowse[2]->click();
    EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.LastExportFile, "");
    // Yes: replaced.
    w.rig.dialogs.fileNames.push_back(path);
    w.rig.dialogs.answers.push_back(MsgAnswer::Yes);
    f.cmdBrowse[2]->click();
    EXPECT_EQ(readFile(path), TwoSamplesComma + "\r\n");
    EXPECT_EQ(f.LastExportFile, path);
    // A write that fails half way (the file size limit reached): told, the old file intact,
    // the last name kept.
    w.close();
    w.openTrend(w.storeAlarm({}));
    const QString full = w.rig.folder.path() + "/full.csv";
    writeFile(full, "kept");
    w.rig.dialogs.fileNames.push_back(full);
    w.rig.dialogs.answers.push_back(MsgAnswer::Yes);
    const size_t told = w.rig.dialogs.messages.size();
    {
        const testsupport::FileSizeLimit limit(4096);
        f.cmdBrowse[2]->click();
    }
    EXPECT_EQ(readFile(full), "kept") << readFile(full).size();
    EXPECT_EQ(f.LastExportFile, path);
    ASSERT_EQ(w.rig.dialogs.messages.size(), told + 2);
    EXPECT_TRUE(w.rig.dialogs.messages.back().text.contains("full.csv"));
    EXPECT_EQ(w.rig.dialogs.messages.back().icon, platform::MsgIcon::Critical);
    EXPECT_EQ(QDir(w.rig.folder.path()).entryList({"full*"}, QDir::Files).size(), 1);
}

TEST(AlarmTrendWindow, TheGraphExportsAndCopiesAsABitmap) {
    TrendWindowRig w;
    w.dataPageView(true, false);
    w.openTrend(w.storeAlarm({}));
    alarmtrend::FrmIntermittence& f = w.form();
    const QString path = w.rig.folder.path() + "/graph.bmp";
    w.rig.dialogs.fileNames.push_back(path);
    f.cmdBrowse[2]->click();
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("BM"));
    const QImage picture = QImage::fromData(bytes, "BMP");
    EXPECT_EQ(picture.size(), f.zvdGraph->Picture().size());
    EXPECT_EQ(f.LastExportFile, path);

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    f.cmdBrowse[1]->click();
    EXPECT_FALSE(clipboard->mimeData()->hasText());
    EXPECT_EQ(clipboard->image().size(), f.zvdGraph->Picture().size());
}

TEST(AlarmTrendWindow, TheTableCopiesAsTabText) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    w.openTrend(w.storeAlarm(twoSamples()));
    QByteArray tab = TwoSamplesComma;
    tab.replace(',', '\t');
    w.form().cmdBrowse[1]->click();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), QString::fromLatin1(tab));
    EXPECT_FALSE(copied->hasImage());
}

// ---- print -------------------------------------------------------------------------------------

TEST(AlarmTrendWindow, PrintHandsTheRecordAndTheViewToThePrintForm) {
    TrendWindowRig w;
    w.dataPageView(false, false);
    w.openTrend(w.storeAlarm({}));
    alarmtrend::FrmIntermittence& f = w.form();
    f.cmdBrowse[0]->click();
    f.optBrowse[1]->click();
    f.cmdBrowse[0]->click();
    w.close();
    w.openTrend(w.seqNoOf(1), 1);
    f.cmdBrowse[0]->click();
    const auto& printed = w.rig.printed;
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0].printType, 0);
    EXPECT_EQ(printed[1].printType, -1);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(printed[i].dataType, 2);
        EXPECT_EQ(printed[i].seqNo, 0);
        EXPECT_EQ(printed[i].alarm, &f.AlarmRecord);
        EXPECT_EQ(printed[i].table, f.vfgBrowse);
    }
    EXPECT_EQ(printed[2].dataType, 1);
    EXPECT_EQ(printed[2].interval, &f.IntervalRecord);
    EXPECT_EQ(printed[2].table, f.vfgBrowse);
}

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

// Through the program's print form into PDF files: the sample list of the Table view, the
// summary and graph of the Graph view.
TEST(AlarmTrendWindow, PrintsTheTableAndTheGraphIntoPdf) {
    platform::PrinterCatalog printers{{{"Office", true}, {"PDF file", true}}, "Office"};
    std::unique_ptr<printing::FrmPrint> frmPrint;
    auto w = std::make_unique<TrendWindowRig>([&](testsupport::WindowRig& rig) {
        frmPrint = std::make_unique<printing::FrmPrint>(
            printing::PrintServices{printers, rig.dialogs, rig.folder.paths()});
        frmPrint->choosePrinter = [](const QStringList&, const QString&) { return 1; };
        rig.printForms = app::PrintFormsOf(*frmPrint);
    });
    QTemporaryDir out;
    w->dataPageView(false, false);
    w->openTrend(w->storeAlarm({}));
    alarmtrend::FrmIntermittence& f = w->form();
    const auto printTo = [&](const QString& name) {
        const QString file = out.filePath(name);
        w->rig.dialogs.fileNames.push_back(file);
        f.cmdBrowse[0]->click();
        w->settle();
        EXPECT_TRUE(QFileInfo::exists(file)) << name.toStdString();
        return file;
    };
    const QString list = printTo("list.pdf");
    const QString listText = run("pdftotext", {"-layout", list, "-"});
    EXPECT_TRUE(listText.contains("QM-73 Data Logger (Alarm Trend)"));
    EXPECT_TRUE(listText.contains(f.vfgBrowse->TextMatrix(1, 1)));
    EXPECT_TRUE(listText.contains(f.vfgBrowse->TextMatrix(720, 1)));
    EXPECT_GT(run("pdfinfo", {list}).section("Pages:", 1).trimmed().section('\n', 0, 0).toInt(), 1);
    f.optBrowse[1]->click();
    const QString graph = printTo("graph.pdf");
    const QString graphText = run("pdftotext", {"-layout", graph, "-"});
    EXPECT_TRUE(graphText.contains("Data Browse (al0001) - Alarm Trend"));
    EXPECT_FALSE(graphText.contains(f.vfgBrowse->TextMatrix(720, 1)));
    EXPECT_EQ(run("pdfinfo", {graph}).section("Pages:", 1).trimmed().section('\n', 0, 0).toInt(),
              1);
    EXPECT_EQ(printers.CurrentName(), "Office");
    w.reset();
    frmPrint.reset();
}
