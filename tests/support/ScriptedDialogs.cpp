#include "tests/support/ScriptedDialogs.h"

namespace testsupport {

platform::MsgAnswer ScriptedDialogs::message(const QString& text, const QString& title,
                                             platform::MsgIcon icon, platform::MsgButtons buttons) {
    messages.push_back({text, title, icon, buttons});
    if (onMessage) onMessage(messages.back());
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
                                                     const QString& filter) {
    return openFileName(title, path, filter);
}

}  // namespace testsupport
