#include <QFileInfo>

#include "core/ClsInstrument.h"
#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace core {

void clsInstrument::LoadDatabase(int32_t seqNo) {
    if (!QFileInfo::exists(DatabasePath())) return;
    const platform::Database db = platform::Database::open(DatabasePath());
    // What cannot be read is left as when nothing is stored, and the download is told
    // damaged; the rest loads.
    const platform::ResultSet r =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {seqNo}).lenient();
    if (r.rowCount() == 0) return;
    // Straight into the fields: loading a stored header raises no change flag.
    userID_ = EmptyToAsterisk(r.text(0, QStringLiteral("UserID"), QStringLiteral("*")));
    serialNo_ = EmptyToAsterisk(r.text(0, QStringLiteral("SerialNo"), QStringLiteral("*")));
    intervals_ = r.integer(0, QStringLiteral("Interval"), 0);
    for (int g = 0; g < GasCount; ++g) {
        const auto column = [g](const char* suffix) {
            return QStringLiteral("Gas%1").arg(g + 1) + QLatin1String(suffix);
        };
        GasChannel& gas = gas_[g];
        gas.GasName = EmptyToAsterisk(r.text(0, column("Name"), QStringLiteral("*")));
        gas.GasDesit = r.single(0, column("Desit"), 0.0f);
        gas.GasPoint = r.integer(0, column("Point"), 0);
        gas.GasUnit = r.text(0, column("Unit"), QStringLiteral(" "));
        gas.GasFullScale = r.single(0, column("Full"), 0.0f);
        gas.GasEnabled = r.boolean(0, column("Enable"), true);
        gas.LogMax = r.single(0, column("Max"), NoValue);
        gas.LogMin = r.single(0, column("Min"), NoValue);
        gas.LogAvr = r.single(0, column("Avr"), NoValue);
        gas.LogMaxDate = r.date(0, column("MaxDate"), rt::OleDate(EmptyDate));
        gas.LogMinDate = r.date(0, column("MinDate"), rt::OleDate(EmptyDate));
    }
    if (r.anyUnreadable()) NoteDamagedDownload(r.text(0, QStringLiteral("Names")));
}

void clsInstrument::HistoryUpdate() const {
    if (!QFileInfo::exists(DatabasePath())) return;
    const platform::Database db = platform::Database::open(DatabasePath());
    const QString u = UserID();
    const QString s = SerialNo();
    // The replaced row goes only together with the new one.
    platform::Transaction transaction(db);
    const platform::ResultSet old =
        db.query(QStringLiteral(
                     "Select SeqNo From cLatestHist Where UserID=? And SerialNo=? Order By SeqNo;"),
                 {u, s});
    // By its key however large: a row numbered beyond a Long is replaced like any other.
    if (const auto key = old.wholeNumber(0, QStringLiteral("SeqNo")))
        db.exec(QStringLiteral("Delete From cLatestHist Where SeqNo=?;"), {*key});
    QStringList columns = {"SeqNo", "UserID", "SerialNo", "WriteDates", "CalLimit"};
    std::vector<platform::DbParam> values = {db.MaxSeq(QStringLiteral("cLatestHist")), u, s,
                                             rt::OleDate::now(), calLimit_};
    for (int g = 0; g < 4; ++g) {
        for (const char* suffix :
             {"Name", "Desit", "Point", "Unit", "Enable", "AutoCal", "CalDate", "Before", "After"})
            columns << QStringLiteral("Gas%1").arg(g + 1) + QLatin1String(suffix);
        const GasChannel& gas = gas_[g];
        values.insert(values.end(),
                      {gas.GasName, gas.GasDesit, gas.GasPoint, gas.GasUnit, gas.GasEnabled,
                       gas.AutoCalib, gas.CalibDate, gas.CalibBefore, gas.CalibAfter});
    }
    db.exec(platform::InsertStatement(QStringLiteral("cLatestHist"), columns), values);
    transaction.commit();
}

}  // namespace core
