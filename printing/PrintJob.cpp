#include "printing/PrintJob.h"

#include "runtime/RuntimeError.h"

namespace printing {

detail::JobDevice::JobDevice(std::unique_ptr<QPrinter> printer) : ownPrinter_(std::move(printer)) {
    if (!ownPainter_.begin(ownPrinter_.get()))
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The printer %1 cannot start the job")
                                   .arg(ownPrinter_->outputFormat() == QPrinter::PdfFormat
                                            ? ownPrinter_->outputFileName()
                                            : ownPrinter_->printerName()));
}

PrintJob::PrintJob(std::unique_ptr<QPrinter> printer, HandOver handOver)
    : JobDevice(std::move(printer)),
      PrinterSurface(*ownPrinter_, ownPainter_),
      handOver_(std::move(handOver)) {}

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
    // The painter's end only closes the document; whether the print system took the job is
    // known once it is handed over.
    if (handOver_)
        if (const std::optional<QString> refusal = handOver_(*ownPrinter_))
            throw rt::RuntimeError(rt::ErrPathAccess, *refusal);
}

}  // namespace printing
