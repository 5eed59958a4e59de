#include <arpa/inet.h>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "tests/printing/PrintRig.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Files.h"
#include "tests/support/KillPoints.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;

QString program(const char* name) {
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    return found.isEmpty()
               ? QStandardPaths::findExecutable(QString::fromLatin1(name),
                                                {"/usr/sbin", "/usr/local/sbin", "/sbin"})
               : found;
}

// A port of localhost that nothing listens on (0 when none is found), or whether one takes
// connections.
quint16 freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    quint16 port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

bool listening(quint16 port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool taken = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return taken;
}

QString run(const QString& path, const QStringList& arguments) {
    QProcess p;
    p.start(path, arguments);
    EXPECT_TRUE(p.waitForFinished(60000)) << path.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A PPD of a printer that takes PDF as it is, on US Letter unless told otherwise, with a
// printable area 18 points in from every edge.
const char* const LetterPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TESTPDF.PPD"
*Manufacturer: "Test"
*Product: "(Test)"
*ModelName: "Test PDF Printer"
*ShortNickName: "Test PDF Printer"
*NickName: "Test PDF Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 18 594 774"
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension A4/A4: "595 842"
)PPD";

// A CUPS scheduler of the test's own: its configuration, spool and logs under a temporary
// folder, listening on a free port of localhost, never the system's scheduler or its
// configuration. Jobs keep their documents in the spool once printed. While it runs, the CUPS
// client library of this thread (and so Qt's printer support) talks to it.
class PrivateScheduler {
  public:
    PrivateScheduler() {
        const QString cupsd = program("cupsd");
        lpadmin_ = program("lpadmin");
        cupsreject_ = program("cupsreject");
        if (cupsd.isEmpty() || lpadmin_.isEmpty() || cupsreject_.isEmpty()) {
            why_ =
                "the CUPS scheduler (cupsd) or its tools (lpadmin, cupsreject) are not "
                "installed";
            return;
        }
        if (!dir_.isValid()) {
            why_ = "no temporary folder";
            return;
        }
        for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log"})
            QDir().mkpath(dir_.filePath(sub));
        port_ = freePort();
        if (port_ == 0) {
            why_ = "no free port on localhost";
            return;
        }
        const QString root = dir_.filePath("root");
        write(root + "/cups-files.conf",
              QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                             "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                             "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
                  .arg(dir_.path()));
        write(root + "/cupsd.conf", QStringLiteral("LogLevel warn\n"
                                                   "Listen localhost:%1\n"
                                                   "Browsing No\n"
                                                   "WebInterface No\n"
                                                   "DefaultAuthType None\n"
                                                   "PreserveJobHistory Yes\n"
                                                   "PreserveJobFiles Yes\n"
                                                   "<Location />\n  Order allow,deny\n"
                                                   "  Allow all\n</Location>\n"
                                                   "<Policy default>\n  <Limit All>\n"
                                                   "    Order deny,allow\n  </Limit>\n"
                                                   "</Policy>\n")
                                        .arg(port_));
        scheduler_.setProcessChannelMode(QProcess::MergedChannels);
        scheduler_.start(cupsd,
                         {"-f", "-c", root + "/cupsd.conf", "-s", root + "/cups-files.conf"});
        if (!scheduler_.waitForStarted(10000)) {
            why_ = "cupsd did not start: " + scheduler_.errorString().toStdString();
            return;
        }
        // Ready once it takes connections (bounded: a scheduler that cannot run here ends).
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (scheduler_.state() != QProcess::Running) break;
            if (listening(port_)) {
                ready_ = true;
                break;
            }
            QThread::msleep(50);
        }
        if (!ready_) {
            why_ = "cupsd cannot run here: " + scheduler_.readAll().toStdString() + log();
            return;
        }
        server_ = QStringLiteral("localhost:%1").arg(port_).toLocal8Bit();
        const char* before = std::getenv("CUPS_SERVER");
        if (before) previous_ = QByteArray(before);
        setenv("CUPS_SERVER", server_.constData(), 1);
        cupsSetServer(server_.constData());
    }

    ~PrivateScheduler() {
        if (ready_) {
            if (previous_)
                setenv("CUPS_SERVER", previous_->constData(), 1);
            else
                unsetenv("CUPS_SERVER");
            cupsSetServer(nullptr);
        }
        if (scheduler_.state() != QProcess::NotRunning) {
            scheduler_.terminate();
            if (!scheduler_.waitForFinished(10000)) scheduler_.kill();
            scheduler_.waitForFinished(5000);
        }
    }
    PrivateScheduler(const PrivateScheduler&) = delete;
    PrivateScheduler& operator=(const PrivateScheduler&) = delete;

    bool running() const { return ready_; }
    const std::string& why() const { return why_; }

    // A queue that prints to nowhere with the PPD above; a closed one rejects jobs with the
    // reason given. Whether the scheduler took it.
    bool addQueue(const QString& name, const QString& rejectReason = QString()) {
        const QString ppd = dir_.filePath(name + ".ppd");
        write(ppd, QString::fromLatin1(LetterPpd));
        if (!tool(lpadmin_, {"-h", server_, "-p", name, "-v", "file:///dev/null", "-P", ppd, "-E"}))
            return false;
        return rejectReason.isEmpty() ||
               tool(cupsreject_, {"-h", server_, "-r", rejectReason, name});
    }

    struct Job {
        int id;
        QString title;
    };
    // Every job of a queue, finished or not.
    std::vector<Job> jobs(const QString& queue) const {
        cups_job_t* list = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, queue.toLocal8Bit().constData(), 0,
                                   CUPS_WHICHJOBS_ALL);
        std::vector<Job> out;
        for (int i = 0; i < n; ++i)
            out.push_back({list[i].id, QString::fromUtf8(list[i].title)});
        cupsFreeJobs(n, list);
        return out;
    }
    // A job's attribute as the scheduler keeps it, as text ("" when it has none).
    QString attribute(int job, const char* name) const {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const QByteArray uri = QStringLiteral("ipp://%1/jobs/%2").arg(server_).arg(job).toUtf8();
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        QString value;
        if (ipp_attribute_t* found = ippFindAttribute(response, name, IPP_TAG_ZERO)) {
            char text[256];
            ippAttributeString(found, text, sizeof text);
            value = QString::fromUtf8(text);
        }
        ippDelete(response);
        return value;
    }
    // The document a job was sent with, as the scheduler keeps it.
    QString document(int job) const {
        return dir_.filePath(QString::asprintf("spool/d%05d-001", job));
    }
    std::string log() const {
        QFile f(dir_.filePath("log/error_log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().right(2000).toStdString() : std::string();
    }

  private:
    static void write(const QString& path, const QString& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        f.write(text.toUtf8());
    }
    bool tool(const QString& path, const QStringList& arguments) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(path, arguments);
        const bool done = p.waitForFinished(30000) && p.exitCode() == 0;
        if (!done) ADD_FAILURE() << path.toStdString() << ": " << p.readAll().toStdString();
        return done;
    }

    QTemporaryDir dir_;
    QProcess scheduler_;
    quint16 port_ = 0;
    QByteArray server_;
    std::optional<QByteArray> previous_;
    QString lpadmin_, cupsreject_;
    bool ready_ = false;
    std::string why_;
};

