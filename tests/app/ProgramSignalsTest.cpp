#include <gtest/gtest.h>

#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

// The program itself, as its user starts it, in a data folder of its own and without a display.
namespace {

constexpr int StartMs = 60000;  // a start under the sanitizers is slow

struct Program {
    QTemporaryDir home;
    QProcess process;
    qint64 pid = 0;

    QString file(const QString& name) const { return home.path() + "/QM73/" + name; }

    // `how` is the shell's command line around the program ("$0" stands for it). The shell
    // starts with the termination signals at their defaults, however the test program itself
    // was started; what it does to them is its own (nohup ignores SIGHUP, a background job of a
    // shell that has no job control SIGINT).
    void start(const QString& how, bool blocked = false) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([blocked] {
            sigset_t handled;
            sigemptyset(&handled);
            for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
                ::signal(signal, SIG_DFL);
                sigaddset(&handled, signal);
            }
            sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &handled, nullptr);
        });
        process.start("/bin/sh", {"-c", how, QStringLiteral(QM73_PROGRAM)});
        ASSERT_TRUE(process.waitForStarted());
        pid = process.processId();
    }
    // True once `done` holds; false when the time ran out or the program ended first.
    bool waitUntil(const std::function<bool()>& done, int ms = StartMs) {
        const QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired() || !running()) return false;
            QThread::msleep(20);
        }
        return true;
    }
    bool running() {
        process.waitForFinished(0);
        return process.state() != QProcess::NotRunning;
    }
    void send(int signal) const { ::kill(static_cast<pid_t>(pid), signal); }
    // The program's own exit code; -1 when it did not end normally in time.
    int end(int ms = StartMs) {
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(ms)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

}  // namespace

// A termination signal while the title shows ends the program at once: the main window is never
// made ready, so no database, no settings file and no serial log are made.
TEST(ProgramSignals, ATerminationSignalDuringTheTitleEndsItWithNothingCreated) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        Program program;
        program.start("exec \"$0\"");
        // The lock is taken once the signals are handled, as the title comes up.
        ASSERT_TRUE(program.waitUntil([&] { return QFile::exists(program.file("QM73.lock")); }));
        program.send(signal);
        EXPECT_EQ(program.end(), 0);
        // Nothing is left in the data folder but, at most, the lock of the copy that ran.
        QStringList made =
            QDir(program.file("")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        made.removeAll("QM73.lock");
        EXPECT_EQ(made, QStringList{});
    }
}

// Started under nohup the program outlives the terminal's hang-up; started as a background job
// of a shell, it outlives Ctrl+C in that terminal. A termination signal still ends it as its own
// close does, its settings saved.
TEST(ProgramSignals, SignalsItWasStartedWithIgnoredDoNotEndIt) {
    const struct {
        const char* name;
        QString how;
        int ignored;
    } cases[] = {
        {"under nohup", "exec nohup \"$0\"", SIGHUP},
        {"as a background job", "\"$0\" & echo $!; wait $!", SIGINT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Program program;
        program.start(c.how);
        if (c.ignored == SIGINT) {
            // The job's own process, as the shell made it.
            ASSERT_TRUE(program.waitUntil([&] { return program.process.canReadLine(); }));
            program.pid = program.process.readLine().trimmed().toLongLong();
            ASSERT_GT(program.pid, 0);
        }
        // The main window is up once its database is there.
        ASSERT_TRUE(program.waitUntil([&] { return QFile::exists(program.file("QM73.mdb")); }));
        program.send(c.ignored);
        EXPECT_FALSE(program.waitUntil([] { return false; }, 1500));
        EXPECT_TRUE(program.running());
        program.send(SIGTERM);
        EXPECT_EQ(program.end(), 0);
        EXPECT_TRUE(QFile::exists(program.file("QM73.ini")));
    }
}

// The end the user asked for ends with status 0, however often the request comes while the
// program is ending: a second SIGTERM during the end changes nothing.
TEST(ProgramSignals, RequestsDuringTheEndChangeNothing) {
    Program program;
    program.start("exec \"$0\"");
    ASSERT_TRUE(program.waitUntil([&] { return QFile::exists(program.file("QM73.mdb")); }));
    // Signals follow each other until the program has ended, so that some come while it is
    // taken down.
    program.send(SIGTERM);
    const QDeadlineTimer deadline(StartMs);
    while (program.running() && !deadline.hasExpired()) {
        program.send(SIGTERM);
        QThread::usleep(500);
    }
    EXPECT_EQ(program.end(), 0);
    EXPECT_TRUE(QFile::exists(program.file("QM73.ini")));
}

// Started with the termination signals blocked (as a service manager or a shell may leave
// them), the program still ends on them as its own close does.
TEST(ProgramSignals, SignalsItWasStartedWithBlockedEndIt) {
    Program program;
    program.start("exec \"$0\"", true);
    ASSERT_TRUE(program.waitUntil([&] { return QFile::exists(program.file("QM73.mdb")); }));
    program.send(SIGTERM);
    // Bounded: the end's limit is 10 s.
    EXPECT_EQ(program.end(15000), 0);
    EXPECT_TRUE(QFile::exists(program.file("QM73.ini")));
}

// A second copy shows its "already running" box; a termination signal then ends it, though
// nobody answers the box.
TEST(ProgramSignals, ATerminationSignalDuringTheAlreadyRunningBoxEndsIt) {
    Program first;
    first.start("exec \"$0\"");
    ASSERT_TRUE(first.waitUntil([&] { return QFile::exists(first.file("QM73.mdb")); }));
    Program second;
    second.home.remove();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", first.home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    second.process.setProcessEnvironment(environment);
    second.process.setChildProcessModifier([] {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            ::signal(signal, SIG_DFL);
    });
    second.process.start(QStringLiteral(QM73_PROGRAM), {});
    ASSERT_TRUE(second.process.waitForStarted());
    second.pid = second.process.processId();
    // The copy has its window system (and from then on takes the signals) once the offscreen
    // platform is loaded; a while later its box is up and waits.
    const QString maps = QStringLiteral("/proc/%1/maps").arg(second.pid);
    ASSERT_TRUE(second.waitUntil([&] {
        QFile file(maps);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("offscreen");
    }));
    EXPECT_FALSE(second.waitUntil([] { return false; }, 3000));
    ASSERT_TRUE(second.running());
    second.send(SIGTERM);
    // Another copy ran: that is no end as asked.
    EXPECT_EQ(second.end(12000), 1);
    first.send(SIGTERM);
    EXPECT_EQ(first.end(), 0);
}
