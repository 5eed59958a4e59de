#include "platform/gui/FitText.h"

#include <QStringList>
#include <algorithm>

namespace platform {

namespace {

bool hasDigit(const QString& word) {
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

QString WordsGiveWay(const QString& text, int room,
                     const std::function<int(const QString&)>& width) {
    if (room <= 0 || width(text) <= room) return text;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto first = std::find_if(words.begin(), words.end(), hasDigit);
    if (first == words.end()) return text;
    const auto last = std::find_if(words.rbegin(), words.rend(), hasDigit).base() - 1;
    const auto shown = [](auto from, auto to) {
        return QStringList(from, to + 1).join(QLatin1Char(' '));
    };
    auto from = words.begin(), to = words.end() - 1;
    while (from != first) {
        ++from;
        const QString candidate = shown(from, to);
        if (width(candidate) <= room) return candidate;
    }
    while (to != last) {
        --to;
        const QString candidate = shown(from, to);
        if (width(candidate) <= room) return candidate;
    }
    return shown(from, to);
}

}  // namespace platform
