#include "printing/PrintJob.h"

#include "runtime/RuntimeError.h"

namespace printing {

namespace {

double tpp(const QPrinter& printer) {
    return 1440.0 / printer.resolution();
}

}  // namespace

PrintJob::PrintJob(std::unique_ptr<QPrinter> printer)
    : PainterSurface(tpp(*printer), tpp(*printer)), printer_(std::move(printer)) {
    if (!painter_.begin(printer_.get()))
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("The printer %1 cannot start the job")
                .arg(printer_->outputFileName().isEmpty() ? printer_->printerName()
                                                          : printer_->outputFileName()));
    painter_.setRenderHint(QPainter::Antialiasing, false);
    ForeColor = 0;
    BackColor = 0xFFFFFF;
}

PrintJob::~PrintJob() {
    if (ended_) return;
    // Given up: nothing more goes to the printer.
    printer_->abort();
    if (painter_.isActive()) painter_.end();
}

double PrintJob::ScaleWidth() const {
    return printer_->width() * TwipsPerPixelX();
}

double PrintJob::ScaleHeight() const {
    return printer_->height() * TwipsPerPixelY();
}

double PrintJob::Width() const {
    return printer_->pageLayout().fullRectPoints().width() * 20.0;
}

double PrintJob::Height() const {
    return printer_->pageLayout().fullRectPoints().height() * 20.0;
}

void PrintJob::NewPage() {
    flush();
    if (!printer_->newPage())
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The printer took no new sheet"));
    ++pages_;
}

void PrintJob::EndDoc() {
    flush();
    ended_ = true;
    if (!painter_.end() || printer_->printerState() == QPrinter::Error)
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The print job did not finish"));
}

}  // namespace printing
