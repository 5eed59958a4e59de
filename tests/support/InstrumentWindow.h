#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "tests/support/FakeQM73.h"
#include "tests/support/WindowRig.h"

namespace testsupport {

using Lines = std::vector<std::pair<QString, int32_t>>;

// The lines of several parts, one after the other.
inline Lines joined(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The status lines of the program itself: the link's own progress texts are left out.
inline Lines ownLines(const Lines& lines) {
    Lines own;
    for (const auto& line : lines)
        if (line.second != download::ColorStatusInstrument) own.push_back(line);
    return own;
}

// The serial log's lines without their time stamps, dates as "<date>" and elapsed times as
// "<time>".
inline QStringList serialLines(const QString& log) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
    static const QRegularExpression date(
        QStringLiteral("(\\d{1,4}[/.-]\\d{1,2}[/.-]\\d{1,4}|\\d{1,2} \\w{3} \\d{4})"
                       "( \\d{1,2}:\\d\\d:\\d\\d( [AP]M)?)?"));
    static const QRegularExpression elapsed(QStringLiteral("\\[Time = \\d\\d:\\d\\d:\\d\\d\\]"));
    QStringList lines;
    for (QString line : log.split('\n')) {
        line.remove('\r');
        line.remove(stamp);
        line.replace(date, QStringLiteral("<date>"));
        line.replace(elapsed, QStringLiteral("[Time = <time>]"));
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

// Each expected line appears, whole, after the one before it.
inline ::testing::AssertionResult inOrder(const QStringList& lines, const QStringList& expected) {
    qsizetype at = 0;
    for (const QString& want : expected) {
        const qsizetype found = lines.indexOf(want, at);
        if (found < 0)
            return ::testing::AssertionFailure()
                   << "missing after line " << at << ": \"" << want.toStdString() << "\"\nin:\n"
                   << lines.mid(at).join('\n').toStdString();
        at = found + 1;
    }
    return ::testing::AssertionSuccess();
}

// A started main window with a fake QM-73 on its one USB adapter. Time is simulated: the
// link's and the window's clocks are ticked by the tests and by every wait of the program
// (through the window's pump), so nothing sleeps.
struct InstrumentWindow {
    WindowRig rig;
    FakeQM73 fake;
    std::unique_ptr<shell::FrmMain> window;
    // Runs when the instrument receives a request, before it answers.
    std::function<void(const QString& body)> onRequest;

    explicit InstrumentWindow(FakeQM73 contents = FakeQM73::Typical(),
                              const std::function<void(WindowRig&)>& prepare = {})
        : fake(std::move(contents)) {
        download::ActivityCode = 0;
        // The instrument's clock agrees with the computer's unless a test says otherwise.
        if (fake.clock == FakeQM73().clock)
            fake.clock = QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"));
        rig.finder.ports = {{"/dev/ttyUSB0", "CP2102", "COM1"}};
        rig.serial.engine.responder = [this](const QString& body) -> std::optional<QStringList> {
            if (onRequest) onRequest(body);
            auto answer = fake.answer(body);
            // A switched-off instrument drops its lines.
            if (fake.poweredOff) rig.serial.plugged = false;
            return answer;
        };
        if (prepare) prepare(rig);
        start();
    }
    ~InstrumentWindow() {
        window.reset();
        platform::Database::close(rig.folder.paths().database());
        download::ActivityCode = 0;
    }

    void start() {
        window = std::make_unique<shell::FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        rig.pump.tick = [this] { tickOnce(); };
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
    }
    // One tick of simulated time: the link's clock, the window's clock, the instrument's.
    void tickOnce() {
        window->uclVY5103.tmrTimer_Timer();
        window->tmrInter_Timer();
        rig.serial.tick();
    }
    void settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            tickOnce();
            settle();
        }
    }
    // Ticks until the link is connected and its connection event has been handled.
    bool connect(int limit = 50) {
        for (int i = 0; i < limit && !window->uclVY5103.Connected(); ++i)
            tick();
        settle();
        return window->uclVY5103.Connected();
    }
    // The instrument switched on again after a power off.
    void switchOn() {
        fake.poweredOff = false;
        rig.serial.plugged = true;
    }
    bool fraMenuHidden(int page) const { return window->fraMenu[page]->isHidden(); }
    void click(int button) { window->downloadPage->cmdDown[button]->click(); }

    // The status log's lines with their colours, the empty ones left out, from line `from`.
    std::vector<std::pair<QString, int32_t>> statusLines(size_t from = 0) const {
        std::vector<std::pair<QString, int32_t>> lines;
        for (const auto& line : window->downloadPage->statusLog().lines())
            if (!line.first.isEmpty()) lines.push_back(line);
        lines.erase(lines.begin(), lines.begin() + std::min(from, lines.size()));
        return lines;
    }
    QStringList statusTexts(size_t from = 0) const {
        QStringList texts;
        for (const auto& line : statusLines(from))
            texts << line.first;
        return texts;
    }
    QString serialLog() const {
        QFile f(rig.folder.paths().serialLog());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    std::vector<bool> enabledDownloadButtons() const {
        std::vector<bool> enabled;
        for (const auto* button : window->downloadPage->cmdDown)
            enabled.push_back(button->isEnabled());
        return enabled;
    }
    platform::Database db() const {
        return platform::Database::open(rig.folder.paths().database());
    }
    int rows(const QString& table) const {
        return db()
            .query(QStringLiteral("Select Count(*) As n From %1").arg(table))
            .longValue(0, "n");
    }
};

}  // namespace testsupport
