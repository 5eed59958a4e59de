#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <vector>

#include "core/ModMain.h"
#include "core/Schema.h"
#include "platform/Database.h"
#include "printing/FrmPrint.h"
#include "tests/support/GlobalsSnapshot.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// A table held in memory, as a report copies it.
struct MemoryTable : platform::CellTable {
    std::vector<QStringList> rows;
    std::map<std::pair<int, int>, int32_t> colours;
    int Rows() const override { return static_cast<int>(rows.size()); }
    int Cols() const override { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
    QString TextMatrix(int row, int col) const override {
        return rows.at(static_cast<size_t>(row)).value(col);
    }
    int32_t CellBackColor(int row, int col) const override {
        const auto found = colours.find({row, col});
        return found == colours.end() ? 0 : found->second;
    }
};

// The print form over a program folder of its own with an empty database, a catalogue of two
// entries ("Office" current, and the PDF entry) and scripted dialogs; a recording printer page
// of 11 000 x 15 000 twips (100 twips a character, 200 a line).
struct PrintRig {
    GlobalsSnapshot globals;
    TempProgramFolder folder;
    ScriptedDialogs dialogs;
    platform::PrinterCatalog printers{
        {{"Office", true}, {platform::PrinterCatalog::PdfName(), true}}, "Office"};
    printing::FrmPrint form{{printers, dialogs, folder.paths()}};
    RecordingSurface page;
    rt::FixedClock clock{*rt::OleDate::fromCivil(2026, 7, 1, 9, 30, 15)};

    PrintRig() {
        core::AppPath = folder.path();
        core::DataFolder = folder.paths().dataFolder();
        QDir().mkpath(folder.paths().dataFolder());
        core::CreateDatabase(folder.paths().database());
        page.printer = true;
        page.width = 11000;
        page.height = 15000;
    }
    ~PrintRig() { platform::Database::close(folder.paths().database()); }
    platform::Database db() const { return platform::Database::open(folder.paths().database()); }

    // The texts drawn, in order, from call `from` on.
    QStringList texts(size_t from = 0) const {
        QStringList out;
        for (size_t i = from; i < page.calls.size(); ++i)
            if (page.calls[i].kind == RecordingSurface::Call::Text) out << page.calls[i].text;
        return out;
    }
    static QStringList textsOf(const std::vector<RecordingSurface::Call>& calls) {
        QStringList out;
        for (const auto& c : calls)
            if (c.kind == RecordingSurface::Call::Text) out << c.text;
        return out;
    }
    const RecordingSurface::Call* textCall(const QString& text) const { return page.text(text); }
};

inline QString header() {
    return QStringLiteral("QM-73 Data Logger");
}

}  // namespace testsupport
