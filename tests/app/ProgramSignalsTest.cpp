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
    void start(const QString& how) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] {
            for (const int signal : {SIGTERM, SIGINT, SIGHUP})
                ::signal(signal, SIG_DFL);
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