// The last-calibration list (a 12-character serial number) printed through the printer
// choice on one of the queues.
struct QueueRig : PrintRig {
    MemoryTable list;
    QString chosen;
    explicit QueueRig(const QStringList& queues) {
        std::vector<platform::PrinterCatalog::Entry> entries;
        for (const QString& q : queues)
            entries.push_back({q, false});
        entries.push_back({platform::PrinterCatalog::PdfName(), true});
        printers = platform::PrinterCatalog(entries, queues.first());
        list.rows = {{"No.", "SerialNo", "UserID", "Last Calib.Date"},
                     {"1", "QM73-0001234", "USER000001", "2026/06/01"}};
        form.choosePrinter = [this](const QStringList& names, const QString&) {
            return static_cast<int>(names.indexOf(chosen));
        };
    }
    void print(const QString& queue) {
        chosen = queue;
        form.DataType = 4;
        form.Table = &list;
        form.Form_Load();
        form.GoPrinter();
    }
};

class CupsPrinting : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!cups_.running())
            GTEST_SKIP() << "No CUPS scheduler of the test's own: " << cups_.why();
    }
    PrivateScheduler cups_;
};

// The report goes out on the paper the queue is set up with (US Letter), laid out for it.
TEST_F(CupsPrinting, AQueueOnLetterPrintsTheReportLaidOutForLetter) {
    ASSERT_TRUE(cups_.addQueue("Letter"));
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains("Letter"));
    ASSERT_EQ(QPrinterInfo::printerInfo("Letter").defaultPageSize().id(), QPageSize::Letter);
    QueueRig rig({"Letter"});
    const QPageLayout layout = rig.printers.pageLayout(0);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::Letter);
    EXPECT_NEAR(layout.paintRectPoints().width(), 612 - 36, 1);
    rig.print("Letter");
    EXPECT_TRUE(rig.dialogs.messages.empty());
    const auto jobs = cups_.jobs("Letter");
    ASSERT_EQ(jobs.size(), 1u) << cups_.log();
    EXPECT_EQ(jobs[0].title, "QM-73 Data Logger");
    const QString pdf = cups_.document(jobs[0].id);
    ASSERT_TRUE(QFileInfo::exists(pdf)) << cups_.log();
    EXPECT_TRUE(run("pdfinfo", {pdf}).contains(QRegularExpression("Page size:\\s+612 x 792 pts")));
    // The header's time ends 300 twips (15 points) left of the printable area's right edge:
    // 18 + 576 - 15 points on Letter (562 on A4).
    const QString boxes = run("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    double right = 0;
    const QRegularExpression word("<word xMin=\"[0-9.]+\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"");
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).toDouble() < 40) right = std::max(right, m.captured(2).toDouble());
    }
    EXPECT_NEAR(right, 579, 3);
    EXPECT_TRUE(run("pdftotext", {"-layout", pdf, "-"}).contains("QM73-0001234"));
}

