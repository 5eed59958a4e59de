#include "platform/StringTable.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <optional>

#include "resources/Resources.h"
#include "runtime/RuntimeError.h"

namespace platform {

namespace {

StringTable load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw rt::RuntimeError(rt::ErrFileNotFound, QStringLiteral("Cannot read ") + path);
    return StringTable::parse(QString::fromUtf8(file.readAll()));
}

std::optional<StringTable::Language>& chosenLanguage() {
    static std::optional<StringTable::Language> language;
    return language;
}

}  // namespace

StringTable StringTable::parse(const QString& content) {
    StringTable table;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0) continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok) table.texts_.insert(id, line.mid(tab + 1));
    }
    return table;
}

const StringTable& StringTable::of(Language language) {
    static const StringTable english = load(resources::englishStringTable());
    static const StringTable japanese = load(resources::japaneseStringTable());
    return language == Language::Japanese ? japanese : english;
}

StringTable::Language StringTable::systemLanguage() {
    return QLocale::system().language() == QLocale::Japanese ? Language::Japanese
                                                             : Language::English;
}

void StringTable::selectLanguage(Language language) {
    chosenLanguage() = language;
}

const StringTable& StringTable::current() {
    if (!chosenLanguage()) chosenLanguage() = systemLanguage();
    return of(*chosenLanguage());
}

QString StringTable::text(int id) const {
    const auto it = texts_.constFind(id);
    if (it == texts_.constEnd())
        throw rt::RuntimeError(rt::ErrResourceNotFound,
                               QStringLiteral("Resource with identifier '%1' not found").arg(id));
    return *it;
}

QList<int> StringTable::ids() const {
    QList<int> list = texts_.keys();
    std::sort(list.begin(), list.end());
    return list;
}

QString ExpandPlaceholders(const QString& text, std::initializer_list<rt::Variant> arguments) {
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch != QLatin1Char('~')) {
            out += ch;
            continue;
        }
        if (i + 1 >= text.size()) break;  // a lone "~" at the end goes like any other
        const QChar c = text.at(++i);
        if (c == QLatin1Char('c') || c == QLatin1Char('C')) {
            out += QLatin1String("\r\n");
        } else if (c == QLatin1Char('t') || c == QLatin1Char('T')) {
            out += QLatin1Char('\t');
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int n = c.digitValue();
            if (n >= 1 && static_cast<size_t>(n) <= arguments.size())
                out += std::data(arguments)[n - 1].toText();
        }
        // Any other character after "~" goes together with the "~".
    }
    return out;
}

QString LoadResText(int id, std::initializer_list<rt::Variant> arguments) {
    return ExpandPlaceholders(StringTable::current().text(id), arguments);
}

}  // namespace platform
