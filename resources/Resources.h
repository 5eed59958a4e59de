#pragma once

#include <QString>

namespace resources {

// Resource paths of the English and the Japanese message-text tables.
QString englishStringTable();
QString japaneseStringTable();

}  // namespace resources
