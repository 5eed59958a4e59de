#include "core/StoredDamage.h"

#include <QDir>
#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

#include "core/ModMain.h"

namespace core {

namespace {

enum Text : int {
    TextDamagedValues = 5830,
    TextDamagedFile = 5831,
    TextDamageTitle = 5832,
};

// A long list of damaged downloads is cut: the message must fit on the screen.
constexpr size_t LinesShown = 10;

DamageFindings*& innermost() {
    static DamageFindings* open = nullptr;
    return open;
}

// What was told in this run: the program folder, the download's name and the file.
std::set<std::tuple<QString, QString, QString>>& toldInThisRun() {
    static std::set<std::tuple<QString, QString, QString>> told;
    return told;
}

QString lineOf(const std::pair<QString, QString>& found) {
    const auto& [name, file] = found;
    if (file.isEmpty()) return LoadResText(TextDamagedValues, {name});
    // The file as it lies in the program folder, where the user finds it.
    QString shown = file;
    if (AppPath.isSet()) {
        const QString relative = QDir(AppPath.path()).relativeFilePath(file);
        if (!relative.startsWith(QLatin1String(".."))) shown = relative;
    }
    return LoadResText(TextDamagedFile, {name, QDir::toNativeSeparators(shown)});
}

}  // namespace

DamageFindings::DamageFindings() : outer_(innermost()) {
    innermost() = this;
}

DamageFindings::~DamageFindings() {
    innermost() = outer_;
    for (const auto& [name, file] : found_) {
        if (outer_)
            NoteDamagedDownload(name, file);
        else
            qWarning("Damaged stored data: %s", qPrintable(lineOf({name, file})));
    }
}

QString DamageFindings::take() {
    const QString folder = AppPath.isSet() ? AppPath.path() : QString();
    QStringList lines;
    for (const auto& found : std::exchange(found_, {})) {
        if (toldInThisRun().count({folder, found.first, found.second}) > 0) continue;
        if (static_cast<size_t>(lines.size()) == LinesShown) {
            lines << QStringLiteral("...");
            break;
        }
        lines << lineOf(found);
        toldInThisRun().insert({folder, found.first, found.second});
    }
    return lines.join(QStringLiteral("\r\n"));
}

void NoteUnreadable(const platform::ResultSet& head, const platform::ResultSet& rows) {
    if (head.anyUnreadable() || rows.anyUnreadable())
        NoteDamagedDownload(head.text(0, QStringLiteral("Names")));
}

QString DamageTitle() {
    return LoadResText(TextDamageTitle);
}

void NoteDamagedDownload(const QString& name, const QString& file) {
    DamageFindings* open = innermost();
    const std::pair<QString, QString> found{name, file};
    if (!open) {
        qWarning("Damaged stored data: %s", qPrintable(lineOf(found)));
        return;
    }
    // Read again and again within one action, a download is told once.
    if (std::find(open->found_.begin(), open->found_.end(), found) == open->found_.end())
        open->found_.push_back(found);
}

}  // namespace core
