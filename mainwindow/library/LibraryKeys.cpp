#include "mainwindow/library/LibraryKeys.h"

#include "core/ModMain.h"

namespace library {

namespace {

const std::array<LevelInfo, 4> LevelTable = {{
    {Level::Serial, QLatin1Char('S'), "SerialNo", 5608},
    {Level::Station, QLatin1Char('T'), "StationID", 5609},
    {Level::User, QLatin1Char('U'), "UserID", 5610},
    {Level::Folder, QLatin1Char('M'), "FolderID", 0},
}};

const std::array<KindInfo, 7> KindTable = {{
    {QLatin1Char('I'), 1, 5624, QLatin1Char('G'), {"Interval_Data", "Interval_Event"}, nullptr},
    {QLatin1Char('A'), 2, 5625, QLatin1Char('K'), {"Alarm_Data", nullptr}, nullptr},
    {QLatin1Char('D'), 3, 5673, QLatin1Char('H'), {"cHistory", nullptr}, "History"},
    {QLatin1Char('E'), 5, 5627, QLatin1Char('V'), {"Alarm_Event", nullptr}, "AEvent"},
    {QLatin1Char('B'), 6, 5628, QLatin1Char('W'), {"Trouble_Event", nullptr}, "TEvent"},
    {QLatin1Char('R'), 7, 5629, QLatin1Char('P'), {"Power_Event", nullptr}, "PEvent"},
    {QLatin1Char('X'), 8, 5630, QLatin1Char('Q'), {"SensorHistory", nullptr}, "Change"},
}};

}  // namespace

const LevelInfo& InfoOf(Level level) {
    return LevelTable[static_cast<size_t>(level)];
}

std::optional<Level> LevelOfLetter(QChar letter) {
    for (const LevelInfo& info : LevelTable)
        if (info.letter == letter) return info.level;
    return std::nullopt;
}

const std::array<KindInfo, 7>& Kinds() {
    return KindTable;
}

const KindInfo* KindOfLetter(QChar letter) {
    for (const KindInfo& kind : KindTable)
        if (kind.letter == letter) return &kind;
    return nullptr;
}

const KindInfo* KindOfDownloadLetter(QChar letter) {
    for (const KindInfo& kind : KindTable)
        if (kind.downloadLetter == letter) return &kind;
    return nullptr;
}

QChar KeyLetter(const QString& key) {
    const QString word = core::LastWord(key);
    return word.size() == 1 ? word.at(0) : QChar();
}

QString KeyValue(const QString& key) {
    return core::DropLastTwoChars(key);
}

QString MakeKey(const QString& value, QChar letter) {
    return value + QLatin1Char(' ') + letter;
}

std::optional<int32_t> KeySeqNo(const QString& key) {
    const std::optional<int64_t> n = KeyWholeNumber(key);
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(*n);
}

std::optional<int64_t> KeyWholeNumber(const QString& key) {
    bool ok = false;
    const qlonglong n = KeyValue(key).trimmed().toLongLong(&ok);
    return ok ? std::optional<int64_t>(n) : std::nullopt;
}

bool IsGroupLetter(QChar letter) {
    return letter == QLatin1Char('#') || LevelOfLetter(letter).has_value();
}

bool IsKindLetter(QChar letter) {
    return KindOfLetter(letter) != nullptr;
}

}  // namespace library
