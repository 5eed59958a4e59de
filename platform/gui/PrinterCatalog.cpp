#include "platform/gui/PrinterCatalog.h"

#include <QPageSize>
#include <QPrinterInfo>

namespace platform {

namespace {

constexpr int Resolution = 600;

std::vector<PrinterCatalog::Entry> systemEntries() {
    std::vector<PrinterCatalog::Entry> entries;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        entries.push_back({name, false});
    entries.push_back({PrinterCatalog::PdfName(), true});
    return entries;
}

}  // namespace

QString PrinterCatalog::PdfName() {
    return QStringLiteral("PDF file");
}

PrinterCatalog& PrinterCatalog::system() {
    static PrinterCatalog catalog = [] {
        const QString fallback = QPrinterInfo::defaultPrinterName();
        PrinterCatalog c(systemEntries(), fallback.isEmpty() ? PdfName() : fallback);
        c.system_ = true;
        return c;
    }();
    return catalog;
}

PrinterCatalog::PrinterCatalog(std::vector<Entry> entries, const QString& current)
    : entries_(std::move(entries)), current_(current) {}

void PrinterCatalog::refresh() {
    if (system_) entries_ = systemEntries();
}

QString PrinterCatalog::DeviceName(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<size_t>(index)].name : QString();
}

bool PrinterCatalog::isPdf(int index) const {
    return index >= 0 && index < Count() && entries_[static_cast<size_t>(index)].pdf;
}

int PrinterCatalog::currentIndex() const {
    for (int i = 0; i < Count(); ++i)
        if (DeviceName(i) == current_) return i;
    return -1;
}

void PrinterCatalog::setCurrent(int index) {
    if (index >= 0 && index < Count()) current_ = entries_[static_cast<size_t>(index)].name;
}

void PrinterCatalog::restoreCurrent(const QString& name) {
    for (const Entry& e : entries_)
        if (e.name == name) current_ = name;
}

QPageLayout PrinterCatalog::pageLayout(int index) const {
    if (!isPdf(index)) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(DeviceName(index));
        if (!info.isNull()) {
            QPrinter printer(info, QPrinter::HighResolution);
            return printer.pageLayout();
        }
    }
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                       QPageLayout::Point);
}

std::unique_ptr<QPrinter> PrinterCatalog::makePrinter(int index, const QString& pdfFile) const {
    std::unique_ptr<QPrinter> printer;
    if (isPdf(index)) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfFile);
        printer->setPageLayout(pageLayout(index));
    } else {
        printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(DeviceName(index)),
                                             QPrinter::HighResolution);
    }
    printer->setResolution(Resolution);
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setCopyCount(1);
    printer->setDocName(QStringLiteral("QM-73 Data Logger"));
    return printer;
}

}  // namespace platform
