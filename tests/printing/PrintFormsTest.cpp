#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "printing/FrmSetPrinter.h"
#include "tests/printing/PrintRig.h"
#include "tests/support/Pictures.h"

namespace {

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

}  // namespace
