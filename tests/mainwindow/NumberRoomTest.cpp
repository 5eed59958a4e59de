#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "tests/mainwindow/StoredWindow.h"
#include "tests/support/Pictures.h"

namespace {

using platform::StringTable;

// The window sizes of the small screens the program meets (pixels).
const QSize SmallScreens[] = {{1024, 720}, {1366, 768}};

QString digitsOf(const QString& text) {
    QString digits;
    for (const QChar c : text)
        if (c.isDigit()) digits += c;
    return digits;
}

// A typical instrument calibrated 40 days ago with a 180-day interval: 140 days remain.
testsupport::FakeQM73 calibratedInstrument() {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    fake.calLimit = "B4";
    const QDateTime calibrated = QDateTime::currentDateTime().addDays(-40);
    fake.latestCalibration[3] = calibrated.toString("yyMMddHHmmss") + "  0.5 50.0";
    return fake;
}

// Every text with a digit that `page` shows, in a grid's cell, a label, a box or a button,
// whose digits do not all show: "where: text -> shown".
QStringList cutNumbers(QWidget& page) {
    QStringList cut;
    for (platform::FlexGrid* grid : page.findChildren<platform::FlexGrid*>()) {
        if (!grid->isVisibleTo(&page)) continue;
        for (int row = 0; row < grid->Rows(); ++row)
            for (int col = 0; col < grid->Cols(); ++col) {
                const QString text = grid->TextMatrix(row, col);
                // A column the layout keeps as a sliver is its way of hiding it: it shows
                // nothing of its texts.
                if (grid->ColHidden(col) || grid->ColWidth(col) < 150 || digitsOf(text).isEmpty())
                    continue;
                if (col > 0 && grid->mergedSpan(row, col) > 1 &&
                    grid->TextMatrix(row, col - 1) == text)
                    continue;  // one merged cell, looked at from its first column
                const QString shown = grid->ShownText(row, col);
                // An ellipsis after a whole number reads as a longer one ("Remaining 140 …").
                if (digitsOf(shown) != digitsOf(text) || shown.contains(QChar(0x2026)))
                    cut << QStringLiteral("%1(%2,%3): %4 -> %5")
                               .arg(grid->objectName())
                               .arg(row)
                               .arg(col)
                               .arg(text, shown);
            }
    }
    const auto tooWide = [](const QWidget* widget, const QString& text, int room) {
        return !digitsOf(text).isEmpty() && widget->fontMetrics().horizontalAdvance(text) > room;
    };
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&page) || label->wordWrap()) continue;
        if (tooWide(label, label->text(), label->contentsRect().width() - 2 * label->margin()))
            cut << QStringLiteral("%1: %2").arg(label->objectName(), label->text());
    }
    for (QLineEdit* edit : page.findChildren<QLineEdit*>()) {
        if (!edit->isVisibleTo(&page)) continue;
        // The frame and the text margins of a line edit.
        if (tooWide(edit, edit->text(), edit->contentsRect().width() - 8))
            cut << QStringLiteral("%1: %2").arg(edit->objectName(), edit->text());
    }
    return cut;
}

}  // namespace

// At the sizes of small screens, in both languages, no page cuts a number: where a text does not
// fit its cell, its words give way, not its digits. The pictures of every page are saved.
TEST(NumberRoom, NoPageCutsANumber) {
    for (const auto language : {StringTable::Language::English, StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const QString lang = language == StringTable::Language::English ? "en" : "ja";
        testsupport::StoredWindow w(calibratedInstrument());
        const struct {
            const char* name;
            int button, page;  // the menu button, and the page it shows
            std::function<void()> show;
        } pages[] = {
            {"download", 0, 0, [] {}},
            {"instrument", 1, 1, [] {}},
            {"library", 2, 2, [] {}},
            {"data", 2, 3,
             [&w] {
                 // As the library's View Data shows it.
                 for (int i = 0; i < 6; ++i)
                     w.window->fraMenu[i]->setVisible(i == 3);
                 w.open(1);
             }},
            {"lastcal-need", 3, 4, [&w] { w.window->lastCalibrationPage->optHistory[0]->click(); }},
            {"lastcal-values", 3, 4,
             [&w] { w.window->lastCalibrationPage->optHistory[1]->click(); }},
            {"lastcal-due", 3, 4, [&w] { w.window->lastCalibrationPage->optHistory[2]->click(); }},
            {"set", 4, 5, [] {}},
        };
        for (const QSize size : SmallScreens) {
            w.window->resize(size);
            for (const auto& p : pages) {
                SCOPED_TRACE(QStringLiteral("%1 %2x%3 %4")
                                 .arg(p.name)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(lang)
                                 .toStdString());
                w.window->cmdInst_Click(p.button);
                w.settle();
                p.show();
                w.settle();
                testsupport::savePicture(*w.window, QStringLiteral("frmMain-%1-%2x%3-%4")
                                                        .arg(p.name)
                                                        .arg(size.width())
                                                        .arg(size.height())
                                                        .arg(lang));
                EXPECT_EQ(cutNumbers(*w.window->fraMenu[p.page]).mid(0, 6), QStringList{});
            }
        }
    }
}
