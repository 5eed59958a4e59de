#include "printing/FrmPrint.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "core/ModMain.h"
#include "graph/ScreenSurface.h"
#include "platform/FileReplacement.h"
#include "platform/Twips.h"
#include "printing/FrmSetPrinter.h"
#include "printing/PrintJob.h"
#include "runtime/RuntimeError.h"

namespace printing {

namespace {

enum Text : int {
    TextReplace = 5307,
    TextReplaceTitle = 5308,
    TextNotPrinted = 5794,
    TextPdfTitle = 5795,
};

// How long a job holds the window at most between two looks at its events, in ms.
constexpr int JobBreathMs = 20;

// The preview's client area when the form opens, in twips.
constexpr double PreviewWidth = 8565, PreviewHeight = 5520;

int pixels(double twips) {
    return static_cast<int>(platform::twipsToPixels(twips) + 0.5);
}

}  // namespace

int ChoosePrinter(const QStringList& deviceNames, const QString& current, QWidget* parent) {
    FrmSetPrinter dialog(parent);
    dialog.Load(deviceNames, current);
    dialog.exec();
    return dialog.SelNo();
}

FrmPrint::FrmPrint(PrintServices services, QWidget* parent) : QWidget(parent), s_(services) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print Preview"));
    cmdPrint = new QPushButton(QStringLiteral("Print"), this);
    connect(cmdPrint, &QPushButton::clicked, this, [this] {
        try {
            cmdPrint_Click();
        } catch (const std::exception& e) {
            s_.dialogs.message(QString::fromUtf8(e.what()), windowTitle(),
                               platform::MsgIcon::Critical);
        }
    });
    zvdPrint = new graph::uclZvdGraph(this);
    zvdPrint->hide();
    choosePrinter = [this](const QStringList& names, const QString& current) {
        return ChoosePrinter(names, current, QApplication::activeWindow());
    };
    resize(pixels(PreviewWidth), pixels(PreviewHeight));
}

FrmPrint::~FrmPrint() = default;

void FrmPrint::Form_Load() {
    // Centred on the screen, should it be shown.
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    paintGuard_ = true;
    s_.printers.refresh();
    // FindCurrentPrinter: the printer current now is the one put back at the end.
    remembered_ = s_.printers.CurrentName();
    loaded_ = true;
}

void FrmPrint::Form_Unload() {
    if (!loaded_) return;
    s_.printers.restoreCurrent(remembered_);
    zvdPrint->Clear();
    zvdPrint->setDrawObj(nullptr);
    hide();
    loaded_ = false;
}

bool FrmPrint::graphReport() const {
    return (DataType == KindInterval || DataType == KindAlarm) && PrintType != 0;
}

// The form is the job's, and the job has its breather, for as long as the scope lives. The
// window's events go through while the graph is filled and the pages are made, the user's input
// excepted: the commands that started the print, and the window's close, wait until the job has
// ended.
class FrmPrint::JobScope {
  public:
    explicit JobScope(FrmPrint& form) : form_(form), breathe_(JobBreathMs) {
        form_.breathe_ = &breathe_;
    }
    ~JobScope() { form_.breathe_ = nullptr; }
    JobScope(const JobScope&) = delete;
    JobScope& operator=(const JobScope&) = delete;

  private:
    FrmPrint& form_;
    platform::Breather breathe_;
};

void FrmPrint::GoPrinter() {
    if (isPrinting()) return;
    const JobScope scope(*this);
    zvdPrint->hide();
    if (graphReport()) LoadGraph();
    letEventsThrough();
    // The job loads the form when it is not.
    printJob();
}

void FrmPrint::cmdPrint_Click() {
    if (isPrinting()) return;
    const JobScope scope(*this);
    printJob();
}

void FrmPrint::printJob() {
    if (!loaded_) Form_Load();
    const auto unload = qScopeGuard([this] { Form_Unload(); });
    QStringList names;
    for (int i = 0; i < s_.printers.Count(); ++i)
        names << s_.printers.DeviceName(i);
    const int selNo = choosePrinter(names, s_.printers.CurrentName());
    if (selNo < 0 || selNo >= s_.printers.Count()) return;
    s_.printers.setCurrent(selNo);
    printOn(selNo);
}

