#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

// The printers a report can go to, as the Printers collection and the current Printer of the
// original platform: the system's printers and one entry that writes a PDF file. Entries are
// told apart by their device name; the current printer is kept by name.
class PrinterCatalog {
  public:
    struct Entry {
        QString name;
        bool pdf = false;  // writes a PDF file (A4 portrait) instead of going to a printer
    };

    // The name of the entry that writes a PDF file.
    static QString PdfName();
    // The process-wide catalogue of the system's printers; its current printer starts as the
    // system's default printer, or the PDF entry when the system has none.
    static PrinterCatalog& system();

    PrinterCatalog(std::vector<Entry> entries, const QString& current);

    // The system's printers read again (a printer added or removed meanwhile).
    void refresh();
    int Count() const { return static_cast<int>(entries_.size()); }
    QString DeviceName(int index) const;
    bool isPdf(int index) const;
    // The current printer's name ("" when there is none).
    QString CurrentName() const { return current_; }
    // The current printer's entry, or -1 when it is not listed.
    int currentIndex() const;
    // Makes the entry current; an index outside the list changes nothing.
    void setCurrent(int index);
    // Makes the entry of that name current again; a name no longer listed changes nothing.
    void restoreCurrent(const QString& name);
    // The paper of an entry (the printer's default, A4 portrait for the PDF entry), in
    // twips, and its printable area within it.
    QPageLayout pageLayout(int index) const;
    // A printer for the entry: 600 dots per inch, portrait, one copy, its default paper. The
    // pages go into `file`: the PDF entry's output; a system printer's job, spooled there until
    // handOver gives it to the print system.
    std::unique_ptr<QPrinter> makePrinter(int index, const QString& file) const;
    // Asked when the print system wants a password (its own prompt): the user's answer, or
    // nullopt when the user cancels.
    using PasswordPrompt = std::function<std::optional<QString>(const QString& prompt)>;
    // Ends a job whose pages `printer` (made by makePrinter for the entry) has finished: a
    // system printer's job goes to the print system, with the options of the printer (an
    // instance's own among them) and the paper and sides of the job, the PDF entry's file is
    // checked. The print system takes the job off the window thread, with the window thread's
    // settings of the print system (its server, user, encryption) and `prompt` for a password.
    // The reason when the print system refused the job or the file was not written whole;
    // nothing when the job was taken.
    std::optional<QString> handOver(int index, const QPrinter& printer,
                                    const PasswordPrompt& prompt = {}) const;

    // What the print system answered to a job: its number (above 0), or its reason for
    // refusing the job.
    struct Submission {
        int job = 0;
        QString refusal;
    };
    using Options = std::vector<std::pair<QByteArray, QByteArray>>;
    // Gives a spooled document to the print system for a printer, with the job's title and
    // options. Runs off the window thread, with the window thread's settings of the print
    // system in force.
    using Submitter = std::function<Submission(const QString& printer, const QString& file,
                                               const QString& title, const Options& options)>;
    // The print system's scheduler (CUPS) takes the jobs unless another submitter is set.
    void setSubmitter(Submitter submit) { submit_ = std::move(submit); }

  private:
    bool system_ = false;
    std::vector<Entry> entries_;
    QString current_;
    Submitter submit_;
};

}  // namespace platform
