#pragma once

#include <csignal>
#include <initializer_list>
#include <utility>
#include <vector>

namespace testsupport {

// What the process does with some signals, set for a scope as a shell or nohup would have
// started the program, and put back afterwards: tests of the signals then mean the same
// whether the test program itself runs in a terminal, under nohup or as a background job.
class SignalDispositions {
  public:
    using Handler = void (*)(int);

    // SIGTERM, SIGINT and SIGHUP at their defaults.
    SignalDispositions() : SignalDispositions({SIGTERM, SIGINT, SIGHUP}, SIG_DFL) {}
    SignalDispositions(std::initializer_list<int> which, Handler handler) {
        for (const int signal : which)
            set(signal, handler);
    }
    ~SignalDispositions() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            sigaction(it->first, &it->second, nullptr);
    }
    SignalDispositions(const SignalDispositions&) = delete;
    SignalDispositions& operator=(const SignalDispositions&) = delete;

    void set(int signal, Handler handler) {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        struct sigaction previous = {};
        sigaction(signal, &action, &previous);
        saved_.emplace_back(signal, previous);
    }

    // What the process does with `signal` now.
    static Handler now(int signal) {
        struct sigaction current = {};
        sigaction(signal, nullptr, &current);
        return current.sa_handler;
    }

  private:
    std::vector<std::pair<int, struct sigaction>> saved_;
};

}  // namespace testsupport
