#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace library {

// Every node of the log tree and every item of the log list has a key "value letter": the
// letter (after the last blank) says what it stands for, the value (the key less its last two
// characters) which one. The root is "0 #"; a grouping node's value is its parent's value, a
// unit separator, and its own grouping value (the first level has only its own): serial "A1"
// with station "23" and serial "A12" with station "3" never meet in one key. A kind node takes
// its folder node's value; a stored download its Log_Head.SeqNo, and one whose kind cannot be
// read has a letter of its own.
inline const QString RootKey = QStringLiteral("0 #");
inline constexpr QChar ValueSeparator = QChar(0x1F);

// The grouping levels, in their order under the root.
enum class Level { Serial, Station, User, Folder };

struct LevelInfo {
    Level level;
    QChar letter;        // S, T, U, M
    const char* column;  // of Log_Head
    int headerText;      // the list's first column header over nodes of this level (0: "(MM/YY)")
};
const LevelInfo& InfoOf(Level level);
std::optional<Level> LevelOfLetter(QChar letter);

// The kinds of stored download, in the order their nodes are added under a folder.
struct KindInfo {
    QChar letter;          // of the kind node: I A D E B R X
    int types;             // Log_Head.Types
    int text;              // the kind's name
    QChar downloadLetter;  // of a stored download in the list: G K H V W P Q
    // The tables that hold a download's rows, linked by RelNo to its SeqNo (the second may be
    // none); the details show the rows of the first.
    std::array<const char*, 2> tables;
    // The picture of a download in the list; none for the trends, whose sampling chooses it.
    const char* image;
};
const std::array<KindInfo, 7>& Kinds();
const KindInfo* KindOfLetter(QChar letter);
const KindInfo* KindOfDownloadLetter(QChar letter);
// The letter of a stored download whose kind cannot be read: listed in its folder, never opened.
inline constexpr QChar UnreadableKindLetter = QLatin1Char('Z');

// The letter of a key (its last word) and its value (all but the last two characters).
QChar KeyLetter(const QString& key);
QString KeyValue(const QString& key);
QString MakeKey(const QString& value, QChar letter);
// The SeqNo a stored download's key names; nullopt when its value is no number or lies beyond
// a Long.
std::optional<int32_t> KeySeqNo(const QString& key);
// The number a stored download's key names, however large: the key of a download whose
// SeqNo lies beyond a Long, which can be listed and deleted but not opened.
std::optional<int64_t> KeyWholeNumber(const QString& key);

// The root, a grouping level or a kind: what the list shows as groups or downloads.
bool IsGroupLetter(QChar letter);
bool IsKindLetter(QChar letter);

}  // namespace library
