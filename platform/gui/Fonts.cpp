#include "platform/gui/Fonts.h"

#include <QFont>
#include <QStringList>

namespace platform {

QFont DisplayFont(const QString& family, double points, bool bold) {
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSizeF(points > 0 ? points : 9);
    font.setBold(bold);
    return font;
}

void PreferProportionalJapanese(const QString& family) {
    const QString fallback = QString::fromLatin1(JapaneseFallbackFamily);
    if (family.isEmpty() || family == fallback) return;
    QStringList substitutes = QFont::substitutes(family);
    if (substitutes.contains(fallback)) return;
    substitutes.prepend(fallback);
    QFont::removeSubstitutions(family);
    QFont::insertSubstitutions(family, substitutes);
}

}  // namespace platform
