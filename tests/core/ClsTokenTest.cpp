#include <gtest/gtest.h>

#include <QStringList>

#include "core/ClsToken.h"
#include "runtime/RuntimeError.h"

using core::clsToken;

namespace {

// The settings-file set-up: comment ";", delimiter TAB, quote "'".
clsToken settingsTokenizer() {
    clsToken t;
    t.AddComments(";");
    t.AddDelimiters("\t");
    t.AddStrings("'");
    return t;
}

QStringList counted(const clsToken& t) {
    QStringList list;
    for (int i = 0; i < t.TokenCount(); ++i)
        list << t.Tokens(i);
    return list;
}

}  // namespace

TEST(clsToken, SplitsLines) {
    const struct {
        const char* line;
        QStringList tokens;
    } cases[] = {
        {"", {}},
        {"Font\t'IPA Gothic'\t9", {"Font", "IPA Gothic", "9"}},
        {"a\t\t\tb", {"a", "b"}},          // no empty tokens between delimiters
        {"''", {""}},                      // two quotes make one empty token
        {"abc'def'", {"def"}},             // text before an opening quote is dropped
        {"'a\tb;c'", {"a\tb;c"}},          // quotes keep delimiters and comments
        {"'open", {"open"}},               // an open quote at the end still stores
        {" a b \t c ", {" a b ", " c "}},  // tokens are not trimmed
        {"a;b", {}},                       // the value goes with the comment
    };
    for (const auto& c : cases) {
        clsToken t = settingsTokenizer();
        t.setSource(QString::fromLatin1(c.line));
        EXPECT_EQ(counted(t), c.tokens) << c.line;
    }
}

TEST(clsToken, CommentTextGoesIntoTheNextSlotUncounted) {
    clsToken t = settingsTokenizer();
    t.setSource("a;b");
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), "b");
    t.setSource("a\t;b");
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(0), "a");
    EXPECT_EQ(t.Tokens(1), "b");
    t.setSource(";            QM-73");
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), "            QM-73");
}

TEST(clsToken, StaleSlotsKeepEarlierTokens) {
    clsToken t = settingsTokenizer();
    t.setSource("one\ttwo\tthree");
    t.setSource("single");
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(1), "two");
    EXPECT_EQ(t.Tokens(2), "three");
}

TEST(clsToken, CommentWinsOverQuoteOverDelimiter) {
    clsToken t;
    t.AddDelimiters(",");
    t.AddStrings(",");
    t.AddComments("#");
    t.AddDelimiters("#");
    t.setSource("a,b,#c");
    // "," is a quote here: "a" is dropped, "b" is the quoted token, "#" starts the comment.
    EXPECT_EQ(counted(t), QStringList{"b"});
    EXPECT_EQ(t.Tokens(1), "c");
}

TEST(clsToken, LinkSetUpWithTwoDelimiters) {
    clsToken t;
    t.AddDelimiters("\r");
    t.AddDelimiters(",");
    t.setSource("RC,R,QM-73,\r0001");
    EXPECT_EQ(counted(t), (QStringList{"RC", "R", "QM-73", "0001"}));
}

TEST(clsToken, ListsHoldTenOneCharacterEntries) {
    clsToken t;
    for (int i = 0; i < 11; ++i)
        t.AddDelimiters(QString(QChar('a' + i)));
    EXPECT_EQ(t.Delimiters(9), "j");
    EXPECT_EQ(t.Delimiters(10), "");  // the 11th was ignored
    EXPECT_EQ(t.Delimiters(-1), "");
    t.setDelimiters(12, "x");  // ignored
    t.setDelimiters(0, "|");
    EXPECT_EQ(t.Delimiters(0), "|");
    t.ClearDelimiters();
    EXPECT_EQ(t.Delimiters(0), "");
    t.setDelimiters(0, "x");  // the count stays 0, so the entry is not in use
    EXPECT_EQ(t.Delimiters(0), "");
    // A two-character entry never matches.
    t.AddDelimiters("ab");
    t.setSource("xaby");
    EXPECT_EQ(counted(t), QStringList{"xaby"});
}

TEST(clsToken, FiftyOneTokensAndNoMore) {
    clsToken t = settingsTokenizer();
    QStringList parts;
    for (int i = 0; i < 51; ++i)
        parts << QString::number(i);
    t.setSource(parts.join('\t'));
    EXPECT_EQ(t.TokenCount(), 51);
    EXPECT_EQ(t.Tokens(49), "49");
    EXPECT_EQ(t.Tokens(50), "");  // slot 50 is never returned

    parts << "51";
    try {
        t.setSource(parts.join('\t'));
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrSubscript);
    }
    EXPECT_EQ(t.TokenCount(), 51);
    EXPECT_THROW(t.setTokens(51, "x"), rt::RuntimeError);
    EXPECT_THROW(t.setTokens(-1, "x"), rt::RuntimeError);
}

TEST(clsToken, OverlongLineOverflows) {
    clsToken t = settingsTokenizer();
    try {
        t.setSource(QString(32768, 'x'));
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrOverflow);
    }
    EXPECT_NO_THROW(t.setSource(QString(32767, 'x')));
    EXPECT_EQ(t.TokenCount(), 1);
}