std::optional<QString> FrmPrint::pdfFile() {
    int filterIndex = 1;
    const std::optional<QString> name = s_.dialogs.saveFileName(
        core::LoadResText(TextPdfTitle),
        QDir(s_.paths.programFolder()).filePath(QStringLiteral("Report.pdf")),
        QStringLiteral("PDF (*.pdf)|*.pdf"), filterIndex);
    if (!name || name->isEmpty()) return std::nullopt;
    QString path = *name;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    if (QFileInfo::exists(path) &&
        s_.dialogs.message(core::LoadResText(TextReplace), core::LoadResText(TextReplaceTitle),
                           platform::MsgIcon::Question,
                           platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return std::nullopt;
    return path;
}

void FrmPrint::printOn(int index) {
    const QString device = s_.printers.DeviceName(index);
    const auto notPrinted = [&](const QString& reason) {
        s_.dialogs.message(core::LoadResText(TextNotPrinted, {device, reason}), device,
                           platform::MsgIcon::Critical);
    };
    // A PDF is written beside its file and put in its place only when the job is whole: a
    // failed job, a kill or a power cut leaves the file as it was. A printer's job is spooled
    // in the temporary folder until the print system takes it, readable by the user alone.
    // Either temporary file is one of the program's own: what a killed job left is removed by
    // the next job.
    std::unique_ptr<platform::FileReplacement> pdf;
    std::unique_ptr<platform::OwnTemporaryFile> spool;
    QString partial;
    try {
        if (s_.printers.isPdf(index)) {
            const std::optional<QString> file = pdfFile();
            if (!file) return;
            pdf = std::make_unique<platform::FileReplacement>(*file);
            partial = pdf->handOver();
        } else {
            spool = std::make_unique<platform::OwnTemporaryFile>(
                QDir::temp().filePath(QStringLiteral("QM73-print")), 0600);
            partial = spool->path();
        }
    } catch (const rt::RuntimeError& e) {
        notPrinted(e.description());
        return;
    }
    try {
        {
            PrintJob job(s_.printers.makePrinter(index, partial), [this, index](const QPrinter& p) {
                return s_.printers.handOver(index, p, [this](const QString& prompt) {
                    return s_.dialogs.password(prompt, QStringLiteral("QM-73"));
                });
            });
            PrintPageHeader(job);
            PrintReport(job);
            letEventsThrough();
            job.EndDoc();
        }
        if (pdf) pdf->commit();
    } catch (const rt::RuntimeError& e) {
        notPrinted(e.description());
    }
}

void FrmPrint::letEventsThrough() {
    if (breathe_) (*breathe_)();
}

void FrmPrint::PrintReport(graph::GraphSurface& target) {
    switch (DataType) {
        case KindInterval:
        case KindAlarm:
            PrintTrendSummary(target);
            if (!graphReport()) {
                PrintDataList(target);
            } else {
                letEventsThrough();
                // The graph in its box below the summary.
                const double sw = target.ScaleWidth(), sh = target.ScaleHeight();
                zvdPrint->SetDrawLeft = static_cast<float>(0.02 * sw);
                zvdPrint->SetDrawTop = static_cast<float>(0.40 * sh);
                zvdPrint->SetDrawWidth = static_cast<float>(0.95 * sw);
                zvdPrint->SetDrawHeight = static_cast<float>(0.45 * sh);
                zvdPrint->setDrawObj(&target);
                zvdPrint->Refresh();
                zvdPrint->setDrawObj(nullptr);
            }
            break;
        case KindHistory:
            PrintCalibrationHistory(target);
            break;
        case KindLastCalibration:
            PrintLastCalibration(target);
            break;
        default:
            PrintEventReport(target);
            break;
    }
}

// ---- the preview ---------------------------------------------------------------------------

void FrmPrint::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The job's graph and columns stay the job's.
    if (isPrinting()) return;
    // Form_Activate: the graph report fills its graph first.
    zvdPrint->hide();
    if (graphReport()) LoadGraph();
    Form_Resize();
}

void FrmPrint::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) Form_Resize();
}

void FrmPrint::Form_Resize() {
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) || !paintGuard_ ||
        isPrinting())
        return;
    paintGuard_ = false;
    const auto guard = qScopeGuard([this] { paintGuard_ = true; });
    // The page's proportions, no taller than the screen the form is on.
    const QPageLayout page = s_.printers.pageLayout(s_.printers.currentIndex());
    const QSizeF paper = page.fullRectPoints().size();
    if (paper.width() > 0) fitPage(paper.height() / paper.width());
    const double sw = platform::pixelsToTwips(width());
    // The button stands right below the print time, which it would hide at the top; the
    // reports begin lower still.
    const double headerBottom = paintPreview();
    platform::placeWidget(cmdPrint, {sw * 3 / 4, headerBottom, sw / 5, 360});
}

void FrmPrint::fitPage(double heightPerWidth) {
    int w = width();
    int h = static_cast<int>(w * heightPerWidth);
    const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    if (shownOn) {
        const QRect area = shownOn->availableGeometry();
        // The frame as the window manager drew it, or, before it has, a title bar's height.
        const int frame = std::max(frameGeometry().height() - height(),
                                   style()->pixelMetric(QStyle::PM_TitleBarHeight));
        if (h > area.height() - frame) {
            h = area.height() - frame;
            w = static_cast<int>(h / heightPerWidth);
        }
        resize(w, h);
        // Whole on the screen: moved up or left as far as it reaches past it.
        const QRect outer = frameGeometry();
        move(x() - std::max(0, outer.right() - area.right()),
             y() - std::max(0, outer.bottom() - area.bottom()));
        if (frameGeometry().top() < area.top()) move(x(), y() + area.top() - frameGeometry().top());
        return;
    }
    resize(w, h);
}

double FrmPrint::paintPreview() {
    graph::ScreenSurface surface;
    surface.resize(size(), devicePixelRatioF());
    surface.Cls();
    PrintPageHeader(surface);
    const double headerBottom = surface.CurrentY;
    PrintReport(surface);
    surface.flush();
    preview_ = surface.image();
    update();
    return headerBottom;
}

void FrmPrint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!preview_.isNull()) painter.drawImage(QPoint(0, 0), preview_);
}

}  // namespace printing
