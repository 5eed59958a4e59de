#include "resources/Resources.h"

namespace resources {

QString englishStringTable() {
    return QStringLiteral(":/strings/en.txt");
}
QString japaneseStringTable() {
    return QStringLiteral(":/strings/ja.txt");
}

}  // namespace resources
