#include "platform/gui/Fonts.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

namespace platform {

QFont DisplayFont(const QString& family, double points, bool bold) {
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSizeF(points > 0 ? points : 9);
    font.setBold(bold);
    return font;
}

QFont DisplayFont(const QString& family, double points, bool bold, bool italic, bool underline,
                  bool strikeOut) {
    QFont font = DisplayFont(family, points, false);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    PreferProportionalJapanese(font.family());
    return font;
}

void ApplyWindowFont(QWidget& window, const QFont& font, const std::vector<QWidget*>& controls,
                     const std::vector<QWidget*>& frames) {
    window.setFont(font);
    for (QWidget* control : controls)
        control->setFont(font);
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    for (QWidget* frame : frames)
        frame->setFont(bold);
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
