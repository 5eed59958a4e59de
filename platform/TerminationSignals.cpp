#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

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

rt::RuntimeError setupError(const char* what) {
    return rt::RuntimeError(
        rt::ErrInvalidCall,
        QStringLiteral("The termination signals cannot be handled (%1): %2")
            .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno))));
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (writeEnd.load() >= 0)
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("The termination signals are already handled"));
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw setupError("pipe");
    writeEnd.store(pipe_[1]);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Calls that the signal interrupts go on rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < Handled.size(); ++i) {
        struct sigaction found = {};
        if (::sigaction(Handled[i], nullptr, &found) == 0 && found.sa_handler == SIG_IGN) continue;
        if (::sigaction(Handled[i], &action, &previous_[i]) != 0) {
            const rt::RuntimeError error = setupError("sigaction");
            restore();
            throw error;
        }
        installed_[i] = true;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readPipe(); });
}

TerminationSignals::~TerminationSignals() {
    notifier_.reset();
    restore();
}

void TerminationSignals::readPipe() {
    unsigned char numbers[64];
    for (;;) {
        const ssize_t n = ::read(pipe_[0], numbers, sizeof numbers);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i)
                emit received(numbers[i]);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return;  // empty (EAGAIN)
    }
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
    for (int& fd : pipe_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace platform
