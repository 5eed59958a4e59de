#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/PrintForms.h"
#include "tests/mainwindow/StoredWindow.h"
#include "tests/support/PdfText.h"

namespace {

using testsupport::pdfText;

// The program's main window with the instrument's downloads stored, printing through the one
// print form of the program into PDF files.
struct PrintingWindow {
    platform::PrinterCatalog printers{{{"Office", true}, {"PDF file", true}}, "Office"};
    std::unique_ptr<printing::FrmPrint> frmPrint;
    std::unique_ptr<testsupport::StoredWindow> w;
    QTemporaryDir out;

    PrintingWindow() {
        w = std::make_unique<testsupport::StoredWindow>(
            testsupport::FakeQM73::Typical(), [this](testsupport::WindowRig& rig) {
                frmPrint = std::make_unique<printing::FrmPrint>(
                    printing::PrintServices{printers, rig.dialogs, rig.folder.paths()});
                frmPrint->choosePrinter = [](const QStringList&, const QString&) { return 1; };
                rig.printForms = app::PrintFormsOf(*frmPrint);
            });
    }
    ~PrintingWindow() {
        w.reset();
        frmPrint.reset();
    }
    QString printTo(const QString& name, QAbstractButton* button) {
        const QString file = out.filePath(name);
        w->rig.dialogs.fileNames.push_back(file);
        button->click();
        w->settle();
        EXPECT_TRUE(QFileInfo::exists(file)) << name.toStdString();
        return pdfText(file);
    }
};

TEST(Printing, TheDataPagesPrintInTableAndGraphView) {
    PrintingWindow p;
    testsupport::StoredWindow& w = *p.w;
    w.open(1);
    platform::FlexGrid& table = *w.page().vfgBrowse;
    ASSERT_GT(table.Rows(), 2);
    const QString list = p.printTo("list.pdf", w.page().cmdBrowse[0]);
    EXPECT_TRUE(list.contains("QM-73 Data Logger (Interval Trend)"));
    // The rows as the table shows them.
    EXPECT_TRUE(list.contains(table.TextMatrix(1, 1)));
    EXPECT_TRUE(list.contains(table.TextMatrix(table.Rows() - 1, 1)));
    w.page().optBrowse[1]->setChecked(true);
    w.settle();
    const QString graph = p.printTo("graph.pdf", w.page().cmdBrowse[0]);
    EXPECT_TRUE(graph.contains("Data Browse ("));
    // The summary and the graph: no sample list.
    EXPECT_TRUE(list.contains(QRegularExpression(QStringLiteral("No\\s+Date/Time"))));
    EXPECT_FALSE(graph.contains(QRegularExpression(QStringLiteral("No\\s+Date/Time"))));
    EXPECT_EQ(p.printers.CurrentName(), "Office");
}

TEST(Printing, TheLastCalibrationPagesPrintTakesADataRow) {
    PrintingWindow p;
    testsupport::StoredWindow& w = *p.w;
    w.window->cmdInst_Click(3);
    w.settle();
    platform::FlexGrid& grid = *w.window->lastCalibrationPage->vfgHistory;
    ASSERT_GE(grid.Rows(), 2);
    grid.setRow(0);
    w.window->lastCalibrationPage->cmdLastCal->click();
    EXPECT_TRUE(w.rig.dialogs.saveRequests.empty());  // no print from the title row
    grid.setRow(1);
    const QString text = p.printTo("lastcal.pdf", w.window->lastCalibrationPage->cmdLastCal);
    EXPECT_TRUE(text.contains("QM-73 Data Logger (Last Calibration)"));
    EXPECT_TRUE(text.contains(grid.TextMatrix(1, 1)));
}

}  // namespace
