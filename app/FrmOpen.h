#pragma once

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "app/OpenLayout.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"

namespace app {

// The frame of the start-up screen; reports double clicks.
class OpenFrame : public QFrame {
    Q_OBJECT
  public:
    using QFrame::QFrame;
  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// One of the two rule lines under the title.
class RuleLine : public QWidget {
  public:
    RuleLine(QWidget* parent, QColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

// The start-up screen: refuses a second instance, reads the command-line switches, shows the
// title for five timer ticks, then shows the main window and unloads itself; or, asked to end
// before that, unloads itself and ends the program.
class FrmOpen : public QWidget {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<bool()> anotherInstanceRunning;
        std::function<void()> showMainWindow;
        // Ends the program when it was asked to end before the main window was begun.
        std::function<void()> endProgram;
    };

    FrmOpen(platform::Dialogs& dialogs, platform::EventPump& pump, Hooks hooks, QString commandLine,
            int tickIntervalMs = 500);
    ~FrmOpen() override;

    // False when the program must end: another instance runs, or the check for one failed
    // (the hook raised rt::RuntimeError; its text is shown).
    bool Form_Load();
    // The timed sequence; runs once after the first show.
    void Form_Activate();
    // The system asks the program to end (a termination signal). Taken while the title shows,
    // before the main window is begun: the title goes, the main window is never shown and the
    // program ends. False once the main window has been begun: the request is the main
    // window's.
    bool Terminate();
    void tmrTimer_Timer();
    void fraOpen_DblClick();

    int tickCount() const { return tickCount_; }
    bool isUnloaded() const { return unloaded_; }
    const OpenLayout& layout() const { return layout_; }

    OpenFrame* fraOpen;
    QLabel* lblTitle;
    QLabel* lblTM;
    std::array<RuleLine*, 2> linBorder;
    QLabel* imgGasMivo;
    QLabel* lblPCs;
    QLabel* lblVersion;
    QLabel* lblCompany;
    QLabel* lblNotice;
    QTimer* tmrTimer;

  private:
    void LayoutControls();
    void activate();
    void endProgram();
    void Unload();

    platform::Dialogs& dialogs_;
    platform::EventPump& pump_;
    Hooks hooks_;
    QString commandLine_;
    int tickIntervalMs_;
    int16_t tickCount_ = 0;
    bool activated_ = false;
    bool mainWindowBegun_ = false;
    bool terminating_ = false;
    bool unloaded_ = false;
    bool waitCursor_ = false;
    OpenLayout layout_;
};

}  // namespace app
