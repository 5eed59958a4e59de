#include "graph/uclZvdGraph.h"

#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/gui/KeyCodes.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace graph {

namespace {

constexpr double Tpp = ScreenTwipsPerPixel;
const QString CursorDateFormat = QStringLiteral("mm/dd hh:nn:ss");
const QString DefaultValueFormat = QStringLiteral("##0.0");

int px(double twips) {
    return static_cast<int>(std::lround(twips / Tpp));
}

// Runs a handler of a Qt event: an error of the graph is reported and the window goes on.
template <class F>
void guarded(const char* what, F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("Trend graph, %s: %s", what, e.what());
    }
}

}  // namespace

// ---- picGraph ----------------------------------------------------------------------------------

GraphPicture::GraphPicture(uclZvdGraph& owner) : QWidget(&owner), owner_(owner) {
    setObjectName(QStringLiteral("picGraph"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::paintEvent(QPaintEvent*) {
    owner_.painting_ = true;
    guarded("paint", [this] { owner_.renderIfStale(); });
    owner_.painting_ = false;
    QPainter p(this);
    if (owner_.screen_)
        p.drawImage(QPointF(0, 0), owner_.screen_->image());
    else
        p.fillRect(rect(), rt::ColorFromRgbLong(owner_.picture_->BackColor));
    const CursorLine& line = owner_.linCursor;
    if (line.Visible && !owner_.msgCaption_.isEmpty()) {
        QPen pen(rt::ColorFromRgbLong(line.BorderColor));
        pen.setCosmetic(true);
        pen.setStyle(line.BorderStyle == 3 ? Qt::DotLine : Qt::SolidLine);
        p.setPen(pen);
        p.drawLine(QPointF(line.X1 / Tpp, line.Y1 / Tpp), QPointF(line.X2 / Tpp, line.Y2 / Tpp));
    }
}

void GraphPicture::keyPressEvent(QKeyEvent* event) {
    const int code = platform::KeyCodeOf(*event);
    const int shift = platform::ShiftOf(event->modifiers());
    emit owner_.KeyDown(code, shift);
    guarded("key", [&] { owner_.picGraph_KeyDown(code, shift); });
    if (!event->text().isEmpty()) emit owner_.KeyPress(event->text().at(0).unicode());
}

void GraphPicture::keyReleaseEvent(QKeyEvent* event) {
    emit owner_.KeyUp(platform::KeyCodeOf(*event), platform::ShiftOf(event->modifiers()));
}

void GraphPicture::mousePressEvent(QMouseEvent* event) {
    const int button = platform::ButtonOf(event->button());
    const int shift = platform::ShiftOf(event->modifiers());
    const float x = static_cast<float>(event->position().x() * Tpp);
    const float y = static_cast<float>(event->position().y() * Tpp);
    // The host hears of the press first; it may open a window before the cursor moves.
    emit owner_.MouseDown(button, shift, x, y);
    guarded("mouse", [&] { owner_.picGraph_MouseDown(button, shift, x, y); });
}

void GraphPicture::mouseMoveEvent(QMouseEvent* event) {
    emit owner_.MouseMove(platform::ButtonsOf(event->buttons()),
                          platform::ShiftOf(event->modifiers()),
                          static_cast<float>(event->position().x() * Tpp),
                          static_cast<float>(event->position().y() * Tpp));
}

void GraphPicture::mouseReleaseEvent(QMouseEvent* event) {
    emit owner_.MouseUp(platform::ButtonOf(event->button()), platform::ShiftOf(event->modifiers()),
                        static_cast<float>(event->position().x() * Tpp),
                        static_cast<float>(event->position().y() * Tpp));
    if (rect().contains(event->position().toPoint())) emit owner_.Click();
}

void GraphPicture::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    emit owner_.DblClick();
}

void GraphPicture::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    owner_.linCursor.BorderStyle = 1;
    update();
}

void GraphPicture::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    owner_.linCursor.BorderStyle = 3;
    update();
}

// ---- the control -------------------------------------------------------------------------------

