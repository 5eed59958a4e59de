#pragma once

#include <QPainter>
#include <QPrinter>
#include <memory>

#include "graph/PainterSurface.h"

namespace printing {

// One print job on a printer: the printable area of each sheet as a drawing surface in twips
// (origin at its top left), sheets added by NewPage and the job sent by EndDoc.
class PrintJob : public graph::PainterSurface {
  public:
    // Starts the job; raises rt::RuntimeError (error 75) when the printer cannot start it.
    explicit PrintJob(std::unique_ptr<QPrinter> printer);
    // A job that was not ended is given up.
    ~PrintJob() override;
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    bool isPrinter() const override { return true; }
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    double Width() const override;
    double Height() const override;
    // Raise rt::RuntimeError (error 75) when the printer refuses.
    void NewPage() override;
    void EndDoc() override;
    bool ended() const { return ended_; }
    int pages() const { return pages_; }

  protected:
    QPainter* painter() override { return &painter_; }
    QPaintDevice* metricsDevice() const override { return printer_.get(); }

  private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    bool ended_ = false;
    int pages_ = 1;
};

}  // namespace printing
