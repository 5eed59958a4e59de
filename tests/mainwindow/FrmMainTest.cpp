#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTextLayout>
#include <QtTest/QTest>

#include "core/ModMain.h"
#include "mainwindow/shell/Captions.h"
#include "mainwindow/shell/FrmMain.h"
#include "mainwindow/shell/LayoutApply.h"
#include "platform/StringTable.h"
#include "platform/Twips.h"
#include "tests/support/Pictures.h"
#include "tests/support/WindowRig.h"

using platform::StringTable;
using platform::TwipsRect;
using shell::FrmMain;
using testsupport::LanguageScope;
using testsupport::savePicture;

namespace {

QString captionOf(QWidget* w) {
    return shell::CaptionOf(w);
}

// A window shown with its client area at the given size (pixels), laid out.
struct ShownWindow {
    testsupport::WindowRig rig;
    FrmMain window{rig.services()};
    explicit ShownWindow(QSize client = {1200, 800}) {
        window.Show();
        window.resize(client);
        settle();
    }
    static void settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    QWidget* control(const QString& name, int index = -1) const {
        return window.controls().get<QWidget>(name, index);
    }
    // Shows one page frame only and lays the window out.
    void showPage(int page) {
        for (int i = 0; i < window.fraMenu.count(); ++i)
            window.fraMenu[i]->setVisible(i == page);
        window.Form_Resize();
        settle();
    }
};

// Every control stands where the model says, at 15 twips a pixel (sizes below zero as 0).
void expectWidgetsFollowTheModel(const FrmMain& window) {
    for (const auto& [key, rect] : window.geometry().rects()) {
        QWidget* w = window.controls().find(key);
        if (!w) continue;
        const QRect g = w->geometry();
        const QString what = key.text();
        EXPECT_NEAR(g.x(), platform::twipsToPixels(rect.left), 1.0) << what.toStdString();
        EXPECT_NEAR(g.y(), platform::twipsToPixels(rect.top), 1.0) << what.toStdString();
        EXPECT_NEAR(g.width(), platform::twipsToPixels(std::max(rect.width, 0.0)), 1.0)
            << what.toStdString();
        EXPECT_NEAR(g.height(), platform::twipsToPixels(std::max(rect.height, 0.0)), 1.0)
            << what.toStdString();
    }
}

}  // namespace

TEST(FrmMainWindow, WidgetsStandWhereTheLayoutPutsThem) {
    for (const QSize client : {QSize(1200, 800), QSize(900, 600)}) {
        ShownWindow s(client);
        ASSERT_EQ(s.window.client()->size(), client);
        for (int page = 0; page < 6; ++page) {
            s.showPage(page);
            expectWidgetsFollowTheModel(s.window);
        }
        // The menu column at the right edge, 12 % of the client width.
        const QRect exit = s.window.cmdInst[5]->geometry();
        EXPECT_NEAR(exit.right() + 1, client.width() - 8, 1.0);
        EXPECT_NEAR(exit.width(), client.width() * 0.12, 1.0);
    }
}

TEST(FrmMainWindow, ResizingLaysTheWindowOutAgain) {
    ShownWindow s({1000, 700});
    const double before = s.window.geometry().rect("fraMenu", 0).width;
    s.window.resize(1300, 900);
    ShownWindow::settle();
    const double after = s.window.geometry().rect("fraMenu", 0).width;
    EXPECT_NEAR(after - before, 300 * 15 * 0.88, 1e-6);
    EXPECT_NEAR(s.window.fraMenu[0]->width(), platform::twipsToPixels(after), 1.0);
    expectWidgetsFollowTheModel(s.window);
}

TEST(FrmMainWindow, ShowingAnotherFrameLaysOutThatPage) {
    ShownWindow s;
    ASSERT_FALSE(s.window.fraMenu[2]->isVisible());
    s.showPage(2);
    const TwipsRect tree = s.window.geometry().rect("tvwLog");
    EXPECT_NEAR(tree.width, 0.35 * s.window.geometry().rect("fraMenu", 2).width, 1e-6);
    EXPECT_NEAR(s.window.libraryPage->tvwLog->width(), platform::twipsToPixels(tree.width), 1.0);
    EXPECT_TRUE(s.window.libraryPage->tvwLog->isVisible());
}

TEST(FrmMainWindow, TheWindowIsNeverSmallerThanItsMinimum) {
    ShownWindow s;
    s.window.resize(300, 200);
    ShownWindow::settle();
    const QSize outer = s.window.frameGeometry().size();
    EXPECT_GE(outer.width() * 15, 11640 - 15);
    EXPECT_GE(outer.height() * 15, 8250 - 15);
}

TEST(FrmMainWindow, SizesBelowZeroAreShownAsNothing) {
    ShownWindow s;
    shell::LayoutModel model;
    model.rect("cmdDetail") = {120, 240, -300, -45};
    model.rect("tvwLog") = {10, 20, 1500, 3000};
    shell::ApplyLayout(model, {}, s.window.controls());
    EXPECT_EQ(s.window.libraryPage->cmdDetail->geometry(), QRect(8, 16, 0, 0));
    EXPECT_EQ(s.window.libraryPage->tvwLog->geometry(), QRect(1, 1, 100, 200));
}

