#include "trendview/ExportText.h"

#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "records/GasInfo.h"
#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"
#include "trendview/TrendRows.h"

namespace trendview {

using records::decimalsOf;
using records::gas3Text;
using records::gasInfo;
using records::screenedGas4;

namespace {

using enum core::LogText;

const QString CrLf = QStringLiteral("\r\n");

QString res(int id) {
    return core::LoadResText(id);
}

// "yyyy/mm/dd hh:nn:ss", the one date form of every export.
QString exportDate(rt::OleDate date) {
    const QDate d = date.date();
    const QTime t = date.time();
    return QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

// The lines being built: fields joined by the separator, each line ended by CR LF.
class Lines {
  public:
    explicit Lines(const QString& separator) : separator_(separator) {}
    void line(std::initializer_list<QString> fields) {
        bool first = true;
        for (const QString& field : fields) {
            if (!first) text_ += separator_;
            text_ += field;
            first = false;
        }
        text_ += CrLf;
    }
    void add(const QString& field) { text_ += separator_ + field; }
    void end() { text_ += CrLf; }
    QString take() { return std::exchange(text_, QString()); }
    QString& text() { return text_; }

  private:
    QString separator_;
    QString text_;
};

// The cell of an event row: the event's word with the sample of its moment, or the sample's
// reading when the gas had no event.
QString eventCell(float code, int16_t decimals, bool hasSample, const QString& reading) {
    if (code < -101)
        return hasSample ? core::ValueText(code, decimals).left(4) + QLatin1Char('(') + reading +
                               QLatin1Char(')')
                         : core::ValueText(code, decimals);
    return hasSample ? reading : core::ValueText(code, decimals);
}

QString intervalTrend(const records::clsInterval& r, const QString& sep, bool debug, LineSink* sink,
                      const std::function<void()>& yield) {
    Lines out(sep);
    const int16_t d3 = decimalsOf(r, 3), d4 = decimalsOf(r, 4);
    const auto statistic = [&](int type) {
        return gas3Text(r, core::ScaleRawValue(gasInfo(r, 3, type), d3));
    };
    out.line({QStringLiteral("QM-73 Data Sample (Interval Trend)")});
    out.line({res(TextProperty), res(TextValue)});
    out.line({res(TextName), r.GasBaseInfo(0).toText()});
    out.line({res(TextStart), records::headerDateText(r, exportDate)});
    out.line({res(TextSerial), r.GasBaseInfo(4).toText()});
    out.line({res(TextUser), r.GasBaseInfo(2).toText()});
    out.line({res(TextCount), QString::number(r.DataCount() + r.EventCount())});
    out.line({res(TextInterval), r.GasBaseInfo(6).toText()});
    out.line({res(TextGasFullScale), res(TextAverage), res(TextMaximum)});
    out.line({core::GasCaption(&r, 3, true), statistic(10), statistic(8)});
    out.line({QString()});
    out.text() += res(TextNo) + sep + res(TextDate) + sep + core::GasCaption(&r, 3, true);
    if (debug) out.add(core::GasCaption(&r, 4, true));
    out.end();
    if (sink) sink->write(out.take());

    int number = 0;
    for (const TrendRow& row : MergeTrendRows(r, false)) {
        if (yield) yield();
        QString& line = out.text();
        line += QString::number(++number) + sep;
        if (!row.event) {
            line += exportDate(r.DateTimes(row.index)) + sep +
                    gas3Text(r, r.GasValue(3, row.index).toSingle());
            if (debug)
                out.add(core::ValueText(screenedGas4(r, r.GasValue(4, row.index).toSingle()), d4));
        } else {
            // Only a sample of exactly the event's moment counts as its reading.
            const rt::OleDate date = r.EventDateTimes(row.index);
            const int32_t k = row.sample >= 0 && r.DateTimes(row.sample) == date ? row.sample : -1;
            const bool has = k >= 0;
            line += exportDate(date) + sep +
                    eventCell(r.GasEvent(3, row.index).toSingle(), d3, has,
                              has ? gas3Text(r, r.GasValue(3, k).toSingle()) : QString());
            if (debug)
                out.add(eventCell(
                    r.GasEvent(4, row.index).toSingle(), d4, has,
                    has ? core::ValueText(screenedGas4(r, r.GasValue(4, k).toSingle()), d4)
                        : QString()));
        }
        out.end();
        if (sink) sink->write(out.take());
    }
    return sink ? QString() : out.take();
}

QString alarmTrend(const records::clsAlarm& r, const QString& sep, bool debug,
                   bool kindBySampling) {
    Lines out(sep);
    const int16_t d4 = decimalsOf(r, 4);
    out.line({kindBySampling && r.KeptAsInterval()
                  ? QStringLiteral("QM-73 Data Sample (Interval Trend)")
                  : QStringLiteral("QM-73 Data Sample (Alarm Trend)")});
    out.line({res(TextProperty), res(TextValue)});
    out.line({res(TextName), r.GasBaseInfo(0).toText()});
    out.line({res(TextAlarmDate), records::headerDateText(r, exportDate)});
    out.line({res(TextSerial), r.GasBaseInfo(4).toText()});
    out.line({res(TextUser), r.GasBaseInfo(2).toText()});
    out.line({res(TextCount), QString::number(r.DataCount())});
    out.line({res(TextInterval), r.GasBaseInfo(6).toText()});
    out.line({QString()});
    out.text() += res(TextNo) + sep + res(TextDate) + sep + core::GasCaption(&r, 3, true);
    if (debug) out.add(core::GasCaption(&r, 4, true));
    out.end();
    for (int i = 0; i < r.DataCount(); ++i) {
        out.text() += QString::number(i + 1) + sep + exportDate(r.DateTimes(i)) + sep +
                      gas3Text(r, r.Value(3, i));
        if (debug) out.add(core::ValueText(screenedGas4(r, r.Value(4, i)), d4));
        out.end();
    }
    return out.take();
}

QString calibrationHistory(const records::clsHistory& r, const QString& sep) {
    Lines out(sep);
    out.line({QStringLiteral("QM-73 Data Sample (Cal. History)")});
    out.line({res(TextSerial), r.GasBaseInfo(4).toText()});
    out.line({res(TextUser), r.GasBaseInfo(2).toText()});
    out.line({res(TextLastDownload), records::headerDateText(r, exportDate)});
    out.line({QString()});
    out.line({res(TextNo), res(TextDate)});
    for (int i = 0; i < r.DataCount(); ++i) {
        out.line({QString::number(i + 1), r.RowDateRead(i) ? exportDate(r.Dates(i)) : QString(),
                  res(TextBefore), core::ValueText(r.Before(3, i), r.Points(3, i))});
        out.line({QString(), r.GasName(3, i), res(TextAfter),
                  core::ValueText(r.After(3, i), r.Points(3, i))});
    }
    return out.take();
}

// The logs read from the database: events, power events and the sensor history.
QString databaseLog(const ExportSource& source, const QString& sep) {
    struct Layout {
        const char* title;
        QStringList columns;
        const char* table;
    };
    Layout layout;
    switch (source.type) {
        case 5:
            layout = {"QM-73 Data Sample (Alarm Events)", {"Gas", "Event"}, "Alarm_Event"};
            break;
        case 6:
            layout = {"QM-73 Data Sample (Trouble Events)", {"Gas/Body", "Event"}, "Trouble_Event"};
            break;
        case 7:
            layout = {"QM-73 Data Sample (Power Events)", {"Power"}, "Power_Event"};
            break;
        default:
            layout = {"QM-73 Data Sample (Sensor History)",
                      {"SensorNO", "Gas", "FullScale"},
                      "SensorHistory"};
            break;
    }
    const platform::Database db = platform::Database::open(source.database);
    // Read to be written out: a value that cannot be read is written empty, and the download
    // is told damaged.
    const platform::ResultSet head =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo = ?;"), {source.seqNo})
            .lenient();
    if (head.rowCount() == 0)
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("The stored download %1 is gone").arg(source.seqNo));
    const int32_t relation = head.longValue(0, QStringLiteral("SeqNo"));

    Lines out(sep);
    out.line({QString::fromLatin1(layout.title)});
    out.line({res(TextSerial), head.text(0, QStringLiteral("SerialNo"))});
    out.line({res(TextUser), head.text(0, QStringLiteral("UserID"))});
    const QString lastDownload = exportDate(head.requiredDate(0, QStringLiteral("Dates")));
    out.line({res(TextLastDownload), head.shownIfReadable<QString>(0, "Dates", lastDownload)});
    out.line({QString()});
    out.text() += res(TextNo) + sep + res(TextDate);
    for (const QString& column : layout.columns)
        out.add(column);
    out.end();

    const platform::ResultSet rows =
        db.query(QStringLiteral("Select * From %1 Where RelNo = ? Order By Dates DESC;")
                     .arg(QString::fromLatin1(layout.table)),
                 {relation})
            .lenient();
    for (int k = 0; k < rows.rowCount(); ++k) {
        const QString date = exportDate(rows.requiredDate(k, QStringLiteral("Dates")));
        out.text() +=
            QString::number(k + 1) + sep + rows.shownIfReadable<QString>(k, "Dates", date);
        switch (source.type) {
            case 5:
            case 6: {
                out.add(rows.text(k, QStringLiteral("GasName")));
                const QString code =
                    core::EventCodeText(rows.longValue(k, QStringLiteral("Alarm_type")));
                out.add(rows.shownIfReadable<QString>(k, "Alarm_type", code));
                break;
            }
            case 7: {
                const QString power = rows.longValue(k, QStringLiteral("Power_Type")) != 0
                                          ? QStringLiteral("ON")
                                          : QStringLiteral("OFF");
                out.add(rows.shownIfReadable<QString>(k, "Power_Type", power));
                break;
            }
            default: {
                out.add(rows.text(k, QStringLiteral("SensorNo")));
                out.add(rows.text(k, QStringLiteral("GasName")));
                const QString full =
                    rt::Variant(rows.doubleValue(k, QStringLiteral("FullScale"))).toText();
                out.add(rows.shownIfReadable<QString>(k, "FullScale", full));
                break;
            }
        }
        out.end();
    }
    core::NoteUnreadable(head, rows);
    return out.take();
}

}  // namespace

QString ExportBrowseData(const ExportSource& source, const QString& separator, LineSink* sink,
                         const std::function<void()>& yield) {
    switch (source.type) {
        case 1:
            return intervalTrend(*source.interval, separator, source.debug, sink, yield);
        case 2:
            return alarmTrend(*source.alarm, separator, source.debug, source.kindBySampling);
        case 3:
            return calibrationHistory(*source.history, separator);
        case 5:
        case 6:
        case 7:
        case 8:
            return databaseLog(source, separator);
        default:
            return QString();
    }
}

}  // namespace trendview
