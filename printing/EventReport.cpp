#include <QScopeGuard>

#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "printing/FrmPrint.h"
#include "runtime/Format.h"

namespace printing {

namespace {

using enum core::LogText;

QString res(int id) {
    return core::LoadResText(id);
}

// A date every row has: one that is Null or cannot be read shows empty, and is told.
QString generalDate(const platform::ResultSet& rows, int row, const char* field) {
    const QString text = rt::GeneralDate(rows.requiredDate(row, QString::fromLatin1(field)));
    return rows.shownIfReadable(row, field, text);
}

// A Float field as its shortest decimal (100, 20.9); Null as an empty cell.
QString floatText(const platform::ResultSet& rows, int row, const char* field) {
    const QString name = QString::fromLatin1(field);
    if (rows.isNull(row, name)) return QString();
    const QString text = rt::Variant(rows.single(row, name)).toText();
    return rows.shownIfReadable(row, field, text);
}

}  // namespace

void FrmPrint::PrintEventReport(graph::GraphSurface& target) {
    setColumns(target, {0, 0.10, 0.40, 0.55, 0.70, 0.85, 1.0});
    alignAll(3);
    target.ForeColor = 0;
    blankRow(target);
    blankRow(target);
    if (DataType < KindAlarmEvents || DataType > KindSensorHistory) return;

    const platform::Database db = platform::Database::open(s_.paths.database());
    const platform::ResultSet head =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo = ?"), {SeqNo}).lenient();
    const bool found = head.rowCount() > 0;
    const int32_t relNo = found ? head.longValue(0, QStringLiteral("SeqNo")) : 0;
    const auto field = [&](const char* name) {
        return found ? head.text(0, QString::fromLatin1(name)) : QString();
    };
    struct Kind {
        const char* table;
        QStringList heading;
        std::function<void()> headingAlign, rowAlign;
    };
    const auto leftButFirst = [this] {
        alignAll(0);
        ColumnAlign[0] = 1;
    };
    Kind kind;
    switch (DataType) {
        case KindAlarmEvents:
        case KindTroubleEvents:
            kind = {
                DataType == KindAlarmEvents ? "Alarm_Event" : "Trouble_Event",
                {res(TextNo), res(TextDate),
                 DataType == KindAlarmEvents ? QStringLiteral("Gas") : QStringLiteral("Gas/Body"),
                 QStringLiteral("Event")},
                [this] { alignAll(1); },
                leftButFirst};
            break;
        case KindPowerEvents:
            kind = {"Power_Event",
                    {res(TextNo), res(TextDate), QStringLiteral("Power")},
                    [this] { alignFirst(3, 1); },
                    [this] {
                        ColumnAlign[0] = 1;
                        ColumnAlign[1] = 0;
                        ColumnAlign[2] = 0;
                    }};
            break;
        default:
            kind = {"SensorHistory",
                    {res(TextNo), res(TextDate), QStringLiteral("SensorNO"), QStringLiteral("Gas"),
                     QStringLiteral("FullScale")},
                    [this] { alignAll(1); },
                    [this] {
                        alignAll(0);
                        ColumnAlign[0] = 1;
                        ColumnAlign[4] = 1;
                    }};
            break;
    }
    const platform::ResultSet rows =
        db.query(QStringLiteral("Select * From %1 Where RelNo = ? Order By Dates DESC")
                     .arg(QString::fromLatin1(kind.table)),
                 {relNo})
            .lenient();
    const auto told = qScopeGuard([&] { core::NoteUnreadable(head, rows); });
    const int count = rows.rowCount();
    // The table's heading and rows: the columns are widened first where a cell would not fit
    // (the property block's values, in the third column, move with it).
    std::vector<QStringList> table = {kind.heading};
    table.reserve(static_cast<size_t>(count) + 1);
    for (int i = 0; i < count; ++i) {
        letEventsThrough();
        QStringList cells = {QString::number(i + 1), generalDate(rows, i, "Dates")};
        switch (DataType) {
            case KindAlarmEvents:
            case KindTroubleEvents:
                cells << rows.text(i, QStringLiteral("GasName"))
                      << rows.shownIfReadable<QString>(
                             i, "Alarm_Type",
                             core::EventCodeText(rows.longValue(i, QStringLiteral("Alarm_Type"))));
                break;
            case KindPowerEvents:
                cells << rows.shownIfReadable<QString>(i, "Power_Type",
                                                       rows.boolean(i, QStringLiteral("Power_Type"))
                                                           ? QStringLiteral("ON")
                                                           : QStringLiteral("OFF"));
                break;
            default:
                cells << rows.text(i, QStringLiteral("SensorNo"))
                      << rows.text(i, QStringLiteral("GasName")) << floatText(rows, i, "FullScale");
                break;
        }
        table.push_back(cells);
    }
    if (count > 0) fitColumns(target, table);

    alignFirst(3, 1);
    PrintRow(target, {res(TextProperty), QString(), res(TextValue)});
    alignFirst(3, 0);
    rule(target, 1);
    blankRow(target);
    PrintRow(target, {res(TextSerial), QString(), field("SerialNo")});
    PrintRow(target, {res(TextUser), QString(), field("UserID")});
    PrintRow(target,
             {res(TextLastDownload), QString(), found ? generalDate(head, 0, "Dates") : QString()});
    blankRow(target);
    blankRow(target);

    if (count == 0) return;
    const auto heading = [&] {
        kind.headingAlign();
        PrintRow(target, kind.heading);
        kind.rowAlign();
        rule(target, 1);
    };
    heading();
    for (int i = 0; i < count; ++i) {
        PrintRow(target, table[static_cast<size_t>(i) + 1]);
        if (BreakPage(target, i == count - 1)) heading();
    }
}

}  // namespace printing
