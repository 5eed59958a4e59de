#include "app/FrmOpen.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

#include "app/BrandPicture.h"
#include "core/ModMain.h"
#include "platform/Twips.h"
#include "platform/Waiting.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/QtDialogs.h"
#include "runtime/RuntimeError.h"

namespace app {

namespace {

// Catalogue numbers and notice shown on the title screen.
const char* const CatalogueNumberJapanese = "NS-QM73-J  Ver 1.00";
const char* const CatalogueNumberOther = "NS-QM73-E  Ver 1.00";
const char* const NoticeText = "This program may be used only with the QM-73.";

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int pointSize,
                  bool bold = false, bool italic = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
    label->adjustSize();
    return label;
}

double widthTwips(const QWidget* w) {
    return platform::pixelsToTwips(w->width());
}
double heightTwips(const QWidget* w) {
    return platform::pixelsToTwips(w->height());
}

}  // namespace

void OpenFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    QFrame::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

RuleLine::RuleLine(QWidget* parent, QColor color) : QWidget(parent), color_(color) {}

void RuleLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(color_, 1));
    p.drawLine(0, 0, width(), 0);
}

FrmOpen::FrmOpen(platform::Dialogs& dialogs, platform::EventPump& pump, Hooks hooks,
                 QString commandLine, int tickIntervalMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      dialogs_(dialogs),
      pump_(pump),
      hooks_(std::move(hooks)),
      commandLine_(std::move(commandLine)),
      tickIntervalMs_(tickIntervalMs) {
    setObjectName(QStringLiteral("frmOpen"));
    setAttribute(Qt::WA_QuitOnClose, false);
    // The maker's name in Japanese is drawn in the proportional Japanese face.
    platform::PreferProportionalJapanese(font().family());
    setStyleSheet(QStringLiteral("#frmOpen { background: white; }"));

    fraOpen = new OpenFrame(this);
    fraOpen->setObjectName(QStringLiteral("fraOpen"));
    fraOpen->setFrameShape(QFrame::Box);
    lblTitle = makeLabel(fraOpen, "lblTitle", QStringLiteral("QM-73 Data Logger"), 17, true);
    lblTM = makeLabel(fraOpen, "lblTM", QStringLiteral("TM"), 7);
    linBorder[0] = new RuleLine(fraOpen, QColor(128, 128, 128));
    linBorder[1] = new RuleLine(fraOpen, QColor(128, 128, 128));
    imgGasMivo = new QLabel(fraOpen);
    imgGasMivo->setObjectName(QStringLiteral("imgGasMivo"));
    imgGasMivo->setScaledContents(true);
    lblPCs = makeLabel(fraOpen, "lblPCs", QStringLiteral("for Linux"), 34, true, true);
    lblVersion = makeLabel(fraOpen, "lblVersion", QString::fromLatin1(CatalogueNumberOther), 10);
    lblCompany =
        makeLabel(fraOpen, "lblCompany", QString::fromUtf8(core::MakerNameEnglish), 10, true);
    lblNotice = makeLabel(fraOpen, "lblNotice", QString::fromLatin1(NoticeText), 7);

    tmrTimer = new QTimer(this);
    tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    connect(tmrTimer, &QTimer::timeout, this, &FrmOpen::tmrTimer_Timer);
    connect(fraOpen, &OpenFrame::doubleClicked, this, &FrmOpen::fraOpen_DblClick);
}

FrmOpen::~FrmOpen() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

bool FrmOpen::Form_Load() {
    bool anotherInstance = false;
    try {
        anotherInstance = hooks_.anotherInstanceRunning && hooks_.anotherInstanceRunning();
    } catch (const rt::RuntimeError& e) {
        // No lock could be made: that is no other running copy, and without a lock the program
        // cannot keep a second one out. The reason is shown and the program ends.
        dialogs_.message(e.description(), core::LoadResText(5001), platform::MsgIcon::Critical,
                         platform::MsgButtons::OK);
        return false;
    }
    if (anotherInstance) {
        // Asked to end already: nobody waits for the box.
        if (!terminating_)
            dialogs_.message(core::LoadResText(99), core::LoadResText(5001),
                             platform::MsgIcon::Critical, platform::MsgButtons::OK);
        return false;
    }
    LayoutControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
    core::ApplySwitches(core::ParseSwitches(commandLine_));
    // Activation follows the first show; it is queued from here because showing a window can
    // already deliver events, and the timed sequence must not start inside the load.
    QTimer::singleShot(0, this, &FrmOpen::Form_Activate);
    return true;
}

void FrmOpen::Form_Activate() {
    // Runs from the event loop: nothing may escape it. A start-up that cannot go on is reported
    // and ends the program instead of leaving it without a window.
    try {
        activate();
    } catch (const std::exception& e) {
        Unload();
        dialogs_.message(QString::fromUtf8(e.what()), QStringLiteral("QM-73"),
                         platform::MsgIcon::Critical, platform::MsgButtons::OK);
        QCoreApplication::exit(1);
    }
}

bool FrmOpen::Terminate() {
    if (mainWindowBegun_) return false;
    terminating_ = true;
    // A box of the start (the title's pause, "already running") would hold the end until the
    // user answers it: nobody may be there to.
    platform::DismissOpenDialogs();
    return true;
}

void FrmOpen::activate() {
    if (activated_ || unloaded_) return;
    activated_ = true;
    if (terminating_) {
        endProgram();
        return;
    }
    tickCount_ = 0;
    tmrTimer->setInterval(tickIntervalMs_);
    tmrTimer->start();

    const QString language = core::LoadResText(101);
    lblVersion->setText(QString::fromLatin1(
        language == QLatin1String("JP") ? CatalogueNumberJapanese : CatalogueNumberOther));
    lblCompany->setText(language == QLatin1String("EN")
                            ? QString::fromUtf8(core::MakerNameEnglish)
                            : QString::fromUtf8(core::MakerNameJapanese));
    lblVersion->adjustSize();
    lblCompany->adjustSize();
    LayoutControls();

    {
        // The title is the only window: its own double click (the pause) goes through.
        const platform::CommandScope title(platform::UserInput::Allowed);
        pump_.waitWhile([this] { return tickCount_ < 5 && !terminating_; });
    }
    if (terminating_) {
        endProgram();
        return;
    }
    mainWindowBegun_ = true;
    if (hooks_.showMainWindow) hooks_.showMainWindow();
    Unload();
}

void FrmOpen::endProgram() {
    // Nothing of the main window has been made ready: there is nothing to save or close.
    Unload();
    if (hooks_.endProgram) hooks_.endProgram();
}

void FrmOpen::tmrTimer_Timer() {
    tickCount_ = static_cast<int16_t>(tickCount_ + 1);
}

void FrmOpen::fraOpen_DblClick() {
    dialogs_.message(QStringLiteral("Pause!!"), QStringLiteral("Pause"),
                     platform::MsgIcon::Information, platform::MsgButtons::OK);
}

void FrmOpen::Unload() {
    tmrTimer->stop();
    hide();
    unloaded_ = true;
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
        waitCursor_ = false;
    }
}

