#pragma once

#include <QPainter>
#include <QPrinter>
#include <functional>
#include <memory>
#include <optional>

#include "graph/PainterSurface.h"

namespace printing {

namespace detail {

// The printer of a job and its painter, begun before the page surface is built on them.
struct JobDevice {
    // Raises rt::RuntimeError (error 75) when the printer cannot start the job.
    explicit JobDevice(std::unique_ptr<QPrinter> printer);
    std::unique_ptr<QPrinter> ownPrinter_;
    QPainter ownPainter_;
};

}  // namespace detail

// One print job on a printer: the printable area of each sheet as a drawing surface in twips
// (origin at its top left), sheets added by NewPage and the job sent by EndDoc.
class PrintJob : private detail::JobDevice, public graph::PrinterSurface {
  public:
    // What sends the finished pages on (to the print system, or checks the file they went
    // to): the reason when they were not taken.
    using HandOver = std::function<std::optional<QString>(const QPrinter&)>;

    // Starts the job; raises rt::RuntimeError (error 75) when the printer cannot start it.
    explicit PrintJob(std::unique_ptr<QPrinter> printer, HandOver handOver = {});
    // A job that was not ended is given up.
    ~PrintJob() override;
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    double Width() const override;
    double Height() const override;
    // Raise rt::RuntimeError (error 75) when the printer refuses; EndDoc also when the pages
    // were not handed over (with the reason given).
    void NewPage() override;
    void EndDoc() override;

  private:
    HandOver handOver_;
    bool ended_ = false;
};

}  // namespace printing
