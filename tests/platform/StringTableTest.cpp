#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <set>

#include "platform/StringTable.h"
#include "runtime/RuntimeError.h"

using platform::ExpandPlaceholders;
using platform::LoadResText;
using platform::StringTable;

TEST(LoadResText, ExpandsPlaceholders) {
    const struct {
        const char* text;
        std::initializer_list<rt::Variant> args;
        const char* expected;
    } cases[] = {
        {"~1~t~2~t~t ... COMPLETE.", {"A", "B"}, "A\tB\t\t ... COMPLETE."},
        {"a~cb~Cc", {}, "a\r\nb\r\nc"},
        {"x~Ty~tz", {}, "x\ty\tz"},
        {"~1-~3", {"a", "b"}, "a-"},     // argument 3 missing
        {"[~1][~9]", {}, "[][]"},        // no arguments at all
        {"~0~1", {"a"}, "a"},            // ~0 is always empty
        {"a~xb~Zc~~d", {}, "abcd"},      // unknown letters vanish with their "~"
        {"~1~2", {"~1", "~c"}, "~1~c"},  // argument text is not expanded again
        {"n=~1 f=~2", {int16_t(5), 20.9f}, "n=5 f=20.9"},
        {"end~", {}, "end"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandPlaceholders(QString::fromLatin1(c.text), c.args),
                  QString::fromLatin1(c.expected))
            << c.text;
}

TEST(LoadResText, TableTexts) {
    EXPECT_EQ(LoadResText(99), "It has already started.");
    EXPECT_EQ(LoadResText(5323), "Delete samples in  folder.\r\nReady?");
    EXPECT_EQ(LoadResText(6024, {"NO2", "ppm"}), "NO2\tppm\t\t ... COMPLETE.");
    EXPECT_EQ(LoadResText(4001, {"it26120913_A1"}), "New Data! Name - it26120913_A1");
}

TEST(LoadResText, MissingIdOrNullArgumentRaises) {
    try {
        LoadResText(31999);
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrResourceNotFound);
    }
    try {
        LoadResText(4001, {rt::Variant::null()});
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrInvalidNull);
    }
}

TEST(StringTable, LanguageCodeAndMatchingIds) {
    const StringTable& en = StringTable::of(StringTable::Language::English);
    const StringTable& ja = StringTable::of(StringTable::Language::Japanese);
    EXPECT_EQ(en.text(101), "EN");
    EXPECT_EQ(ja.text(101), "JP");
    QList<int> jaIds = ja.ids();
    jaIds.removeAll(9100);  // the alarm-trend window's label exists in Japanese only
    EXPECT_EQ(en.ids(), jaIds);
    EXPECT_TRUE(ja.contains(9100));
    // Japanese texts are translations, not copies (labels and codes aside).
    EXPECT_NE(en.text(99), ja.text(99));
    EXPECT_NE(en.text(5001), ja.text(5001));
}

TEST(StringTable, ParseKeepsSpacesAndSkipsComments) {
    const StringTable t = StringTable::parse(QStringLiteral("# c\n1\t a \r\n\n2\tb~1\nbad\n"));
    EXPECT_EQ(t.ids(), (QList<int>{1, 2}));
    EXPECT_EQ(t.text(1), " a ");
}

TEST(StringTable, SelectedLanguageDecidesLoadResText) {
    StringTable::selectLanguage(StringTable::Language::Japanese);
    const QString jp = LoadResText(101);
    StringTable::selectLanguage(StringTable::Language::English);
    EXPECT_EQ(jp, "JP");
    EXPECT_EQ(LoadResText(101), "EN");
}

// Every id that the program loads by number must exist in both tables.
TEST(StringTable, EveryIdInTheCodeExistsInBothTables) {
    const QString root = QStringLiteral(QM73_SOURCE_DIR);
    const QStringList folders = {"runtime", "platform",   "core",     "link",       "records",
                                 "graph",   "mainwindow", "printing", "alarmtrend", "app"};
    // Ids given directly, chosen by a condition, or named as Text... constants.
    const QRegularExpression call(QStringLiteral(
        "LoadResText\\(\\s*(?:[^,(){}]*\\?\\s*(\\d+)\\s*:\\s*)?(\\d+)|\\bText\\w+\\s*=\\s*(\\d+)"));
    std::set<int> ids;
    for (const QString& folder : folders) {
        QDirIterator it(root + QLatin1Char('/') + folder, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString source = QString::fromUtf8(file.readAll());
            for (auto m = call.globalMatch(source); m.hasNext();) {
                const QRegularExpressionMatch match = m.next();
                for (int group = 1; group <= 3; ++group)
                    if (!match.captured(group).isEmpty()) ids.insert(match.captured(group).toInt());
            }
        }
    }
    EXPECT_TRUE(ids.count(21001) && ids.count(21020) && ids.count(21021));  // the other forms
    for (StringTable::Language language :
         {StringTable::Language::English, StringTable::Language::Japanese})
        for (int id : ids)
            EXPECT_TRUE(StringTable::of(language).contains(id)) << "id " << id << " missing";
}

// Run in a child process whose locale the parent sets; skipped in a normal run.
TEST(StringTableLocale, ChildReportsTheSystemLanguage) {
    const QByteArray expected = qgetenv("QM73_EXPECT_LANGUAGE");
    if (expected.isEmpty()) GTEST_SKIP() << "runs only as a child of SystemLocaleChoosesTheTexts";
    const bool japanese = StringTable::systemLanguage() == StringTable::Language::Japanese;
    EXPECT_EQ(japanese ? QByteArray("ja") : QByteArray("en"), expected);
    StringTable::selectLanguage(StringTable::systemLanguage());
    EXPECT_EQ(StringTable::current().text(101), japanese ? "JP" : "EN");
}

TEST(StringTableLocale, SystemLocaleChoosesTheTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"ja_JP.UTF-8", "ja"}, {"en_US.UTF-8", "en"}, {"de_DE.UTF-8", "en"}};
    for (const auto& [locale, expected] : cases) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"})
            env.remove(name);
        env.insert("LANG", locale);
        env.insert("QM73_EXPECT_LANGUAGE", expected);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=StringTableLocale.ChildReportsTheSystemLanguage"});
        ASSERT_TRUE(child.waitForFinished(60000)) << locale;
        EXPECT_EQ(child.exitCode(), 0) << locale << "\n" << child.readAll().toStdString();
    }
}