// A queue that rejects jobs: the refusal is told with the queue's name and the print
// system's reason, and no job is left behind.
TEST_F(CupsPrinting, AQueueThatRejectsJobsIsToldAndNothingIsPrinted) {
    ASSERT_TRUE(cups_.addQueue("Closed", "Out of paper"));
    ASSERT_TRUE(cups_.addQueue("Letter"));
    QueueRig rig({"Letter", "Closed"});
    rig.print("Closed");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    const auto& told = rig.dialogs.messages[0];
    EXPECT_TRUE(told.text.startsWith("The report could not be printed on Closed."))
        << told.text.toStdString();
    EXPECT_TRUE(told.text.contains("not accepting jobs")) << told.text.toStdString();
    EXPECT_EQ(told.icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(cups_.jobs("Closed").empty());
    EXPECT_EQ(rig.printers.CurrentName(), "Letter");
    // The same report on the queue beside it goes out.
    rig.dialogs.messages.clear();
    rig.print("Letter");
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(cups_.jobs("Letter").size(), 1u);
}

// An instance of a queue (lpoptions) prints with its own options: those it sets are sent as
// they are, the job's own (paper, sides) only where the instance sets none.
TEST_F(CupsPrinting, AnInstanceOfAQueuePrintsWithItsOwnOptions) {
    ASSERT_TRUE(cups_.addQueue("Letter"));
    QTemporaryDir home;
    QDir().mkpath(home.filePath(".cups"));
    {
        QFile options(home.filePath(".cups/lpoptions"));
        ASSERT_TRUE(options.open(QIODevice::WriteOnly));
        options.write("Dest Letter/Draft job-priority=77 sides=two-sided-long-edge\n");
    }
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    QueueRig rig({"Letter/Draft"});
    rig.print("Letter/Draft");
    qputenv("HOME", previousHome);
    EXPECT_TRUE(rig.dialogs.messages.empty())
        << (rig.dialogs.messages.empty() ? "" : rig.dialogs.messages[0].text.toStdString());
    const auto jobs = cups_.jobs("Letter");
    ASSERT_EQ(jobs.size(), 1u) << cups_.log();
    EXPECT_EQ(cups_.attribute(jobs[0].id, "job-priority"), "77");
    EXPECT_EQ(cups_.attribute(jobs[0].id, "sides"), "two-sided-long-edge");
    // The instance sets no paper: the job's own, the queue's default, goes with it.
    EXPECT_EQ(cups_.attribute(jobs[0].id, "media"), "Letter");
}

// The same without a scheduler, through the printer seam: a print system that refuses the
// job is told with the printer's name and its reason; one that takes it is not.
TEST(PrintRefusal, APrintSystemThatRefusesTheJobIsTold) {
    QueueRig rig({"Closed"});
    struct Handed {
        QString printer, title;
        platform::PrinterCatalog::Options options;
        QString file;
        bool wholePdf;
    };
    std::vector<Handed> handed;
    int answer = 0;
    rig.printers.setSubmitter([&](const QString& printer, const QString& file, const QString& title,
                                  const platform::PrinterCatalog::Options& options) {
        QFile f(file);
        const QByteArray content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        handed.push_back({printer, title, options, file,
                          content.startsWith("%PDF") && content.contains("%%EOF")});
        return platform::PrinterCatalog::Submission{
            answer,
            answer ? QString() : QStringLiteral("Destination \"Closed\" is not accepting jobs.")};
    });
    rig.print("Closed");
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].printer, "Closed");
    EXPECT_EQ(handed[0].title, "QM-73 Data Logger");
    EXPECT_TRUE(handed[0].wholePdf);
    EXPECT_EQ(handed[0].options.at(0).first, "media");
    EXPECT_FALSE(QFileInfo::exists(handed[0].file));  // the spooled job is not kept
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text,
              "The report could not be printed on Closed.\r\nDestination \"Closed\" is not "
              "accepting jobs.");
    EXPECT_EQ(rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    answer = 12;
    rig.print("Closed");
    EXPECT_EQ(handed.size(), 2u);
    EXPECT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(handed[1].file));
}

