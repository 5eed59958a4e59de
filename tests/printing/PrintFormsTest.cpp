#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "printing/FrmSetPrinter.h"
#include "tests/printing/PrintRig.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;

TEST(PrinterChoice, TheLastEntryOfTheCurrentNameIsPreselected) {
    printing::FrmSetPrinter dialog;
    dialog.Load({"A", "Office", "B", "Office"}, "Office");
    EXPECT_EQ(dialog.cmbList->count(), 4);
    EXPECT_EQ(dialog.cmbList->currentIndex(), 3);
    EXPECT_EQ(dialog.SelNo(), -1);
    dialog.cmbList->setCurrentIndex(2);
    dialog.cmdOk->click();
    EXPECT_EQ(dialog.SelNo(), 2);
    // No match: nothing selected, and OK gives -1.
    dialog.Load({"A", "B"}, "Office");
    EXPECT_EQ(dialog.cmbList->currentIndex(), -1);
    dialog.cmdOk->click();
    EXPECT_EQ(dialog.SelNo(), -1);
    dialog.Load({"A", "B"}, "A");
    dialog.cmdCan->click();
    EXPECT_EQ(dialog.SelNo(), -1);
    dialog.Load({"A", "B"}, "A");
    dialog.close();
    EXPECT_EQ(dialog.SelNo(), -1);
}

TEST(PrinterChoice, ThroughTheModalDialog) {
    const auto answer = [](const std::function<void(printing::FrmSetPrinter&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<printing::FrmSetPrinter*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            act(*d);
        });
        return printing::ChoosePrinter({"Office", "PDF file"}, "Office", nullptr);
    };
    EXPECT_EQ(answer([](printing::FrmSetPrinter& d) { d.cmdOk->click(); }), 0);
    EXPECT_EQ(answer([](printing::FrmSetPrinter& d) {
                  d.cmbList->setCurrentIndex(1);
                  QTest::keyClick(d.cmdOk, Qt::Key_Return);
              }),
              1);
    EXPECT_EQ(answer([](printing::FrmSetPrinter& d) { d.reject(); }), -1);
}

TEST(PrinterChoice, Picture) {
    printing::FrmSetPrinter dialog;
    dialog.Load({"Office", "Laser on the second floor", "PDF file"}, "Office");
    dialog.show();
    QApplication::processEvents();
    testsupport::savePicture(dialog, "frmSetPrinter");
}

TEST(PrintPreview, ShowsTheWholeReportOnOnePage) {
    PrintRig rig;
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(9, 'A1', 'U1', 5, '2026-05-20 08:00:00')");
    for (int i = 0; i < 120; ++i)
        rig.db().exec(
            "Insert Into Alarm_Event (RelNo, Dates, GasName, Alarm_Type) Values "
            "(9, ?, 'CO', -104)",
            {rt::OleDate::DateSerial(2026, 5, 1).addSeconds(i * 60)});
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        rig.form.DataType = 5;
        rig.form.SeqNo = 9;
        rig.form.Form_Load();
        rig.form.show();
        QApplication::processEvents();
        EXPECT_EQ(rig.form.windowTitle(), "Print Preview");
        // The page's proportions, the Print button at three quarters of the width.
        const QPageLayout page = rig.printers.pageLayout(0);
        EXPECT_NEAR(
            rig.form.height(),
            rig.form.width() * page.fullRectPoints().height() / page.fullRectPoints().width(), 1.0);
        EXPECT_NEAR(rig.form.cmdPrint->x(), rig.form.width() * 3 / 4, 1.0);
        const QImage& shown = rig.form.previewImage();
        ASSERT_FALSE(shown.isNull());
        int dark = 0;
        for (int y = 0; y < shown.height(); y += 2)
            for (int x = 0; x < shown.width(); x += 2)
                if (qGray(shown.pixel(x, y)) < 100) ++dark;
        EXPECT_GT(dark, 100);
        testsupport::savePicture(
            rig.form, QStringLiteral("frmPrint-preview-%1")
                          .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
        rig.form.Form_Unload();
        EXPECT_TRUE(rig.form.isHidden());
    }
}

// The preview opens whole on the screen it opens on, in the page's proportions, however tall
// the page would make it: a page's width of 571 pixels is 808 pixels tall, more than a small
// screen holds.
TEST(PrintPreview, FitsTheScreenItOpensOn) {
    PrintRig rig;
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(9, 'A1', 'U1', 5, '2026-05-20 08:00:00')");
    rig.form.DataType = 5;
    rig.form.SeqNo = 9;
    rig.form.Form_Load();
    rig.form.show();
    QApplication::processEvents();
    const QRect area = rig.form.screen()->availableGeometry();
    ASSERT_LT(area.height(), 808);  // the test screen is smaller than the page would be
    EXPECT_TRUE(area.contains(rig.form.frameGeometry()))
        << rig.form.frameGeometry().height() << " tall on " << area.height();
    const QPageLayout page = rig.printers.pageLayout(0);
    EXPECT_NEAR(rig.form.height(),
                rig.form.width() * page.fullRectPoints().height() / page.fullRectPoints().width(),
                1.0);
    // A resize by the user keeps it there too.
    rig.form.resize(rig.form.width() * 2, rig.form.height());
    QApplication::processEvents();
    EXPECT_LE(rig.form.frameGeometry().height(), area.height());
    rig.form.Form_Unload();
}

// The preview's "Print" button stands where the report paints nothing: not over the print
// time at the top right, nor over the first rows, whatever the report.
TEST(PrintPreview, ThePrintButtonCoversNothingOfTheReport) {
    PrintRig rig;
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, SerialNo, UserID, Types, Dates) Values "
        "(9, 'A1', 'U1', 3, '2026-05-20 08:00:00')");
    MemoryTable list;
    list.rows = {{"No.", "SerialNo", "UserID", "Last Calib.Date"}, {"1", "QM73-0001234", "U", "d"}};
    rig.form.Table = &list;
    rig.form.SeqNo = 9;
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        for (const int32_t kind : {3, 4, 5, 9}) {
            SCOPED_TRACE(kind);
            rig.form.DataType = kind;
            rig.form.Form_Load();
            rig.form.show();
            QApplication::processEvents();
            const QImage& shown = rig.form.previewImage();
            ASSERT_FALSE(shown.isNull());
            const qreal ratio = shown.devicePixelRatio();
            const QRect button = rig.form.cmdPrint->geometry();
            EXPECT_GT(button.width(), 0);
            int covered = 0;
            for (int y = int(button.top() * ratio); y <= int(button.bottom() * ratio); ++y)
                for (int x = int(button.left() * ratio); x <= int(button.right() * ratio); ++x)
                    if (qGray(shown.pixel(x, y)) < 160) ++covered;
            EXPECT_EQ(covered, 0);
            // Its place and size otherwise as before: at three quarters of the width, a fifth
            // of it wide, near the top.
            EXPECT_NEAR(button.x(), rig.form.width() * 3 / 4, 1.0);
            EXPECT_NEAR(button.width(), rig.form.width() / 5, 1.0);
            EXPECT_LT(button.bottom(), rig.form.height() / 10);
            if (kind == 4)
                testsupport::savePicture(
                    rig.form,
                    QStringLiteral("frmPrint-preview-last-calibration-%1")
                        .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
            rig.form.Form_Unload();
        }
    }
}

}  // namespace
