#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <initializer_list>

#include "runtime/Variant.h"

namespace platform {

// The program's message texts, in English and in Japanese, keyed by a 16-bit id.
class StringTable {
  public:
    enum class Language { English, Japanese };

    // The table of the language in use: Japanese when the user's language is Japanese.
    static const StringTable& current();
    static const StringTable& of(Language language);
    // Tests and the start-up choose the language explicitly.
    static void selectLanguage(Language language);
    static Language systemLanguage();

    // Raises error 326 when the id is not in the table.
    QString text(int id) const;
    bool contains(int id) const { return texts_.contains(id); }
    QList<int> ids() const;

    // Reads "id<TAB>text" lines; '#' starts a comment line.
    static StringTable parse(const QString& content);

  private:
    QHash<int, QString> texts_;
};

// Message text `id` with "~1".."~9" replaced by the arguments, "~c"/"~C" by CR LF and
// "~t"/"~T" by TAB; "~" with any other character is removed. Argument text is not scanned.
QString LoadResText(int id, std::initializer_list<rt::Variant> arguments = {});
// The placeholder expansion alone, for a text already fetched.
QString ExpandPlaceholders(const QString& text, std::initializer_list<rt::Variant> arguments);

}  // namespace platform
