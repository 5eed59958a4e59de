#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"

namespace testsupport {

// A Dialogs service for tests: records every box and answers from a script.
class ScriptedDialogs : public platform::Dialogs {
  public:
    struct Message {
        QString text;
        QString title;
        platform::MsgIcon icon;
        platform::MsgButtons buttons;
    };

    // Answers in order; when the queue is empty the box is answered with OK.
    std::deque<platform::MsgAnswer> answers;
    // Runs while a box is "open", before it is answered.
    std::function<void(const Message&)> onMessage;
    // File dialog answers in order; an empty name (or none left) cancels.
    std::deque<QString> fileNames;

    std::vector<Message> messages;

    platform::MsgAnswer message(const QString& text, const QString& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons) override;
    std::optional<QString> openFileName(const QString& title, const QString& initialPath,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& initialPath,
                                        const QString& filter) override;
};

}  // namespace testsupport
