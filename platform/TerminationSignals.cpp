#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "runtime/RuntimeError.h"

namespace platform {

namespace {

// The pipe's write end while an object handles the signals, else -1: all the handler needs.
std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onTerminationSignal(int signal) {
    // Only async-signal-safe calls here. A full pipe already holds a signal to be handled.
    const int saved = errno;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = saved;
}

rt::RuntimeError setupError(const char* what, int error = errno) {
    return rt::RuntimeError(
        rt::ErrInvalidCall,
        QStringLiteral("The termination signals cannot be handled (%1): %2")
            .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(error))));
}

qint64 steadyMs() {
    // Never 0 once the program runs, so that 0 can mean "no signal yet".
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           1;
}

std::mutex unsavedMutex;
std::string unsavedLine;

}  // namespace

void setUnsavedAtTheEnd(const QString& line) {
    const std::lock_guard<std::mutex> lock(unsavedMutex);
    unsavedLine =
        line.isEmpty() ? std::string() : (line + QLatin1Char('\n')).toLocal8Bit().toStdString();
}

bool unsavedAtTheEnd() {
    const std::lock_guard<std::mutex> lock(unsavedMutex);
    return !unsavedLine.empty();
}

void TerminationSignals::exitNow(int status) {
    std::_Exit(status);
}

TerminationSignals::TerminationSignals(int limitMs, EndProcess endProcess, QObject* parent)
    : QObject(parent) {
    if (writeEnd.load() >= 0)
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("The termination signals are already handled"));
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw setupError("pipe");
    if (::pipe2(stop_, O_CLOEXEC) != 0) {
        const rt::RuntimeError error = setupError("pipe");
        restore();
        throw error;
    }
    writeEnd.store(pipe_[1]);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Calls that the signal interrupts go on rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    sigset_t blocked;
    sigemptyset(&blocked);
    for (size_t i = 0; i < Handled.size(); ++i) {
        struct sigaction found = {};
        if (::sigaction(Handled[i], nullptr, &found) == 0 && found.sa_handler == SIG_IGN) continue;
        if (::sigaction(Handled[i], &action, &previous_[i]) != 0) {
            const rt::RuntimeError error = setupError("sigaction");
            restore();
            throw error;
        }
        installed_[i] = true;
        sigaddset(&blocked, Handled[i]);
    }
    // Taken on this thread (and on the ones it starts) even when the program was started with
    // them blocked; one that waits already arrives now.
    if (const int error = ::pthread_sigmask(SIG_UNBLOCK, &blocked, nullptr); error != 0) {
        const rt::RuntimeError e = setupError("pthread_sigmask", error);
        restore();
        throw e;
    }
    try {
        thread_ =
            std::thread([this, limitMs, end = std::move(endProcess)] { watch(limitMs, end); });
    } catch (const std::system_error& e) {
        const rt::RuntimeError error = setupError("thread", e.code().value());
        restore();
        throw error;
    }
}

TerminationSignals::~TerminationSignals() {
    if (thread_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t written = ::write(stop_[1], &stop, 1);
        thread_.join();
    }
    restore();
}

void TerminationSignals::watch(int limitMs, const EndProcess& endProcess) {
    qint64 endAt = 0;  // steady ms; 0 while no signal came
    for (;;) {
        int timeout = -1;
        if (endAt != 0) {
            const qint64 left = endAt - steadyMs();
            if (left <= 0) {
                std::string line;
                {
                    const std::lock_guard<std::mutex> lock(unsavedMutex);
                    line = unsavedLine;
                }
                if (!line.empty()) [[maybe_unused]]
                    const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
                endProcess(line.empty() ? 0 : 1);
                // Only a test's end comes back: the thread then waits to be stopped.
                endAt = 0;
                continue;
            }
            timeout = static_cast<int>(left);
        }
        struct pollfd fds[2] = {{pipe_[0], POLLIN, 0}, {stop_[0], POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        unsigned char numbers[64];
        const ssize_t got = ::read(pipe_[0], numbers, sizeof numbers);
        for (ssize_t i = 0; i < got; ++i) {
            if (firstSignalMs_.load() == 0) {
                const qint64 now = steadyMs();
                firstSignalMs_.store(now);
                endAt = now + limitMs;
            }
            const int signal = numbers[i];
            QMetaObject::invokeMethod(
                this, [this, signal] { emit received(signal); }, Qt::QueuedConnection);
        }
    }
}

qint64 TerminationSignals::msSinceFirstSignal() const {
    const qint64 first = firstSignalMs_.load();
    return first == 0 ? 0 : steadyMs() - first;
}

bool TerminationSignals::handles(int signal) const {
    for (size_t i = 0; i < Handled.size(); ++i)
        if (Handled[i] == signal) return installed_[i];
    return false;
}

void TerminationSignals::ignoreFromNowOn() {
    for (size_t i = 0; i < Handled.size(); ++i) {
        if (!installed_[i]) continue;
        ::signal(Handled[i], SIG_IGN);
        installed_[i] = false;
    }
}

void TerminationSignals::restore() {
    // The handlers go before the pipe: none can write to a closed descriptor.
    for (size_t i = Handled.size(); i-- > 0;) {
        if (!installed_[i]) continue;
        ::sigaction(Handled[i], &previous_[i], nullptr);
        installed_[i] = false;
    }
    writeEnd.store(-1);
    for (int* pipe : {pipe_, stop_})
        for (int i = 0; i < 2; ++i) {
            if (pipe[i] >= 0) ::close(pipe[i]);
            pipe[i] = -1;
        }
}

}  // namespace platform