TEST(FrmMainWindow, DownloadPageFollowsSwitchR) {
    const testsupport::GlobalsSnapshot globals;
    for (const bool switchR : {false, true}) {
        core::SwitchR = switchR;
        ShownWindow s;
        s.showPage(0);
        core::SwitchR = false;
        const auto& page = *s.window.downloadPage;
        EXPECT_EQ(page.cmdDown[6]->isVisible(), switchR);
        EXPECT_EQ(page.cmdDown[10]->isVisible(), switchR);
        EXPECT_FALSE(page.cmdDown[9]->isVisible());
        EXPECT_EQ(page.picOptionToZevra->isVisible(), switchR);
        EXPECT_EQ(page.txtSuffix->isVisible(), switchR);
    }
}

namespace {

// The captions the string table gives, control by control (each id's text in the language in
// use).
const struct {
    const char* name;
    int index;
    int id;
} CaptionIds[] = {
    {"cmdInst", 0, 5002},       {"cmdInst", 1, 5003},       {"cmdInst", 2, 5004},
    {"cmdInst", 3, 5009},       {"cmdInst", 4, 5006},       {"cmdInst", 5, 5007},
    {"fraMenu", 0, 5002},       {"fraDown", 0, 5021},       {"lblStatus", 0, 5022},
    {"lblStatus", 1, 5023},     {"lblTitle", 0, 5012},      {"fraDown", 3, 5025},
    {"lblStatus", 2, 5026},     {"lblStatus", 4, 5028},     {"lblStatus", 11, 5048},
    {"fraDown", 1, 5032},       {"chkAutoLoad", 0, 5033},   {"chkAutoLoad", 1, 5034},
    {"fraDown", 2, 5035},       {"cmdDown", 0, 5036},       {"cmdDown", 1, 5037},
    {"cmdDown", 2, 5038},       {"cmdDown", 3, 5039},       {"cmdDown", 4, 5042},
    {"cmdDown", 5, 5043},       {"cmdDown", 6, 5045},       {"cmdDown", 7, 5040},
    {"cmdDown", 8, 5041},       {"cmdDown", 9, 5044},       {"cmdDown", 10, 5047},
    {"fraMenu", 1, 5051},       {"fraInst", -1, 5052},      {"lblInst", 0, 5053},
    {"lblInst", 1, 5054},       {"lblInst", 2, 5055},       {"lblInst", 6, 5056},
    {"lblInst", 8, 5060},       {"fraMenu", 2, 5101},       {"chkLog", 0, 5102},
    {"chkLog", 1, 5104},        {"chkLog", 2, 5103},        {"cmdDetail", -1, 5005},
    {"cmdLogInst", -1, 5025},   {"fraMenu", 3, 5151},       {"optBrowse", 0, 5152},
    {"optBrowse", 1, 5153},     {"chkBrowse", 5, 5154},     {"chkBrowse", 6, 5155},
    {"lblTitle", 1, 5156},      {"cmdBrowse", 0, 5161},     {"cmdBrowse", 1, 5157},
    {"cmdBrowse", 2, 5158},     {"cmdBrowse", 3, 5159},     {"cmdBrowse", 4, 9101},
    {"chkEvent", -1, 5160},     {"chkOutline", -1, 5164},   {"fraMenu", 4, 5254},
    {"optHistory", 0, 5251},    {"optHistory", 1, 5252},    {"optHistory", 2, 5253},
    {"cmdLastCal", -1, 5161},   {"fraMenu", 5, 5201},       {"fraOption", 0, 5202},
    {"cmdOptionDisp", 4, 5204}, {"cmdOptionDisp", 5, 5204}, {"cmdOptionDisp", 6, 5222},
    {"fraOption", 1, 5208},     {"lblOption", 0, 5209},     {"lblOption", 1, 5210},
    {"lblOption", 2, 5211},     {"lblOption", 3, 5212},     {"lblOption", 4, 5213},
    {"lblOption", 7, 5223},     {"lblOption", 8, 5224},     {"cmdOption", 0, 5214},
    {"cmdOption", 1, 5215},     {"cmdOption", 2, 5216},     {"cmdOption", 3, 5221},
    {"fraOption", 2, 5216},     {"cmdCal", 0, 5218},        {"cmdCal", 1, 5219},
    {"cmdCal", 2, 5220},
};

void expectCaptions(const ShownWindow& s, StringTable::Language language) {
    const StringTable& table = StringTable::of(language);
    for (const auto& c : CaptionIds)
        EXPECT_EQ(captionOf(s.control(c.name, c.index)), table.text(c.id))
            << c.name << "(" << c.index << ")";
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 8)), table.text(5222) + "(EF)");
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 9)), table.text(5222) + "(ES)");
    // The window definition's captions stay in every language.
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 1)), "Graph Color - HC");
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 2)), "Graph Color - OXY");
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 3)), "Graph Color - H2S");
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 7)), "Factory Setting");
    const auto* cal = s.window.setPage->vfgCal;
    ASSERT_EQ(cal->Cols(), 3);
    const QStringList headings = table.text(5217).split('|');
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(cal->TextMatrix(0, c), headings.value(c));
}

}  // namespace