uclZvdGraph::uclZvdGraph(QWidget* parent)
    : uclZvdGraph(std::make_unique<ScreenSurface>(), parent) {}

uclZvdGraph::uclZvdGraph(std::unique_ptr<GraphSurface> picture, QWidget* parent)
    : QFrame(parent), picture_(std::move(picture)) {
    screen_ = dynamic_cast<ScreenSurface*>(picture_.get());
    DrawObj = picture_.get();
    picture_->setFont(font());
    picGraph = new GraphPicture(*this);
    hslWidth = new QScrollBar(Qt::Horizontal, this);
    hslWidth->setObjectName(QStringLiteral("hslWidth"));
    hslWidth->hide();
    connect(hslWidth, &QScrollBar::valueChanged, this,
            [this] { guarded("scroll", [this] { hslWidth_Change(); }); });
    // The last position of a drag is drawn whole.
    connect(hslWidth, &QScrollBar::sliderReleased, this, [this] {
        if (stale_) guarded("scroll", [this] { Refresh(); });
    });
    lblMsg = new QLabel(picGraph);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAutoFillBackground(true);
    lblMsg->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblMsg->hide();
    applyFrame();
    placePicture();
}

uclZvdGraph::~uclZvdGraph() {
    // The picture goes first, while the control it reports to is still whole (losing the
    // focus as it goes calls back).
    delete picGraph;
    picGraph = nullptr;
    lblMsg = nullptr;
}

void uclZvdGraph::applyFrame() {
    if (borderStyle_ == 0) {
        setFrameStyle(QFrame::NoFrame);
    } else if (appearance_ == 1) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
}

void uclZvdGraph::setAppearance(int16_t appearance) {
    appearance_ = appearance;
    applyFrame();
}

void uclZvdGraph::setBorderStyle(int16_t style) {
    borderStyle_ = style;
    applyFrame();
}

int32_t uclZvdGraph::BackColor() const {
    return picture_->BackColor;
}

void uclZvdGraph::setBackColor(int32_t rgb) {
    picture_->BackColor = rgb;
}

void uclZvdGraph::setCursorColor(int32_t rgb) {
    linCursor.BorderColor = rgb;
    picGraph->update();
}

void uclZvdGraph::setCursorVisible(bool visible) {
    linCursor.Visible = visible;
    // The read-out shows once the cursor has been placed: an empty label is no box.
    lblMsg->setVisible(visible && !msgCaption_.isEmpty());
    picGraph->update();
}

void uclZvdGraph::setMousePointer(int16_t pointer) {
    mousePointer_ = pointer;
    switch (pointer) {
        case 0:
            picGraph->unsetCursor();
            break;
        case 1:
            picGraph->setCursor(Qt::ArrowCursor);
            break;
        case 2:
            picGraph->setCursor(Qt::CrossCursor);
            break;
        case 3:
            picGraph->setCursor(Qt::IBeamCursor);
            break;
        case 11:
            picGraph->setCursor(Qt::WaitCursor);
            break;
        case 12:
            picGraph->setCursor(Qt::ForbiddenCursor);
            break;
        case 13:
            picGraph->setCursor(Qt::BusyCursor);
            break;
        case 99:
            picGraph->setCursor(mouseIcon_);
            break;
        default:
            picGraph->setCursor(Qt::ArrowCursor);
            break;
    }
}

void uclZvdGraph::setMouseIcon(const QCursor& icon) {
    mouseIcon_ = icon;
    if (mousePointer_ == 99) picGraph->setCursor(icon);
}

void uclZvdGraph::setDrawObj(GraphSurface* target) {
    DrawObj = target ? target : picture_.get();
}

float uclZvdGraph::TextWidth(const QString& text) const {
    return static_cast<float>(DrawObj->TextWidth(text));
}

float uclZvdGraph::TextHeight(const QString& text) const {
    return static_cast<float>(DrawObj->TextHeight(text));
}

QImage uclZvdGraph::Picture() const {
    return screen_ ? screen_->image() : QImage();
}

