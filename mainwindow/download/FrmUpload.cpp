#include "mainwindow/download/FrmUpload.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "core/ModMain.h"
#include "platform/Twips.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Geometry.h"

namespace download {

namespace {

enum UploadText : int {
    TextUploading = 6001,
    TextAdjustingZero = 6002,
    TextAdjustingSpan = 6003,
    TextDownloading = 6004,
    TextCancel = 6005,
    TextCancelling = 6006,
    TextWriting = 6058,
};

constexpr double AnimationHeight = 64 * 15;

void drawFolder(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.15, r.width(), r.height() * 0.85));
    p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.4, r.height() * 0.2));
}

}  // namespace

UploadAnimation::UploadAnimation(QWidget* parent) : QWidget(parent) {
    frames_.setInterval(80);
    connect(&frames_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % 24;
        update();
    });
}

void UploadAnimation::Play() {
    frame_ = 0;
    frames_.start();
}

void UploadAnimation::Stop() {
    frames_.stop();
}

void UploadAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = height(), w = width();
    const qreal side = std::min(h * 0.7, w / 5);
    const QRectF from(side * 0.3, (h - side) / 2, side, side * 0.8);
    const QRectF to(w - side * 1.3, (h - side) / 2, side, side * 0.8);
    drawFolder(p, from);
    drawFolder(p, to);
    // The file travels from the first folder to the second along an arc.
    const qreal t = frame_ / 23.0;
    const qreal x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const qreal y = from.top() - side * 0.35 * std::sin(t * 3.14159265);
    const QRectF sheet(x - side * 0.22, y, side * 0.44, side * 0.56);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int line = 1; line <= 3; ++line)
        p.drawLine(QPointF(sheet.left() + 3, sheet.top() + sheet.height() * line / 4.0),
                   QPointF(sheet.right() - 3, sheet.top() + sheet.height() * line / 4.0));
}

FrmUpload::FrmUpload(comm::uclVyif& link, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), link_(link) {
    setObjectName(QStringLiteral("frmUpload"));
    amnUpload = new UploadAnimation(this);
    amnUpload->setObjectName(QStringLiteral("amnUpload"));
    lblUpload = new QLabel(this);
    lblUpload->setObjectName(QStringLiteral("lblUpload"));
    lblUpload->setAlignment(Qt::AlignCenter);
    cmdUpload = new platform::CommandButton(this);
    cmdUpload->setObjectName(QStringLiteral("cmdUpload"));
    connect(cmdUpload, &QPushButton::clicked, this, [this] { cmdUpload_Click(); });
    // Keeps the window drawn while its caller waits.
    tmrInter.setInterval(500);
    connect(&tmrInter, &QTimer::timeout, this, [this] { update(); });
    setFixedSize(InsideSize(false, QSize(0, 0)));
}

double FrmUpload::WindowHeight(bool withButton) {
    return AnimationHeight + (withButton ? 2.6 : 2.0) * LabelHeight;
}

QSize FrmUpload::InsideSize(bool withButton, QSize frame) {
    return QSize(std::max(0, platform::toPixels(WindowWidth) - frame.width()),
                 std::max(0, platform::toPixels(WindowHeight(withButton)) - frame.height()));
}

QSize FrmUpload::frame() const {
    if (isVisible()) return frameGeometry().size() - size();
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible()) return owner->frameGeometry().size() - owner->size();
    return QSize(0, 0);
}

void FrmUpload::applySize() {
    sizedFor_ = frame();
    setFixedSize(InsideSize(!cmdUpload->isHidden(), sizedFor_));
}

void FrmUpload::Load(int32_t activityCode) {
    // Each step goes on whatever the one before met: the window must come up.
    setFont(platform::DisplayFont(core::SettingsFont.name, core::SettingsFont.size,
                                  core::SettingsFont.bold));

    struct Look {
        int text;
        bool cancel;
    };
    std::optional<Look> look;
    switch (activityCode) {
        case 0:
            look = Look{TextDownloading, false};
            break;
        case 1:
            look = Look{TextUploading, true};
            break;
        case 3:
            look = Look{TextAdjustingZero, false};
            break;
        case 4:
            look = Look{TextAdjustingSpan, false};
            break;
        case 5:
        case 6:
            look = Look{TextDownloading, true};
            break;
        case 8:
            look = Look{TextWriting, false};
            break;
        default:
            break;  // the texts stay as they are
    }
    if (look) {
        const QString text = core::LoadResText(look->text);
        setWindowTitle(text);
        lblUpload->setText(text);
        cmdUpload->setVisible(look->cancel);
        if (look->cancel) cmdUpload->setText(core::LoadResText(TextCancel));
    }
    cmdUpload->setEnabled(true);
    canceled_ = false;
    applySize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred by its outer frame: a window's position is its frame's.
        const QRect area = screen->availableGeometry();
        const int outerWidth = platform::toPixels(WindowWidth);
        const int outerHeight = platform::toPixels(WindowHeight(!cmdUpload->isHidden()));
        move(area.x() + (area.width() - outerWidth) / 2,
             area.y() + (area.height() - outerHeight) / 2);
    }
    layOut();
    amnUpload->Play();
    tmrInter.start();
    loaded_ = true;
}

void FrmUpload::Show(int32_t activityCode) {
    if (!loaded_) Load(activityCode);
    show();
    raise();
}

void FrmUpload::Unload() {
    amnUpload->Stop();
    tmrInter.stop();
    hide();
    loaded_ = false;
}

void FrmUpload::cmdUpload_Click() {
    lblUpload->setText(core::LoadResText(TextCancelling));
    link_.setCancel(true);
    canceled_ = true;
    cmdUpload->setEnabled(false);
}

void FrmUpload::layOut() {
    const double scaleWidth = platform::pixelsToTwips(width());
    const double scaleHeight = platform::pixelsToTwips(height());
    platform::placeWidget(amnUpload, {60, 60, scaleWidth - 120, AnimationHeight});
    const double labelTop = 60 + AnimationHeight + 60;
    platform::placeWidget(lblUpload, {60, labelTop, scaleWidth - 120, LabelHeight});
    if (!cmdUpload->isHidden())
        platform::placeWidget(cmdUpload,
                              {60, labelTop + LabelHeight + 60, scaleWidth - 120,
                               std::max(0.0, scaleHeight - labelTop - LabelHeight - 120)});
}

void FrmUpload::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

// The platform reports the frame once the window is on screen (with or after its first
// move): the size follows it.
void FrmUpload::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (frame() != sizedFor_) applySize();
}

void FrmUpload::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && frame() != sizedFor_) applySize();
}

}  // namespace download
