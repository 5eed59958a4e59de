#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/TrendFile.h"
#include "runtime/RuntimeError.h"
#include "tests/support/ScriptedDialogs.h"

using namespace core;

TEST(Switches, AnywhereInAnyCase) {
    const struct {
        const char* commandLine;
        Switches expected;
    } cases[] = {
        {"", {false, false, false}},
        {"-debug -r", {true, false, true}},
        {"-DEBUG", {false, false, true}},  // holds neither "-R" nor "-U"
        {"-U", {false, true, false}},
        {"x-rayfile", {true, false, false}},  // inside a longer word
        {"-u -R -Debug", {true, true, true}},
        {"/r /u", {false, false, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSwitches(QString::fromLatin1(c.commandLine)), c.expected) << c.commandLine;
}

TEST(Switches, ApplySetsTheModuleFlags) {
    ApplySwitches(ParseSwitches(QStringLiteral("-debug -r")));
    EXPECT_TRUE(DebugMode);
    EXPECT_TRUE(SwitchR);
    EXPECT_FALSE(SwitchU);
    ApplySwitches({});
    EXPECT_FALSE(DebugMode);
}

TEST(ModMain, LanguageIdsAndLocale) {
    EXPECT_EQ(MakeLangId(0, 1), 0x400);
    EXPECT_EQ(MakeLangId(0x11, 1), 0x411);
    EXPECT_EQ(MakeLcid(MakeLangId(0, 1)), 0x400);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(GetLocaleText(LocaleCalendarType, us), "1");
    EXPECT_EQ(GetLocaleText(LocaleShortDate, QLocale(QLocale::Japanese, QLocale::Japan)),
              "yyyy/MM/dd");
    EXPECT_FALSE(GetLocaleText(LocaleShortDate, us).contains("gg"));
    EXPECT_EQ(GetLocaleText(12345, us), "");
}

TEST(ModMain, AllowedKeyChars) {
    for (int code : std::initializer_list<int>{8, 32, '*', '-', '0', '9', 'A', 'Z', 'a', 'z'})
        EXPECT_TRUE(IsAllowedKeyChar(code)) << code;
    for (int code :
         std::initializer_list<int>{0, 13, 27, '_', '~', '/', '.', '@', '[', '`', '{', 0xE9})
        EXPECT_FALSE(IsAllowedKeyChar(code)) << code;
}

TEST(ModMain, TextHelpers) {
    EXPECT_EQ(EmptyToAsterisk("   "), "*");
    EXPECT_EQ(EmptyToAsterisk(""), "*");
    EXPECT_EQ(EmptyToAsterisk("  AB 1 "), "AB 1");

    EXPECT_EQ(DropLastTwoChars("ab"), "");
    EXPECT_EQ(DropLastTwoChars("abc"), "a");
    EXPECT_EQ(DropLastTwoChars("x AND "), "x AN");

    EXPECT_EQ(LastWord("Serial 123 S"), "S");
    EXPECT_EQ(LastWord("single"), "single");
    EXPECT_EQ(LastWord(""), "");
    EXPECT_EQ(LastWord("a  b"), "b");
    EXPECT_EQ(LastWord("ends "), "");

    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("12 Interval"), 12);
    EXPECT_EQ(LeadingNumber("7  x"), 7);
    EXPECT_EQ(LeadingNumber("2.5 x"), 2);
    // A leading space ends the first word before the number.
    for (const char* bad : {"12", "abc def", "  7 x"}) {
        try {
            LeadingNumber(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrTypeMismatch);
        }
    }
}

TEST(ModMain, CopyFontCopiesEveryProperty) {
    StdFont source{true, 128, true, "IPAGothic", 11.25, true, true, 700};
    StdFont target;
    CopyFont(target, source);
    EXPECT_EQ(target, source);
}

namespace {

class FakeFinder : public platform::UsbPortFinder {
  public:
    std::vector<platform::PortRecord> ports;
    bool fail = false;
    QString askedFor;
    std::vector<platform::PortRecord> find(const QString& id) override {
        askedFor = id;
        if (fail) throw rt::RuntimeError(429, QStringLiteral("finder not available"));
        return ports;
    }
};

}  // namespace

TEST(FindAdapterPort, OneAdapterGivesItsPort) {
    FakeFinder finder;
    finder.ports = {{"/dev/ttyUSB4", "CP2102", "COM5"}};
    testsupport::ScriptedDialogs dialogs;
    IrCommNum = 0;
    FindAdapterPort(AdapterHardwareId, finder, dialogs);
    EXPECT_EQ(IrCommNum, 5);
    EXPECT_EQ(finder.askedFor, "VID_10C4&PID_EA60");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(FindAdapterPort, NoneOrSeveralGiveZero) {
    FakeFinder finder;
    testsupport::ScriptedDialogs dialogs;
    IrCommNum = 4;
    FindAdapterPort(AdapterHardwareId, finder, dialogs);
    EXPECT_EQ(IrCommNum, 0);
    EXPECT_TRUE(dialogs.messages.empty());

    finder.ports = {{"/dev/ttyUSB0", "", "COM1"}, {"/dev/ttyUSB1", "", "COM2"}};
    IrCommNum = 4;
    FindAdapterPort(AdapterHardwareId, finder, dialogs);
    EXPECT_EQ(IrCommNum, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "More than one USB Serial Converter is connected.");
    EXPECT_EQ(dialogs.messages[0].title, "module finder error");
    EXPECT_EQ(dialogs.messages[0].icon, platform::MsgIcon::Critical);
}

TEST(FindAdapterPort, FinderErrorReachesTheCallerAndKeepsThePort) {
    FakeFinder finder;
    finder.fail = true;
    testsupport::ScriptedDialogs dialogs;
    IrCommNum = 3;
    EXPECT_THROW(FindAdapterPort(AdapterHardwareId, finder, dialogs), rt::RuntimeError);
    EXPECT_EQ(IrCommNum, 3);
}

TEST(ModMain, DefaultCommSettings) {
    CommSettings.clear();
    SetDefaultCommSettings();
    EXPECT_EQ(CommSettings, "921600,n,8,1");
}

TEST(ProgramFolders, PathsFromUnsetFoldersRaiseAndTheWorkingFolderKeepsItsFiles) {
    // The program runs in a working folder of its own for this test.
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QFile kept(work.filePath("kept.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    ASSERT_EQ(QDir::currentPath(), QDir(work.path()).canonicalPath());
    AppPath = QString();
    DataFolder = QString();

    const rt::OleDate start = *rt::OleDate::fromCivil(2026, 3, 7, 5, 4, 9);
    const struct {
        const char* what;
        std::function<void()> use;
    } cases[] = {
        {"delete the data folder", [] { DeleteFolder(DataFolder); }},
        {"delete the program folder", [] { DeleteFolder(AppPath); }},
        {"delete a month of trend files", [] { DeleteFolder(DataFolder + "/26"); }},
        {"make the trend folders", [&start] { CreateTrendFolders(DataFolder, start); }},
        {"the database", [] { DatabasePath(); }},
        {"the serial log", [] { SerialLogPath(); }},
    };
    for (const auto& c : cases) {
        try {
            c.use();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrPathAccess) << c.what;
            EXPECT_TRUE(e.description().contains("folder is not set")) << c.what;
        }
        EXPECT_TRUE(QFile::exists(work.filePath("kept.txt"))) << c.what;
    }
    EXPECT_FALSE(AppPath.isSet());

    // A path that names no folder of the program's own is never deleted.
    QDir().mkpath(work.filePath("Data/26"));
    for (const QString& path : {QString(), QString("."), QString("Data"), QString("Data/.."),
                                QString("/"), QString("//")}) {
        DeleteFolder(path);
        EXPECT_TRUE(QFile::exists(work.filePath("kept.txt"))) << path.toStdString();
        EXPECT_TRUE(QDir(work.filePath("Data/26")).exists()) << path.toStdString();
    }
    DeleteFolder(work.filePath("Data"));
    EXPECT_FALSE(QDir(work.filePath("Data")).exists());
    EXPECT_TRUE(QFile::exists(work.filePath("kept.txt")));
    QDir::setCurrent(previous);

    AppPath = work.path();
    EXPECT_EQ(DatabasePath(), work.path() + "/QM73.mdb");
}
