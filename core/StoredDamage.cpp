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
    TextLackingFile = 5860,
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

QString lineOf(const DamageFindings::Finding& found) {
    const auto& [name, file, text] = found;
    if (file.isEmpty()) return LoadResText(text, {name});
    // The file as it lies in the program folder, where the user finds it.
    QString shown = file;
    if (AppPath.isSet()) {
        const QString relative = QDir(AppPath.path()).relativeFilePath(file);
        if (!relative.startsWith(QLatin1String(".."))) shown = relative;
    }
    return LoadResText(text, {name, QDir::toNativeSeparators(shown)});
}

}  // namespace

void NoteFinding(const DamageFindings::Finding& found);

DamageFindings::DamageFindings() : outer_(innermost()) {
    innermost() = this;
}

DamageFindings::~DamageFindings() {
    innermost() = outer_;
    for (const Finding& found : found_) {
        if (outer_)
            NoteFinding(found);
        else
            qWarning("Damaged stored data: %s", qPrintable(lineOf(found)));
    }
}

QString DamageFindings::take() {
    const QString folder = AppPath.isSet() ? AppPath.path() : QString();
    QStringList lines;
    for (const auto& found : std::exchange(found_, {})) {
        if (toldInThisRun().count({folder, found.name, found.file}) > 0) continue;
        if (static_cast<size_t>(lines.size()) == LinesShown) {
            lines << QStringLiteral("...");
            break;
        }
        lines << lineOf(found);
        toldInThisRun().insert({folder, found.name, found.file});
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
    NoteFinding({name, file, file.isEmpty() ? TextDamagedValues : TextDamagedFile});
}

void NoteLackingTrendFile(const QString& name, const QString& file) {
    NoteFinding({name, file, TextLackingFile});
}

void NoteFinding(const DamageFindings::Finding& found) {
    DamageFindings* open = innermost();
    if (!open) {
        qWarning("Damaged stored data: %s", qPrintable(lineOf(found)));
        return;
    }
    // Read again and again within one action, a download is told once.
    if (std::find(open->found_.begin(), open->found_.end(), found) == open->found_.end())
        open->found_.push_back(found);
}

}  // namespace core
