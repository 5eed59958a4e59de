#include "printing/PrintJob.h"

#include "runtime/RuntimeError.h"

namespace printing {

detail::JobDevice::JobDevice(std::unique_ptr<QPrinter> printer) : ownPrinter_(std::move(printer)) {
    if (!ownPainter_.begin(ownPrinter_.get()))
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("The printer %1 cannot start the job")
                .arg(ownPrinter_->outputFileName().isEmpty() ? ownPrinter_->printerName()
                                                             : ownPrinter_->outputFileName()));
}

PrintJob::PrintJob(std::unique_ptr<QPrinter> printer)
    : JobDevice(std::move(printer)), PrinterSurface(*ownPrinter_, ownPainter_) {}

PrintJob::~PrintJob() {
    if (ended_) return;
    // Given up: nothing more goes to the printer.
    ownPrinter_->abort();
    if (ownPainter_.isActive()) ownPainter_.end();
}

double PrintJob::Width() const {
    return ownPrinter_->pageLayout().fullRectPoints().width() * 20.0;
}

double PrintJob::Height() const {
    return ownPrinter_->pageLayout().fullRectPoints().height() * 20.0;
}

void PrintJob::NewPage() {
    flush();
    if (!ownPrinter_->newPage())
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The printer took no new sheet"));
}

void PrintJob::EndDoc() {
    flush();
    ended_ = true;
    if (!ownPainter_.end() || ownPrinter_->printerState() == QPrinter::Error)
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The print job did not finish"));
}

}  // namespace printing