void uclZvdGraph::PopupMenu(QMenu* menu, int, float x, float y, QAction* defaultMenu) {
    if (!menu) return;
    const QPoint at = x < 0 || y < 0 ? QCursor::pos() : picGraph->mapToGlobal(QPoint(px(x), px(y)));
    menu->exec(at, defaultMenu);
}

double uclZvdGraph::innerWidth() const {
    return contentsRect().width() * Tpp;
}

double uclZvdGraph::innerHeight() const {
    return contentsRect().height() * Tpp;
}

void uclZvdGraph::placePicture() {
    const QSizeF size =
        PictureSize(innerWidth(), innerHeight(), ZoomFactor, hslWidth->sizeHint().height() * Tpp);
    const QSize pixels(std::max(1, px(size.width())), std::max(1, px(size.height())));
    picGraph->setGeometry(QRect(contentsRect().topLeft(), pixels));
    const qreal ratio = devicePixelRatioF();
    if (screen_ && screen_->pixelSize() == pixels && screen_->image().devicePixelRatio() == ratio)
        return;
    picture_->resize(pixels, ratio);
}

void uclZvdGraph::Cls() {
    picture_->Cls();
    picGraph->update();
}

// ---- drawing -----------------------------------------------------------------------------------

void uclZvdGraph::Refresh() {
    RefreshRequest = true;
    const auto done = [this] { RefreshRequest = false; };
    try {
        picGraph_Paint();
    } catch (...) {
        done();
        throw;
    }
    done();
}

void uclZvdGraph::picGraph_Paint() {
    if (!AutoRedraw && !RefreshRequest) return;
    if (!DrawObj) DrawObj = picture_.get();
    if (SetDrawWidth == 0) SetDrawWidth = static_cast<float>(picGraph->width() * Tpp);
    if (SetDrawHeight == 0) SetDrawHeight = static_cast<float>(picGraph->height() * Tpp);
    if (upper() >= 1 && SampleCount >= 1) {
        const bool onPicture = DrawObj == picture_.get();
        if (onPicture) placePicture();
        picture_->Cls();
        GraphRenderer renderer(*this, *DrawObj);
        renderer.CalcLayout({onPicture, innerWidth(), innerHeight()});
        if (!hslWidth->isHidden()) {
            const int height = hslWidth->sizeHint().height();
            hslWidth->setGeometry(contentsRect().left(),
                                  contentsRect().top() + px(innerHeight()) - height - px(60),
                                  contentsRect().width(), height);
        }
        if (XScale > 0) {
            renderer.DrawScale();
            renderer.DrawSampleLines();
            renderer.DrawEventLabels();
            DrawObj->flush();
            DrawCursor();
        }
        // A picture cleared while the graph went to another target is out of date.
        stale_ = !onPicture;
    }
    if (!painting_) picGraph->update();
}

void uclZvdGraph::renderIfStale() {
    if (!stale_ || DrawObj != picture_.get()) return;
    if (hslWidth->isSliderDown()) {
        Refresh();  // the drag asked for it
        return;
    }
    picGraph_Paint();
}

void uclZvdGraph::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    placePicture();
    stale_ = true;
    guarded("resize", [this] { picGraph_Paint(); });
}

void uclZvdGraph::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) picture_->setFont(font());
}

// ---- cursor ------------------------------------------------------------------------------------

int uclZvdGraph::SampleIndexAt(float seconds) const {
    if (seconds <= Sample[0].seconds) return 0;
    for (int i = 0; i < SampleCount; ++i)
        if (seconds < Sample[static_cast<size_t>(i)].seconds) return i;
    return SampleCount - 1;
}