// The job is handed over off the window thread, with the window thread's settings of the print
// system in force there, and a password the print system asks for is asked of the user.
TEST(PrintRefusal, TheHandOverCarriesTheWindowsPrintSettingsAndAsksForAPassword) {
    QueueRig rig({"Office"});
    const QByteArray previousUser(cupsUser());
    cupsSetServer("localhost:1");
    cupsSetUser("operator7");
    struct Seen {
        QString server, user;
        int port = 0;
        std::vector<std::optional<QString>> passwords;
    } seen;
    rig.dialogs.passwords = {"secret"};
    rig.printers.setSubmitter([&](const QString&, const QString&, const QString&,
                                  const platform::PrinterCatalog::Options&) {
        seen.server = QString::fromUtf8(cupsServer());
        seen.port = ippPort();
        seen.user = QString::fromUtf8(cupsUser());
        // The print system asks twice: the second time the user cancels.
        for (int i = 0; i < 2; ++i) {
            const char* answer = cupsGetPassword2("Password for operator7 on localhost? ", nullptr,
                                                  "POST", "/printers/Office");
            seen.passwords.push_back(answer ? std::optional<QString>(QString::fromUtf8(answer))
                                            : std::nullopt);
        }
        return platform::PrinterCatalog::Submission{5, {}};
    });
    rig.print("Office");
    cupsSetServer(nullptr);
    cupsSetUser(previousUser.constData());
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(seen.server, "localhost");
    EXPECT_EQ(seen.port, 1);
    EXPECT_EQ(seen.user, "operator7");
    EXPECT_EQ(rig.dialogs.passwordPrompts, QStringList({"Password for operator7 on localhost? ",
                                                        "Password for operator7 on localhost? "}));
    ASSERT_EQ(seen.passwords.size(), 2u);
    EXPECT_EQ(seen.passwords[0], "secret");
    EXPECT_EQ(seen.passwords[1], std::nullopt);
}