void FrmOpen::LayoutControls() {
    OpenLayoutInput in;
    in.titleWidth = widthTwips(lblTitle);
    in.titleHeight = heightTwips(lblTitle);
    in.tmWidth = widthTwips(lblTM);
    in.tmHeight = heightTwips(lblTM);
    in.pcsWidth = widthTwips(lblPCs);
    in.pcsHeight = heightTwips(lblPCs);
    in.versionWidth = widthTwips(lblVersion);
    in.versionHeight = heightTwips(lblVersion);
    in.companyWidth = widthTwips(lblCompany);
    in.companyHeight = heightTwips(lblCompany);
    in.noticeWidth = widthTwips(lblNotice);
    in.noticeHeight = heightTwips(lblNotice);
    in.twipsPerPixelX = platform::TwipsPerPixel;
    in.twipsPerPixelY = platform::TwipsPerPixel;
    layout_ = LayoutOpenScreen(in);

    const QRect picture = platform::toPixels(layout_.picture);
    imgGasMivo->setPixmap(DrawBrandPicture(picture.width(), picture.height()));

    resize(platform::toPixels({0, 0, layout_.formWidth, layout_.formHeight}).size());
    platform::placeWidget(fraOpen, layout_.frame);
    platform::placeWidget(lblTitle, layout_.title);
    platform::placeWidget(lblTM, layout_.tm);
    for (int i = 0; i < 2; ++i) {
        const BorderLine& line = layout_.border[i];
        platform::placeWidget(linBorder[i], {line.x1, line.y, line.x2 - line.x1, 15});
    }
    platform::placeWidget(imgGasMivo, layout_.picture);
    platform::placeWidget(lblPCs, layout_.pcs);
    platform::placeWidget(lblVersion, layout_.version);
    platform::placeWidget(lblCompany, layout_.company);
    platform::placeWidget(lblNotice, layout_.notice);
}

}  // namespace app
