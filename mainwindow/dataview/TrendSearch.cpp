#include "mainwindow/dataview/TrendSearch.h"

#include <cstdlib>

#include "platform/Database.h"

namespace dataview {

namespace {

// Whole seconds since a fixed moment: the difference of two counts the second boundaries
// crossed between them.
qint64 wholeSeconds(rt::OleDate date) {
    return date.toDateTime().toSecsSinceEpoch();
}

}  // namespace

int32_t TrendSearch(const QString& database, int32_t currentSeqNo, const QString& serialNo,
                    rt::OleDate eventDate, int before, int after) {
    int32_t found = -1;
    qint64 best = 600;
    const platform::Database db = platform::Database::open(database);
    const platform::ResultSet rows =
        db.query(
              QStringLiteral("Select SeqNo, Dates From Log_Head Where Types = 2 And SerialNo = ? "
                             "And SeqNo <> ? And Dates >= ? And Dates <= ? Order By Dates;"),
              {serialNo, currentSeqNo, eventDate.addSeconds(before), eventDate.addSeconds(after)})
            .lenient();
    const qint64 event = wholeSeconds(eventDate);
    for (int i = 0; i < rows.rowCount(); ++i) {
        const rt::OleDate date = rows.date(i, QStringLiteral("Dates"));
        const int32_t seqNo = rows.longValue(i, QStringLiteral("SeqNo"));
        // A trend whose number or time cannot be read is none that can be opened.
        if (rows.unreadableIn(i)) continue;
        const qint64 distance = std::llabs(wholeSeconds(date) - event);
        if (distance < best) {
            best = distance;
            found = seqNo;
        }
    }
    return found;
}

}  // namespace dataview
