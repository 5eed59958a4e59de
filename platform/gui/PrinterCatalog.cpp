#include "platform/gui/PrinterCatalog.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QFile>
#include <QPageSize>
#include <QPrinterInfo>
#include <QThread>
#include <algorithm>

#include "platform/Waiting.h"

namespace platform {

namespace {

constexpr int Resolution = 600;

QPageLayout pdfLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                       QPageLayout::Point);
}

// Whether a PDF document was written to its end: a write that failed part-way (a full disk)
// leaves it without its end-of-file mark.
bool wholePdf(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
    f.seek(f.size() - 16);
    return f.read(16).contains("%%EOF");
}

// The settings of the print system that the client library keeps for each thread: the
// window thread's are carried over to the thread that hands a job over.
struct PrintSystemSettings {
    QByteArray server;
    int port = 0;
    QByteArray user;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;

    static PrintSystemSettings ofThisThread() {
        return {QByteArray(cupsServer()), ippPort(), QByteArray(cupsUser()), cupsEncryption()};
    }
};

// The password the print system asks for, asked of the user on the window thread.
struct PasswordRequest {
    const PrinterCatalog::PasswordPrompt* prompt;
    QObject* window;
    QByteArray answer;  // kept for the client library until the next request
};

extern "C" const char* askPassword(const char* text, http_t*, const char*, const char*,
                                   void* data) {
    auto* request = static_cast<PasswordRequest*>(data);
    if (!request->prompt || !*request->prompt) return nullptr;
    std::optional<QString> answer;
    const auto ask = [&] { answer = (*request->prompt)(QString::fromUtf8(text)); };
    if (QThread::currentThread() == request->window->thread())
        ask();
    else
        QMetaObject::invokeMethod(request->window, ask, Qt::BlockingQueuedConnection);
    // No answer cancels the request.
    if (!answer) return nullptr;
    request->answer = answer->toUtf8();
    return request->answer.constData();
}

// The window thread's settings and the password prompt in force on this thread while the
// scope lasts.
class PrintSystemScope {
  public:
    PrintSystemScope(const PrintSystemSettings& settings,
                     const PrinterCatalog::PasswordPrompt& prompt)
        : request_{&prompt, QCoreApplication::instance(), {}} {
        cupsSetServer(settings.server.constData());
        ippSetPort(settings.port);
        cupsSetUser(settings.user.constData());
        cupsSetEncryption(settings.encryption);
        cupsSetPasswordCB2(askPassword, &request_);
    }
    ~PrintSystemScope() { cupsSetPasswordCB2(nullptr, nullptr); }
    PrintSystemScope(const PrintSystemScope&) = delete;
    PrintSystemScope& operator=(const PrintSystemScope&) = delete;

  private:
    PasswordRequest request_;
};

// The job goes to the CUPS scheduler, which answers with the job's number or its refusal.
PrinterCatalog::Submission submitToScheduler(const QString& printer, const QString& file,
                                             const QString& title,
                                             const PrinterCatalog::Options& options) {
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.constData(), value.constData(), count, &list);
    // An instance ("queue/instance") prints on its queue.
    const QByteArray queue = printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job = cupsPrintFile(queue.constData(), QFile::encodeName(file).constData(),
                                  title.toUtf8().constData(), count, list);
    cupsFreeOptions(count, list);
    if (job > 0) return {job, {}};
    return {0, QString::fromUtf8(cupsLastErrorString())};
}

QByteArray sides(const QPrinter& printer) {
    switch (printer.duplex()) {
        case QPrinter::DuplexAuto:
        case QPrinter::DuplexLongSide:
            return "two-sided-long-edge";
        case QPrinter::DuplexShortSide:
            return "two-sided-short-edge";
        default:
            return "one-sided";
    }
}

// The options of a printer as the print system keeps them (an instance's own included), with
// the job's where the printer sets none of that name.
PrinterCatalog::Options withPrinterOptions(const QString& printer,
                                           const PrinterCatalog::Options& own) {
    PrinterCatalog::Options options;
    const QByteArray queue = printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = printer.section(QLatin1Char('/'), 1).toLocal8Bit();
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                             instance.isEmpty() ? nullptr : instance.constData())) {
        for (int i = 0; i < dest->num_options; ++i)
            options.emplace_back(dest->options[i].name, dest->options[i].value);
        cupsFreeDests(1, dest);
    }
    for (const auto& option : own) {
        const bool set = std::any_of(options.begin(), options.end(),
                                     [&](const auto& o) { return o.first == option.first; });
        if (!set) options.push_back(option);
    }
    return options;
}

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
    if (!isPdf(index) && !QPrinterInfo::printerInfo(DeviceName(index)).isNull())
        return makePrinter(index, QString())->pageLayout();
    return pdfLayout();
}

std::unique_ptr<QPrinter> PrinterCatalog::makePrinter(int index, const QString& file) const {
    std::unique_ptr<QPrinter> printer;
    if (isPdf(index)) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        printer->setPageLayout(pdfLayout());
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(DeviceName(index));
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        // Qt starts every printer on the same paper; the report goes on the paper the printer
        // is set up with.
        if (info.defaultPageSize().isValid()) printer->setPageSize(info.defaultPageSize());
        // The printer's own engine writes the job into the spool file (whose name must not end
        // in ".pdf", which would make it a plain PDF printer); handOver submits it, so that the
        // print system's answer is seen.
        printer->setOutputFileName(file);
    }
    printer->setResolution(Resolution);
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setCopyCount(1);
    printer->setDocName(QStringLiteral("QM-73 Data Logger"));
    return printer;
}

std::optional<QString> PrinterCatalog::handOver(int index, const QPrinter& printer,
                                                const PasswordPrompt& prompt) const {
    const QString file = printer.outputFileName();
    if (!wholePdf(file)) return QStringLiteral("The pages could not be written whole.");
    if (isPdf(index)) return std::nullopt;
    const QString name = DeviceName(index);
    const Options own = {{"media", printer.pageLayout().pageSize().key().toUtf8()},
                         {"sides", sides(printer)}};
    // The scheduler takes the whole spool file before it answers, which may be many
    // megabytes: the window's events go on meanwhile (user input waits, as during the job).
    const PrintSystemSettings settings = PrintSystemSettings::ofThisThread();
    const Submitter submit = submit_ ? submit_ : Submitter(submitToScheduler);
    Submission answer;
    RunOffWindowThread([&] {
        const PrintSystemScope scope(settings, prompt);
        answer = submit(name, file, printer.docName(), withPrinterOptions(name, own));
    });
    if (answer.job > 0) return std::nullopt;
    return answer.refusal.isEmpty() ? QStringLiteral("The print system did not take the job.")
                                    : answer.refusal;
}

}  // namespace platform
