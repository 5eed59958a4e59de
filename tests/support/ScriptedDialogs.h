#pragma once

#include <QString>
#include <QStringList>
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
    // When set, shows each box on screen (a real one) and gives the answer taken there; the
    // script's answers are left alone.
    std::function<platform::MsgAnswer(const Message&)> shownBy;
    // File dialog answers in order; an empty name (or none left) cancels.
    std::deque<QString> fileNames;
    // The filter the user takes in each Save As dialog, in order (none left: the one offered).
    std::deque<int> filterIndexes;
    // Every Save As dialog asked for: its title, proposed name, filters and offered filter.
    struct SaveRequest {
        QString title, initialPath, filter;
        int filterIndex;
    };
    std::vector<SaveRequest> saveRequests;
    // The entry taken in each popup menu, in order (none left, or -1: none taken); and the
    // entries every popup offered.
    std::deque<int> popupChoices;
    std::vector<QStringList> popups;

    std::vector<Message> messages;

    platform::MsgAnswer message(const QString& text, const QString& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons) override;
    std::optional<QString> openFileName(const QString& title, const QString& initialPath,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& initialPath,
                                        const QString& filter, int& filterIndex) override;
    QAction* popup(QMenu& menu, const QPoint& globalPos) override;
    // The choosers' answers in order (none left: cancelled), and how often each was asked.
    std::deque<QFont> fonts;
    std::deque<int32_t> colors;
    int fontRequests = 0, colorRequests = 0;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<int32_t> chooseColor(int32_t initial) override;
    // The passwords given in order (none left: cancelled), and every prompt asked.
    std::deque<QString> passwords;
    QStringList passwordPrompts;
    std::optional<QString> password(const QString& prompt, const QString& title) override;
};

}  // namespace testsupport
