#include "tests/support/FakeQM73.h"

#include "link/Frame.h"

namespace testsupport {

namespace {

QString pad(QString s, int n) {
    return s.leftJustified(n, QLatin1Char(' '), true);
}
QString right(QString s, int n) {
    return s.rightJustified(n, QLatin1Char(' '), true);
}

// A sample word as a digit pair per hex digit (the compact text's plain form).
QString word(uint16_t value) {
    QString out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += QChar(48 + ((value >> shift) & 0xF));
    return out;
}

QStringList compressed(const std::vector<QString>& words, int perLine = 32) {
    QStringList lines;
    for (size_t first = 0; first < words.size(); first += perLine) {
        QString line;
        for (size_t k = first; k < std::min(words.size(), first + perLine); ++k)
            line += words[k];
        lines << line;
    }
    return lines;
}

QString gasListLine(const QString& kk, const QString& code, const QString& gas4, const QString& fs4,
                    const QString& desit4, const QString& gas5, const QString& fs5,
                    const QString& desit5) {
    const QString name = pad(gas4, 12);
    return "/" + kk + code + name.mid(0, 3) + QString(10, '-') + name.mid(3, 3) + QString(10, '-') +
           name.mid(6, 3) + QString(10, '-') + name.mid(9, 3) + right(fs4, 5) + right(desit4, 5) +
           pad(gas5, 4) + right(fs5, 5) + right(desit5, 5);
}

}  // namespace

FakeQM73 FakeQM73::Typical() {
    FakeQM73 f;
    IntervalRecording a;
    for (int k = 0; k < 100; ++k) {
        a.gas4.push_back(static_cast<uint16_t>(k % 7 == 0 ? 0xFEFE : 10 + k));
        a.gas5.push_back(static_cast<uint16_t>(250 + k % 3));
        a.status.push_back({0, k % 10 == 0 ? 1 : 0});
    }
    a.gas4Events = {{0, "00"}, {40, "02"}};
    IntervalRecording b = a;
    b.date = "240601";
    b.time = "080000";
    b.station = "ST2";
    b.gas4.resize(50);
    b.gas5.resize(50);
    b.status.resize(50);
    b.gas4Events = {{0, "00"}};
    f.intervals = {a, b};

    AlarmRecording alarmTrend;
    for (int n = 1; n <= 720; ++n)
        alarmTrend.gas4.push_back(static_cast<uint16_t>(n));
    f.alarms = {alarmTrend};

    f.history = {{"240101", "120000", "  0.0", " 50.0", "CH4 50%"},
                 {"240301", "093000", "  0.2", " 49.8", "CH4 50%"},
                 {"240601", "093000", " OVER", " 50.0", "CH4 50%"}};
    f.alarmEvents = {{"251224", "091530", "02", 4}, {"251225", "101010", "03", 4}};
    f.troubleEvents = {{"251224", "070000", "08", 5}};
    f.powerEvents = {{"251224", "060000", true}, {"251224", "180000", false}};
    return f;
}

QStringList FakeQM73::intervalLines() const {
    QStringList lines;
    for (size_t r = 0; r < intervals.size(); ++r) {
        const IntervalRecording& rec = intervals[r];
        const QString kk = QStringLiteral("%1").arg(r + 1, 2, 10, QChar('0'));
        lines << "/" + kk + "AA" + pad(user, 10) + pad(rec.station, 10);
        lines << "/" + kk + "AB" + pad(serial, 12) + "000000" + "1";
        lines << pad("/" + kk + "AD" + rec.date + rec.time +
                         QStringLiteral("%1").arg(rec.intervalSeconds, 4, 10, QChar('0')),
                     25);
        lines << "/" + kk + "AE" + right("20.9", 5) + right("21.0", 5) + rec.date + rec.time;
        lines << gasListLine(kk, "AC", "CH4", "100.0", "0.1", "TMP", "20", "0.1");
        for (int channel = 1; channel <= 6; ++channel) {
            // Each channel: its plain status line, then its samples.
            lines << "/" + kk + QStringLiteral("A%1").arg(channel) + "00" + QString(17, '0') +
                         "0000";
            std::vector<QString> words;
            const size_t count = rec.gas4.size();
            for (size_t k = 0; k < count; ++k) {
                if (channel == 4)
                    words.push_back(word(rec.gas4[k]));
                else if (channel == 5)
                    words.push_back(word(rec.gas5[k]));
                else if (channel == 6)
                    words.push_back(word(
                        static_cast<uint16_t>((rec.status[k].first << 8) | rec.status[k].second)));
                else
                    words.push_back(word(0xFFFF));
            }
            lines << compressed(words);
        }
        // Events of gas 4, placed after the samples decoded so far.
        for (const auto& [before, status] : rec.gas4Events) {
            Q_UNUSED(before);
            lines << "/" + kk + "A4" + status + QString(17, '0') + "0000";
        }
    }
    return lines;
}

QStringList FakeQM73::alarmLines() const {
    QStringList lines;
    for (size_t r = 0; r < alarms.size(); ++r) {
        const AlarmRecording& rec = alarms[r];
        const QString kk = QStringLiteral("%1").arg(r + 1, 2, 10, QChar('0'));
        lines << "/" + kk + "BA" + pad(user, 20);
        lines << "/" + kk + "BB" + pad(serial, 12) + "0" + "0000" + "0" + "0";
        lines << "/" + kk + "BD" + rec.date + rec.time +
                     QStringLiteral("%1").arg(rec.intervalSeconds, 4, 10, QChar('0')) + "000";
        lines << gasListLine(kk, "BC", "CH4", "100.0", "0.1", "TMP", "20", "0.1");
        lines << "/" + kk + "B4";
        std::vector<QString> words;
        for (uint16_t v : rec.gas4)
            words.push_back(word(v));
        lines << compressed(words);
    }
    return lines;
}

QStringList FakeQM73::historyLines() const {
    QStringList lines;
    for (const HistoryEntry& e : history)
        lines << "01" + e.date + e.time + right(e.before, 5) + right(e.after, 5) + pad(e.gas, 10);
    return lines;
}

QStringList FakeQM73::eventLines(QChar letter, const std::vector<Event>& events) const {
    QStringList lines;
    for (size_t r = 0; r < events.size(); ++r) {
        const Event& e = events[r];
        const QString kk = QStringLiteral("%1").arg(r + 1, 2, 10, QChar('0'));
        lines << kk + letter + "A" + pad(user, 20);
        lines << pad(kk + letter + "B" + pad(serial, 12) + " 0001", 24);
        lines << gasListLine(kk, QString(letter) + "C", "CH4", "100.0", "0.1", "TMP", "20", "0.1")
                     .mid(1);
        lines << pad(kk + letter + QString::number(e.gas) + e.status + "10", 25);
        lines << pad(kk + letter + "D" + e.date + e.time, 24);
    }
    return lines;
}

QStringList FakeQM73::powerLines() const {
    QStringList lines;
    for (const PowerEvent& p : powerEvents)
        lines << pad("01FD" + p.date + p.time + (p.on ? "1111" : "0000"), 24);
    return lines;
}

QStringList FakeQM73::blocks(const QString& key, int headerFields, const QStringList& lines) const {
    QStringList out;
    QString header;
    for (int i = 0; i < headerFields; ++i)
        header += QStringLiteral(",H%1").arg(i);
    for (qsizetype first = 0; first < lines.size() || first == 0; first += linesPerBlock) {
        out << key + header +
                   (lines.isEmpty() ? QString() : "," + lines.mid(first, linesPerBlock).join(','));
        if (lines.isEmpty()) break;
    }
    return out;
}

std::optional<QStringList> FakeQM73::read(const QString& body) const {
    const auto one = [](const QString& text) {
        return std::optional<QStringList>(QStringList{text});
    };
    const auto list = [](const std::array<QString, 4>& v) {
        return QStringList{v[0], v[1], v[2], v[3]}.join(',');
    };
    if (body == "RC,R,") return one("RC,R,QM-73");
    if (body == "VP,R,") return one("VP,R," + rom);
    if (body == "XZ,R,") return one("XZ,R," + user);
    if (body == "IN,R,") return one("IN,R," + serial);
    if (body == "HN,R,") return one("HN,R," + dummySerial);
    if (body == "HC,R,") return one("HC,R," + clock);
    if (body == "AP,R,") return one("AP,R," + alarmMode);
    if (body == "XP,R,") return one("XP,R," + interval);
    if (body == "XI,R,") return one("XI,R," + dispID);
    if (body == "SD,R,") return one("SD,R," + dispCalLimit);
    if (body == "SM,R,") return one("SM,R," + calCheck);
    if (body == "SC,R,") return one("SC,R," + calLimit);
    if (body == "XL,R,") return one("XL,R," + lunchBreak);
    if (body == "XA,R,") return one("XA,R," + alarmSilence);
    if (body == "XB,R,") return one("XB,R," + confermation);
    if (body == "XW,R,") return one("XW,R," + logOverWrite);
    if (body == "XT,R,") return one("XT,R," + backLight);
    if (body == "UL,R,") return one("UL,R," + contrast);
    if (body == "GJ,R,") return one("GJ,R," + gasTable.join(','));
    if (body == "A1,R,") return one("A1,R," + list(warning));
    if (body == "A2,R,") return one("A2,R," + list(alarm));
    if (body == "AS,R,") return one("AS,R," + list(stel));
    if (body == "AW,R,") return one("AW,R," + list(twa));
    if (body == "HA,R,") return one("HA,R," + QStringList(analog.begin(), analog.end()).join(','));
    if (body == "VS,R,") return one("VS,R," + sum);
    if (body == "SA,R,") return one("SA,R," + list(autoCal));
    if (body == "AO,R,") return one("AO,R," + overScale);
    if (body == "CZ,R,") return one("CZ,R," + highTemp + "," + lowTemp);
    if (body == "XK,R,") return one("XK,R," + sensor3);
    if (body == "UJ,R,") return one("UJ,R," + specType);
    if (body == "UK,R,") return one("UK,R," + spanOffset);
    if (body == "SO,R,") return one("SO,R," + latestCalibration.join(','));
    if (body == "DR,R,") return blocks("DR,R", 2, intervalLines());
    if (body == "DJ,R,") return blocks("DJ,R", 2, alarmLines());
    if (body == "IH,R,4,") return blocks("IH,R", 3, historyLines());
    if (body == "VE,R,") return blocks("VE,R", 3, eventLines('C', alarmEvents));
    if (body == "TV,R,") return blocks("TV,R", 3, eventLines('D', troubleEvents));
    if (body == "DO,R,") return blocks("DO,R", 3, powerLines());
    return std::nullopt;
}

std::optional<QStringList> FakeQM73::answer(const QString& body) {
    if (poweredOff) return std::nullopt;
    if (body.size() >= 5 && body.mid(2, 3) == ",W,") {
        const QString command = body.left(2);
        if (refusedWrites.contains(command)) return QStringList{body.left(5) + comm::NAK};
        if (auto written = write(command, body.mid(5))) return written;
    }
    if (auto done = service(body)) return done;
    return read(body);
}

std::optional<QStringList> FakeQM73::write(const QString& command, const QString& value) {
    const auto echo = [&] {
        return std::optional<QStringList>(QStringList{command + ",W," + value});
    };
    const auto ack = [&] {
        return std::optional<QStringList>(QStringList{command + ",W," + comm::ACK});
    };
    const std::pair<const char*, QString*> simple[] = {
        {"XZ", &user},         {"IN", &serial},       {"HN", &dummySerial},    {"AP", &alarmMode},
        {"XI", &dispID},       {"SD", &dispCalLimit}, {"SM", &calCheck},       {"XL", &lunchBreak},
        {"XA", &alarmSilence}, {"XB", &confermation}, {"XW", &logOverWrite},   {"XT", &backLight},
        {"UL", &contrast},     {"AT", &alarmO2},      {"CO", &h2sTemperature}, {"SC", &calLimit},
        {"XP", &interval},     {"UZ", &zero},         {"AO", &overScale},      {"UJ", &specType},
        {"UK", &spanOffset},   {"HC", &clock}};
    for (const auto& [key, field] : simple)
        if (command == QLatin1String(key)) {
            *field = value.trimmed();
            return echo();
        }
    const std::pair<const char*, std::array<QString, 4>*> levels[] = {
        {"A1", &warning}, {"A2", &alarm}, {"AS", &stel}, {"AW", &twa}, {"SA", &autoCal}};
    for (const auto& [key, field] : levels)
        if (command == QLatin1String(key)) {
            const QStringList parts = value.split(',');
            if (parts.size() != 4) return QStringList{command + ",W," + comm::NAK};
            for (int g = 0; g < 4; ++g)
                (*field)[g] = parts[g].trimmed();
            return echo();
        }
    if (command == "DW") return ack();
    if (command == "SZ" || command == "S2") {
        if (refuseCalibration) return QStringList{command + ",W," + comm::NAK};
        pollsLeft_ = calibrationPolls;
        return ack();
    }
    if (command == "XC") {
        pollsLeft_ = clearPolls;
        return ack();
    }
    if (command == "RO") {
        poweredOff = true;
        return ack();
    }
    return std::nullopt;
}

std::optional<QStringList> FakeQM73::service(const QString& body) {
    if (body == "SZ,C," || body == "S2,C," || body == "XC,C,") {
        const QString key = body.left(5);
        if (pollsLeft_ > 0) {
            --pollsLeft_;
            return QStringList{key + (body == "XC,C," ? comm::NAK : comm::SUB)};
        }
        if (body == "XC,C,") {
            intervals.clear();
            alarms.clear();
            alarmEvents.clear();
            troubleEvents.clear();
            powerEvents.clear();
            return QStringList{key + comm::ACK};
        }
        return QStringList{key + (body == "SZ,C," ? zeroResult : spanResult)};
    }
    if (body == "DN,R,") return QStringList{"DN,R,0,0,0," + liveGas4 + ",0"};
    if (body == "EP,R," || body == "EF,R," || body == "ES,R,") {
        // One block of 128 bytes an answer frame: "<cmd>,x,<block number>,y,<hex data>".
        QStringList out;
        for (qsizetype b = 0; b * 128 < flash.size(); ++b)
            out << body.left(5) + QStringLiteral("0,%1,0,").arg(b + 1) +
                       QString::fromLatin1(flash.mid(b * 128, 128).toHex().toUpper());
        return out;
    }
    return std::nullopt;
}

}  // namespace testsupport
