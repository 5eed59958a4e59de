#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "tests/support/InstrumentWindow.h"
#include "tests/support/Pictures.h"

using download::FrmUpload;
using platform::StringTable;
using testsupport::InstrumentWindow;
using testsupport::LanguageScope;
using testsupport::savePicture;

namespace {

// 64 pixels of animation and two or 2.6 label heights of 375 twips, at 15 twips a pixel.
constexpr int HeightWithout = 64 + 2 * 25;
constexpr int HeightWith = 64 + 65;
constexpr int Width = 288 + 16;

}  // namespace

TEST(ProgressWindow, TextsButtonAndSizeFollowTheActivity) {
    struct Case {
        int code;
        const char* text;
        bool cancel;
    };
    const Case cases[] = {{0, "Now Downloading", false}, {1, "Now Uploading", true},
                          {3, "Adjusting Zero", false},  {4, "Adjusting Span Settings.", false},
                          {5, "Now Downloading", true},  {6, "Now Downloading", true},
                          {8, "Now Writing", false}};
    InstrumentWindow w;
    FrmUpload& f = *w.window->frmUpload;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        f.Show(c.code);
        w.settle();
        EXPECT_EQ(f.windowTitle(), c.text);
        EXPECT_EQ(f.lblUpload->text(), c.text);
        EXPECT_EQ(f.cmdUpload->isVisible(), c.cancel);
        if (c.cancel) {
            EXPECT_EQ(f.cmdUpload->text(), "Cancel");
            EXPECT_TRUE(f.cmdUpload->isEnabled());
            EXPECT_GT(f.cmdUpload->height(), 0);
        }
        // The size of the window with its frame, the frame being whatever the platform draws.
        const QRect outer = f.frameGeometry();
        EXPECT_EQ(outer.size(), QSize(Width, c.cancel ? HeightWith : HeightWithout));
        EXPECT_EQ(f.size(), FrmUpload::InsideSize(c.cancel, outer.size() - f.size()));
        EXPECT_EQ(f.minimumSize(), f.maximumSize());  // the user cannot change it
        EXPECT_NEAR(outer.center().x(), screen.center().x(), 1.0);
        EXPECT_NEAR(outer.center().y(), screen.center().y(), 1.0);
        EXPECT_TRUE(f.amnUpload->playing());
        EXPECT_FALSE(f.Canceled());
        f.Unload();
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.amnUpload->playing());
    }
    // The settings pages' writes keep whatever the window shows.
    f.Show(1);
    f.Unload();
    f.Show(7);
    EXPECT_EQ(f.lblUpload->text(), "Now Uploading");
    EXPECT_TRUE(f.cmdUpload->isVisible());
    f.Unload();
}

// The window's size is that of its outer frame: the inside is smaller by the frame the
// platform draws around it (none offscreen).
TEST(ProgressWindow, TheSizeIsTheOuterFramesWhereThereIsOne) {
    const struct {
        bool withButton;
        QSize frame, inside;
    } cases[] = {
        {false, {0, 0}, {Width, HeightWithout}},
        {true, {0, 0}, {Width, HeightWith}},
        {false, {8, 31}, {Width - 8, HeightWithout - 31}},
        {true, {2, 26}, {Width - 2, HeightWith - 26}},
        {true, {400, 200}, {0, 0}},  // no inside to speak of
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame.width() * 1000 + c.frame.height());
        EXPECT_EQ(FrmUpload::InsideSize(c.withButton, c.frame), c.inside);
    }
}

TEST(ProgressWindow, CancelStopsTheLinkAndTheNextLoadStartsClean) {
    InstrumentWindow w;
    FrmUpload& f = *w.window->frmUpload;
    f.Show(5);
    f.cmdUpload->click();
    EXPECT_TRUE(f.Canceled());
    EXPECT_TRUE(w.window->uclVY5103.Cancel());
    EXPECT_FALSE(f.cmdUpload->isEnabled());
    EXPECT_TRUE(f.cmdUpload->isVisible());
    EXPECT_EQ(f.lblUpload->text(), "Now Cancel Processing");
    f.Unload();
    f.Show(5);
    EXPECT_FALSE(f.Canceled());
    EXPECT_TRUE(f.cmdUpload->isEnabled());
    EXPECT_EQ(f.lblUpload->text(), "Now Downloading");
    f.Unload();
}

TEST(ProgressWindow, ShowingItAgainWhileLoadedKeepsItsState) {
    InstrumentWindow w;
    FrmUpload& f = *w.window->frmUpload;
    f.Show(5);
    f.cmdUpload->click();
    f.Show(5);  // the caller shows it again: no new load
    EXPECT_TRUE(f.Canceled());
    f.Unload();
}

TEST(ProgressWindow, Pictures) {
    for (const auto& [language, suffix] : {std::pair{StringTable::Language::English, "en"},
                                           std::pair{StringTable::Language::Japanese, "ja"}}) {
        const LanguageScope scope(language);
        InstrumentWindow w;
        FrmUpload& f = *w.window->frmUpload;
        for (const auto& [code, name] : {std::pair{5, "cancel"}, std::pair{0, "plain"}}) {
            f.Show(code);
            w.settle();
            savePicture(f, QStringLiteral("frmUpload-%1-%2").arg(name, suffix));
            f.Unload();
        }
    }
}
