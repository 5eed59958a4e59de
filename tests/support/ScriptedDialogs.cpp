#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QMenu>

namespace testsupport {

platform::MsgAnswer ScriptedDialogs::message(const QString& text, const QString& title,
                                             platform::MsgIcon icon, platform::MsgButtons buttons) {
    messages.push_back({text, title, icon, buttons});
    if (onMessage) onMessage(messages.back());
    if (shownBy) return shownBy(Message(messages.back()));
    if (answers.empty()) return platform::MsgAnswer::OK;
    const platform::MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::openFileName(const QString&, const QString&,
                                                     const QString&) {
    if (fileNames.empty()) return std::nullopt;
    const QString name = fileNames.front();
    fileNames.pop_front();
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> ScriptedDialogs::saveFileName(const QString& title, const QString& path,
                                                     const QString& filter, int& filterIndex) {
    saveRequests.push_back({title, path, filter, filterIndex});
    const std::optional<QString> name = openFileName(title, path, filter);
    if (!filterIndexes.empty()) {
        if (name) filterIndex = filterIndexes.front();
        filterIndexes.pop_front();
    }
    return name;
}

QAction* ScriptedDialogs::popup(QMenu& menu, const QPoint&) {
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries << action->text();
    popups.push_back(entries);
    int choice = -1;
    if (!popupChoices.empty()) {
        choice = popupChoices.front();
        popupChoices.pop_front();
    }
    if (choice < 0 || choice >= menu.actions().size()) return nullptr;
    QAction* taken = menu.actions()[choice];
    taken->trigger();
    return taken;
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont&) {
    ++fontRequests;
    if (fonts.empty()) return std::nullopt;
    const QFont font = fonts.front();
    fonts.pop_front();
    return font;
}

std::optional<int32_t> ScriptedDialogs::chooseColor(int32_t) {
    ++colorRequests;
    if (colors.empty()) return std::nullopt;
    const int32_t colour = colors.front();
    colors.pop_front();
    return colour;
}

std::optional<QString> ScriptedDialogs::password(const QString& prompt, const QString&) {
    passwordPrompts << prompt;
    if (passwords.empty()) return std::nullopt;
    const QString answer = passwords.front();
    passwords.pop_front();
    return answer;
}

}  // namespace testsupport
