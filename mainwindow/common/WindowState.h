#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Waiting.h"

// What the main window's pages share beside their controls: the window's own fields and the
// count of the long commands that run.
namespace mainwindow {

// A lamp's colours: its fill and its border (Basic RGB Longs).
struct LampColors {
    int32_t fill = 0;
    int32_t border = 0;
};

struct WindowFields {
    LampColors LampGreen, LampGrey, LampRed;
    LampColors LampColorWarn;  // kept with the others; nothing lights it
    // The automatic-mode boxes ask the user only while this is set: values the program puts
    // into them are no change of the user's.
    bool AutoLoadClickEnabled = false;
    bool LogTreeDirty = false;  // the library rebuilds its tree when next shown
    QString LastExportFile;
    bool StoredInfoShown = false;
    // The system ends the program (a termination signal): the window closes as soon as no
    // command runs, and nothing new starts meanwhile.
    bool Terminating = false;
    bool CalibrationViewOpen = false;  // the calibration view shows live readings
    // The start-up block of the window's activation runs once per arming.
    bool ActivationPending = false;
    int64_t TimerTicks = 0;  // ticks of the window's 100 ms clock
    // The re-entry guards of the settings grid and of the calibration-history grid.
    bool SettingsGridFilling = false;
    bool HistoryGridFilling = false;
};

// The long commands that run: while one does, the window refuses to close.
class BusyCounter {
  public:
    bool busy() const { return count_ > 0; }
    int count() const { return count_; }
    // Adds a listener, called (in the order they were added) each time the last command has
    // ended.
    void whenIdle(std::function<void()> listener) { idleListeners_.push_back(std::move(listener)); }
    // A wait of the window thread counts as a command while it lasts (platform::setWaitObserver),
    // so that nothing the window starts on its own begins inside one.
    void waitBegins() { ++count_; }
    void waitEnds() {
        if (--count_ == 0) ended();
    }

  private:
    friend class BusyScope;
    void ended() const {
        for (const auto& listener : idleListeners_)
            listener();
    }
    int count_ = 0;
    std::vector<std::function<void()>> idleListeners_;
};

// Held by every long command for as long as it runs. `input`: whether the command has locked
// its own controls, so that the user's input may go on while it waits (its Cancel, the other
// pages); see platform/Waiting.h for the rule.
class BusyScope {
  public:
    BusyScope(BusyCounter& counter, platform::UserInput input)
        : counter_(counter), command_(input) {
        ++counter_.count_;
    }
    ~BusyScope() {
        if (--counter_.count_ == 0) counter_.ended();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    BusyCounter& counter_;
    platform::CommandScope command_;
};

}  // namespace mainwindow
