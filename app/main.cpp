#include <QApplication>
#include <QStringList>

#include "app/FrmOpen.h"
#include "app/PrintForms.h"
#include "app/TrendWindow.h"
#include "core/ModMain.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/AppPaths.h"
#include "platform/EventPump.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/PrinterCatalog.h"
#include "platform/gui/QtDialogs.h"
#include "printing/FrmPrint.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QM73"));
    platform::PreferProportionalJapanese(QApplication::font().family());

    platform::QtDialogs dialogs;
    platform::QtEventPump pump;
    try {
        // A logout, a shutdown or Ctrl+C ends the program as its own close does, settings saved;
        // during the title screen, before anything of the main window is made ready. From the
        // first signal on, the program ends within the limit whatever holds its window thread.
        platform::TerminationSignals termination;
        // The user's files live in the per-user data folder, whatever folder the program runs
        // from.
        const platform::AppPaths paths = platform::AppPaths::forProgram();
        core::AppPath = paths.programFolder();
        platform::SingleInstance instance(paths.lockFile());
        shell::SystemServices services(paths);
        // The print form lives as long as the program: its properties carry over.
        printing::FrmPrint frmPrint({platform::PrinterCatalog::system(), dialogs, paths});
        shell::WindowServices bundle = services.bundle();
        bundle.printForms = app::PrintFormsOf(frmPrint);
        shell::FrmMain mainWindow(bundle);
        // The alarm-trend window lives as long as the main window; its prints are the main
        // window's long commands too.
        app::AlarmTrendWindow trendWindow(mainWindow, dialogs, mainWindow.services().printForms);
        const QStringList arguments = QApplication::arguments().mid(1);
        app::FrmOpen open(dialogs, pump,
                          {[&instance] { return !instance.acquire(); },
                           [&mainWindow] { mainWindow.Show(); }, [] { QCoreApplication::exit(0); }},
                          arguments.join(QLatin1Char(' ')));
        const auto terminate = [&open, &mainWindow, &termination] {
            if (!open.Terminate()) mainWindow.Terminate(termination.msSinceFirstSignal());
        };
        QObject::connect(&termination, &platform::TerminationSignals::received, &mainWindow,
                         terminate);
        // A signal taken while the windows were made.
        if (termination.msSinceFirstSignal() > 0) terminate();
        QObject::connect(&mainWindow, &shell::FrmMain::terminated, &application,
                         &QCoreApplication::quit, Qt::QueuedConnection);

        if (!open.Form_Load()) return 1;
        const int status = QApplication::exec();
        // What is left is the end: a second request during it changes nothing.
        termination.ignoreFromNowOn();
        // Settings that could not be saved are no end as asked.
        return status != 0 ? status : (platform::unsavedAtTheEnd() ? 1 : 0);
    } catch (const std::exception& e) {
        dialogs.message(QString::fromUtf8(e.what()), QStringLiteral("QM-73"),
                        platform::MsgIcon::Critical, platform::MsgButtons::OK);
        return 1;
    }
}