void uclZvdGraph::DrawCursor() {
    const auto secondsAt = [this](int i) {
        return Sample[static_cast<size_t>(std::clamp(i, 0, MaxSampleIndex))].seconds;
    };
    int index = std::clamp(static_cast<int>(CursorIndex), 0, MaxSampleIndex);
    // The cursor stays inside the window: on the last sample at or before its edge.
    const auto pullTo = [&](float edge) {
        index = std::max(0, SampleIndexAt(edge));
        if (secondsAt(index) < edge) ++index;
        if (secondsAt(index) > edge) --index;
        index = std::clamp(index, 0, MaxSampleIndex);
    };
    const int32_t t = secondsAt(index);
    if (t < MinX)
        pullTo(MinX);
    else if (t > MaxX)
        pullTo(MaxX);
    CursorIndex = static_cast<float>(index);

    const double x = xPos(static_cast<float>(secondsAt(index)));
    linCursor.X1 = linCursor.X2 = x;
    linCursor.Y1 = double(PlotTop) + Tpp;
    linCursor.Y2 = double(PlotTop) + PlotHeight - Tpp;

    FormatX = CursorDateFormat;
    QString caption = QStringLiteral("[") +
                      rt::FormatDate(Sample[static_cast<size_t>(index)].date, FormatX) +
                      QStringLiteral("]\r\n");
    for (int s = 0; s < upper(); ++s) {
        SeriesRecord& r = SampleData[static_cast<size_t>(s)];
        if (!r.SampleVisible) continue;
        if (r.FormatY.isEmpty()) r.FormatY = DefaultValueFormat;
        const float v = r.Value[static_cast<size_t>(index)];
        caption += r.ValueName + QStringLiteral(" : ") +
                   (v != GapValue ? rt::FormatNumber(rt::SingleToDouble(v), r.FormatY)
                                  : QStringLiteral("-----")) +
                   QStringLiteral("\r\n");
    }
    msgCaption_ = caption;
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    lblMsg->setText(shown);
    lblMsg->adjustSize();
    lblMsg->setVisible(linCursor.Visible);

    // The label's bottom at the lowest plotted point of the sample, moved by the user.
    double y = -1e8;
    for (int s = 0; s < upper(); ++s)
        y = std::max(
            y,
            double(yPos(SampleData[static_cast<size_t>(s)].Value[static_cast<size_t>(index)], s)));
    y = std::clamp(y, double(PlotTop), double(PlotTop) + PlotHeight);
    const double labelHeight = lblMsg->height() * Tpp;
    const double labelWidth = lblMsg->width() * Tpp;
    const double top = y - labelHeight + LabelOffset * Tpp;
    const double left =
        secondsAt(index) <= (MaxX - MinX) / 2 + MinX ? x + 2 * Tpp : x - labelWidth - 2 * Tpp;
    lblMsg->move(px(left), px(top));
    // Only where the line was and where it is now is drawn again (the label moves itself).
    const QRect line = QRectF(QPointF(linCursor.X1 / Tpp, linCursor.Y1 / Tpp),
                              QPointF(linCursor.X2 / Tpp, linCursor.Y2 / Tpp))
                           .normalized()
                           .toAlignedRect()
                           .adjusted(-2, -2, 2, 2);
    if (!painting_) picGraph->update(QRegion(cursorArea_).united(line));
    cursorArea_ = line;
}

void uclZvdGraph::picGraph_KeyDown(int keyCode, int shift) {
    const int step = shift & platform::ShiftMask ? 10 : 1;
    const double limit = picture_->ScaleHeight() / Tpp;
    bool moved = true;
    if (keyCode == platform::KeyLeft && (step == 1 ? CursorIndex > 0 : CursorIndex >= 10))
        CursorIndex -= static_cast<float>(step);
    else if (keyCode == platform::KeyRight &&
             (step == 1 ? CursorIndex < SampleCount - 1 : CursorIndex < SampleCount - 11))
        CursorIndex += static_cast<float>(step);
    else if (keyCode == platform::KeyUp && LabelOffset > -limit)
        LabelOffset -= static_cast<float>(step);
    else if (keyCode == platform::KeyDown && LabelOffset < limit)
        LabelOffset += static_cast<float>(step);
    else
        moved = false;
    if (moved) DrawCursor();
}