TEST(FrmMainWindow, EnglishCaptions) {
    core::DefaultInstrument.setGasName(3, "CH4");
    ShownWindow s;
    core::DefaultInstrument.setGasName(3, QString());
    expectCaptions(s, StringTable::Language::English);
    EXPECT_EQ(s.window.windowTitle(), "QM-73 - Data Logger Management Program [P.No.73412]");
    EXPECT_EQ(captionOf(s.control("cmdInst", 3)), "Last Calibration");
    EXPECT_EQ(captionOf(s.control("cmdOptionDisp", 8)), "EEP-ROM Dump(EF)");
    // An "&" is shown as it is written, not taken for a mnemonic.
    EXPECT_EQ(s.window.downloadPage->cmdDown[10]->text(), "Instrument Information Get && Save");
    // The gas boxes show the default instrument's gas names: empty ones stay empty.
    EXPECT_EQ(captionOf(s.control("chkBrowse", 3)), "CH4");
    EXPECT_EQ(captionOf(s.control("chkBrowse", 0)), "");
}

TEST(FrmMainWindow, JapaneseCaptions) {
    const LanguageScope japanese(StringTable::Language::Japanese);
    ShownWindow s;
    expectCaptions(s, StringTable::Language::Japanese);
    const QString title = s.window.windowTitle();
    EXPECT_EQ(title, StringTable::of(StringTable::Language::Japanese).text(5001) + " [P.No.73411]");
    EXPECT_NE(captionOf(s.control("cmdInst", 0)), "Download");
}

TEST(FrmMainWindow, JapaneseGlyphsAreDrawnInTheProportionalGothic) {
    ShownWindow s;
    QTextLayout layout(QStringLiteral("ダウンロード状況"), s.window.font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    ASSERT_FALSE(runs.isEmpty());
    for (const QGlyphRun& run : runs)
        EXPECT_EQ(run.rawFont().familyName().toLower(), "ipapgothic");
}

// Pictures of every page in both languages, to be looked at.
TEST(FrmMainWindow, PicturesOfEveryPage) {
    // The switch is set before each window's own snapshot is taken: this one restores it.
    const testsupport::GlobalsSnapshot globals;
    const char* const pages[] = {"download", "instrument", "library", "dataview", "lastcal", "set"};
    for (const auto& [language, suffix] : {std::pair{StringTable::Language::English, "en"},
                                           std::pair{StringTable::Language::Japanese, "ja"}}) {
        const LanguageScope scope(language);
        core::SwitchR = true;                                        // every control of the pages
        const QString gases[] = {"HC", "OXY", "H2S", "CH4", "TMP"};  // as the settings give
        for (int g = 0; g < 5; ++g)
            core::DefaultInstrument.setGasName(g, gases[g]);
        ShownWindow s;
        for (int g = 0; g < 5; ++g)
            core::DefaultInstrument.setGasName(g, QString());
        for (int page = 0; page < 6; ++page) {
            if (page == 3) s.window.dataPage->optBrowse[0]->setChecked(true);
            s.showPage(page);
            savePicture(s.window, QStringLiteral("frmMain-%1-%2").arg(pages[page], suffix));
        }
        // The other views of the data page and of the Set page.
        s.window.dataPage->optBrowse[1]->setChecked(true);
        for (QCheckBox* box : s.window.dataPage->chkBrowse)
            box->show();  // as the graph shows them for a trend of every gas
        s.showPage(3);
        savePicture(s.window, QStringLiteral("frmMain-dataview-graph-%1").arg(suffix));
        s.window.dataPage->optBrowse[0]->setChecked(true);
        s.window.dataPage->vfgSummary->show();
        s.showPage(3);
        savePicture(s.window, QStringLiteral("frmMain-dataview-summary-%1").arg(suffix));
        // The calibration view as its button opens it: the settings frame and buttons go.
        s.window.setPage->fraOption[1]->hide();
        for (QWidget* button : s.window.setPage->cmdOption)
            button->hide();
        s.window.setPage->fraOption[2]->show();
        s.showPage(5);
        savePicture(s.window, QStringLiteral("frmMain-set-calibration-%1").arg(suffix));
        // The smallest window.
        s.window.resize(1, 1);
        ShownWindow::settle();
        s.window.setPage->fraOption[2]->hide();
        s.window.setPage->fraOption[1]->show();
        for (QWidget* button : s.window.setPage->cmdOption)
            button->show();
        for (int page : {0, 1, 2, 3, 5}) {
            s.showPage(page);
            savePicture(s.window, QStringLiteral("frmMain-min-%1-%2").arg(pages[page], suffix));
        }
        core::SwitchR = false;
    }
}
