#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <tuple>

#include "platform/AppPaths.h"
#include "platform/EventPump.h"
#include "platform/SingleInstance.h"
#include "platform/Twips.h"
#include "platform/UsbPortFinder.h"
#include "platform/gui/ColorButton.h"
#include "platform/gui/Geometry.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/StatusLamp.h"
#include "runtime/Color.h"
#include "runtime/RuntimeError.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempProgramFolder.h"

using namespace platform;

TEST(AppPaths, EveryFileLiesInTheProgramFolder) {
    const AppPaths paths(QStringLiteral("/opt/qm73/"));
    EXPECT_EQ(paths.programFolder(), "/opt/qm73");
    EXPECT_EQ(paths.database(), "/opt/qm73/QM73.mdb");
    EXPECT_EQ(paths.settingsFile(), "/opt/qm73/QM73.ini");
    EXPECT_EQ(paths.dataFolder(), "/opt/qm73/Data");
    EXPECT_EQ(paths.serialLog(), "/opt/qm73/SerialLog.log");
}

TEST(AppPaths, ProgramFolderIsThePerUserDataFolderWhereverTheProgramRuns) {
    // The executable's folder (a build folder here) is writable, and still not used.
    ASSERT_TRUE(QFileInfo(QCoreApplication::applicationDirPath()).isWritable());
    QTemporaryDir home;
    const QByteArray previousHome = qgetenv("XDG_DATA_HOME");
    const QString previousName = QCoreApplication::applicationName();
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QCoreApplication::setApplicationName("QM73");

    const AppPaths paths = AppPaths::forProgram();
    EXPECT_EQ(paths.programFolder(), home.path() + "/QM73");
    EXPECT_TRUE(QFileInfo(paths.programFolder()).isDir());  // created on first start
    EXPECT_EQ(paths.database(), home.path() + "/QM73/QM73.mdb");

    QCoreApplication::setApplicationName(previousName);
    if (previousHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previousHome);
}

TEST(SingleInstance, SecondHolderIsRefusedAndStaleLockIsTakenOver) {
    testsupport::TempProgramFolder folder;
    const QString lockPath = folder.paths().lockFile();
    {
        SingleInstance first(lockPath);
        SingleInstance second(lockPath);
        EXPECT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire());  // asking again keeps it
        EXPECT_FALSE(second.acquire());
    }
    // A lock file whose owner no longer runs.
    QFile stale(lockPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999\nqm73\n\n");
    stale.close();
    SingleInstance third(lockPath);
    EXPECT_TRUE(third.acquire());
}

TEST(SingleInstance, ALockThatCannotBeMadeIsNoOtherInstance) {
    testsupport::TempProgramFolder folder;
    const QString missing = folder.path() + "/missing";
    SingleInstance instance(missing + "/QM73.lock");
    try {
        instance.acquire();
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrPathAccess);
        EXPECT_TRUE(e.description().contains(missing)) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains("No such file or directory"))
            << e.description().toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(Twips, FifteenTwipsPerPixel) {
    EXPECT_DOUBLE_EQ(twipsToPixels(1500), 100);
    EXPECT_DOUBLE_EQ(pixelsToTwips(130), 1950);
    EXPECT_EQ(toPixels(TwipsRect{60, 0, 1500, 3007}), QRect(4, 0, 100, 200));
    QWidget parent;
    QWidget child(&parent);
    placeWidget(&child, {150, 300, 450, 600});
    EXPECT_EQ(child.geometry(), QRect(10, 20, 30, 40));
}

TEST(UsbPortFinder, PortNumbersOfDevices) {
    EXPECT_EQ(portNumberOfDevice("/dev/ttyUSB0"), 1);
    EXPECT_EQ(portNumberOfDevice("/dev/ttyUSB12"), 13);
    EXPECT_EQ(portNumberOfDevice("ttyUSB3"), 4);
    EXPECT_EQ(portNumberOfDevice("/dev/ttyS0"), 0);
    EXPECT_EQ(deviceOfPortNumber(5), "/dev/ttyUSB4");
}

TEST(UsbPortFinder, MalformedHardwareIdRaises) {
    SerialPortInfoFinder finder;
    EXPECT_THROW(finder.find(QStringLiteral("USB\\10C4")), rt::RuntimeError);
    EXPECT_NO_THROW(finder.find(QStringLiteral("VID_10C4&PID_EA60")));
}

TEST(EventPump, WaitsForEventsUntilThePredicateTurnsFalse) {
    QtEventPump pump;
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(1);
    pump.waitWhile([&] { return fired < 3; });
    EXPECT_GE(fired, 3);
    // A predicate that is already false returns at once.
    bool called = false;
    pump.waitWhile([&] {
        called = true;
        return false;
    });
    EXPECT_TRUE(called);
}

// A lamp shows its fill inside its border; a colour button keeps the colour it was given and
// shows it, whatever the style's palette says.
TEST(Widgets, LampAndColourButtonShowTheirColours) {
    StatusLamp lamp;
    lamp.resize(20, 20);
    lamp.setFillColor(rt::RGB(0, 255, 0));
    lamp.setBorderColor(rt::RGB(0, 192, 0));
    const QImage lit = lamp.grab().toImage();
    EXPECT_EQ(lit.pixelColor(10, 10), QColor(0, 255, 0));
    EXPECT_EQ(lamp.FillColor(), rt::RGB(0, 255, 0));

    ColorButton button;
    button.resize(120, 30);
    button.setText("Graph Color - HC");
    EXPECT_EQ(button.BackColor(), -1);
    button.setBackColor(rt::RGB(255, 0, 0));
    EXPECT_EQ(button.BackColor(), rt::RGB(255, 0, 0));
    const QImage face = button.grab().toImage();
    EXPECT_EQ(face.pixelColor(4, 4), QColor(255, 0, 0));
}

// The box the print system's password is asked in hides what is typed, and speaks the user's
// language.
TEST(PasswordDialog, HidesWhatIsTypedInTheUsersLanguage) {
    for (const auto& [language, suffix, cancel] :
         {std::tuple{StringTable::Language::English, "en", "Cancel"},
          std::tuple{StringTable::Language::Japanese, "ja", "キャンセル"}}) {
        const testsupport::LanguageScope scope(language);
        const std::unique_ptr<QInputDialog> dialog = platform::MakePasswordDialog(
            nullptr, QStringLiteral("Password for operator7 on printserver? "),
            QStringLiteral("QM-73"));
        EXPECT_EQ(dialog->textEchoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog->cancelButtonText(), QString::fromUtf8(cancel));
        dialog->setTextValue(QStringLiteral("secret"));
        dialog->show();
        QCoreApplication::processEvents();
        testsupport::savePicture(*dialog, QStringLiteral("dialog-password-") + suffix);
        dialog->hide();
    }
}