void uclZvdGraph::picGraph_MouseDown(int, int, float x, float) {
    // Without samples there is nothing to point at: the cursor stays on sample 0.
    if (SampleCount < 1) {
        CursorIndex = 0;
        return;
    }
    CursorIndex = static_cast<float>(std::max(0, SampleIndexAt(xData(x))));
    DrawCursor();
}

// ---- zoom and scrolling ------------------------------------------------------------------------

void uclZvdGraph::setZoom(int16_t zoom) {
    if (SampleCount <= 1) return;
    if (zoom == 0) throw rt::RuntimeError(rt::ErrDivisionByZero);
    const double n = SampleCount;
    const int last = rt::CInt(n / zoom - 1);
    // A window of no sample cannot be shown; nothing is changed.
    if (last < 0) throw rt::RuntimeError(rt::ErrSubscript);
    ZoomFactor = zoom;
    hslWidth->setVisible(zoom > 1);
    hslWidth->blockSignals(true);
    hslWidth->setMinimum(0);
    hslWidth->setMaximum(rt::CInt(n - n / zoom - 1));
    hslWidth->setPageStep(rt::CInt(n / zoom - 1));
    hslWidth->setSingleStep(1);
    const bool moved = hslWidth->value() != 0;
    hslWidth->setValue(0);
    hslWidth->blockSignals(false);
    if (moved) hslWidth_Change();
    MinX = 0;
    // The window's end is a sample of the trend (the last one at the most).
    MaxX = static_cast<float>(Sample[static_cast<size_t>(std::min(last, SampleCount - 1))].seconds);
}

void uclZvdGraph::hslWidth_Change() {
    if (SampleCount < 1) return;
    const int v = std::clamp(hslWidth->value(), 0, SampleCount - 1);
    MinX = static_cast<float>(Sample[static_cast<size_t>(v)].seconds);
    // R(N / Z + v) reaches N, one past the last sample, at the end of the bar: the window
    // ends on the last sample instead.
    const int end = std::clamp(static_cast<int>(rt::CInt(double(SampleCount) / ZoomFactor + v)), 0,
                               SampleCount - 1);
    MaxX = static_cast<float>(Sample[static_cast<size_t>(end)].seconds);
    if (hslWidth->isSliderDown()) {
        // While the bar is dragged, one render per displayed frame: the next paint draws.
        stale_ = true;
        picGraph->update();
        return;
    }
    Refresh();
}

// ---- event search ------------------------------------------------------------------------------

void uclZvdGraph::SearchEvent(float valueX, int32_t valueY, rt::OleDate& EvtDate,
                              QString& EvtName) const {
    double bestX = 99999999, bestY = 99999999;
    rt::OleDate bestDate;
    QString bestText;
    if (MinX <= valueX && valueX <= MaxX) {
        for (int s = 0; s < upper(); ++s) {
            const EventBlock& block = EventData[static_cast<size_t>(s)];
            const int count = std::min<int>(EventCounts[static_cast<size_t>(s)], MaxEventIndex + 1);
            for (int k = 0; k < count; ++k) {
                const QString& text = block.EventText[static_cast<size_t>(k)];
                if (text.isEmpty()) continue;
                const double dx = std::fabs(
                    static_cast<float>(block.Event[static_cast<size_t>(k)].seconds - valueX));
                const double dy = std::fabs(static_cast<float>(block.EventRowY - valueY));
                if (dx < bestX) {
                    bestX = rt::RoundHalfEven(dx);
                    bestDate = block.Event[static_cast<size_t>(k)].date;
                    bestText = text;
                    bestY = rt::RoundHalfEven(dy);
                } else if (dx == bestX && dy < bestY) {
                    bestDate = block.Event[static_cast<size_t>(k)].date;
                    bestText = text;
                    bestY = rt::RoundHalfEven(dy);
                }
            }
        }
    }
    if ((double(MaxX) - MinX) / 40 > bestX && bestY < 180) {
        EvtDate = bestDate;
        EvtName = bestText;
    } else {
        EvtDate = rt::OleDate();
        EvtName.clear();
    }
}

}  // namespace graph