// A print system that takes its time over the spool file does not hold the window: its timers
// run while the job is handed over, and the answer is still the one it gives.
TEST(PrintRefusal, TheWindowGoesOnWhileThePrintSystemTakesTheJob) {
    QueueRig rig({"Slow"});
    std::atomic<bool> handing{false};
    rig.printers.setSubmitter([&](const QString&, const QString&, const QString&,
                                  const platform::PrinterCatalog::Options&) {
        handing = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        handing = false;
        return platform::PrinterCatalog::Submission{0, QStringLiteral("Busy.")};
    });
    int ticksWhileHanding = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticksWhileHanding += handing ? 1 : 0; });
    timer.start(5);
    rig.print("Slow");
    EXPECT_GE(ticksWhileHanding, 3);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "The report could not be printed on Slow.\r\nBusy.");
}

// The PDF entry's file cut short (a full disk) is told and not put in place.
TEST(PrintRefusal, APdfFileThatCouldNotBeWrittenWholeIsTold) {
    QueueRig rig({"Office"});
    QTemporaryDir out;
    const QString file = out.filePath("list.pdf");
    for (int i = 2; i < 200; ++i)
        rig.list.rows.push_back({QString::number(i), QStringLiteral("S%1").arg(i), "U", "d"});
    rig.dialogs.fileNames.push_back(file);
    {
        const testsupport::FileSizeLimit limit(4096);
        rig.print(platform::PrinterCatalog::PdfName());
    }
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        rig.dialogs.messages[0].text.startsWith("The report could not be printed on PDF file."));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());
}

// A job killed while its file is written leaves its temporary file (the PDF's beside it, a
// printer's spool file in the temporary folder); the next job to the same file, or to a
// printer, removes it, and leaves a file of the user's that merely looks like it alone.
TEST(PrintRefusal, WhatAKilledJobLeftGoesWithTheNextJob) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out"), spool = dir.filePath("tmp");
    QDir().mkpath(out);
    QDir().mkpath(spool);
    const QByteArray temporaryFolder = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(spool));
    const auto restore = qScopeGuard([&] {
        platform::setFileStepWatcher({});
        qputenv("TMPDIR", temporaryFolder);
    });
    QueueRig rig({"Office"});
    const struct {
        QString queue, folder;
        QStringList lookAlikes, after;  // the folder's files after the next job
    } cases[] = {{platform::PrinterCatalog::PdfName(),
                  out,
                  {"list.pdf.bzZfbS", "list.pdf.~QM73-abc12"},
                  {"list.pdf", "list.pdf.bzZfbS", "list.pdf.~QM73-abc12"}},
                 {"Office",
                  spool,
                  {"QM73-print-bzZfbS", "QM73-print.~QM73-abc12"},
                  {"QM73-print-bzZfbS", "QM73-print.~QM73-abc12"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queue.toStdString());
        for (const QString& name : c.lookAlikes)
            testsupport::writeFile(c.folder + "/" + name, "the user's own");
        // Killed with the job whole in its temporary file: the PDF as it is synced, the spool
        // file as the print system takes it.
        const QString killed = dir.filePath("killed-" + c.queue);
        const auto kill = [&] {
            if (!QFileInfo::exists(killed)) testsupport::copyFolder(c.folder, killed);
        };
        platform::setFileStepWatcher([&](platform::FileStep step, const QString& path) {
            if (step == platform::FileStep::SyncFile && path.startsWith(c.folder)) kill();
            return 0;
        });
        rig.printers.setSubmitter([&](const QString&, const QString&, const QString&,
                                      const platform::PrinterCatalog::Options&) {
            kill();
            return platform::PrinterCatalog::Submission{5, {}};
        });
        rig.dialogs.fileNames.push_back(out + "/list.pdf");
        rig.print(c.queue);
        platform::setFileStepWatcher({});
        // What the next start finds: the job's temporary file beside the look-alikes.
        QDir(c.folder).removeRecursively();
        testsupport::copyFolder(killed, c.folder);
        ASSERT_EQ(QDir(c.folder).entryList(QDir::Files).size(), c.lookAlikes.size() + 1)
            << QDir(c.folder).entryList().join(' ').toStdString();
        rig.dialogs.fileNames.push_back(out + "/list.pdf");
        rig.print(c.queue);
        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_EQ(QDir(c.folder).entryList(QDir::Files), c.after);
        for (const QString& name : c.lookAlikes)
            EXPECT_EQ(testsupport::readFile(c.folder + "/" + name), "the user's own");
    }
}

}  // namespace
