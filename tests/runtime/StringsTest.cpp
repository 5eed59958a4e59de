#include <gtest/gtest.h>

#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

using namespace rt;

TEST(Strings, MidLeftRightReturnShorterTextPastTheEnd) {
    EXPECT_EQ(Mid("ABCDEF", 2, 3), "BCD");
    EXPECT_EQ(Mid("ABCDEF", 5, 10), "EF");
    EXPECT_EQ(Mid("ABCDEF", 7, 1), "");
    EXPECT_EQ(Mid("ABCDEF", 9), "");
    EXPECT_EQ(Mid("ABCDEF", 3), "CDEF");
    EXPECT_EQ(Left("AB", 5), "AB");
    EXPECT_EQ(Right("AB", 5), "AB");
    EXPECT_EQ(Right("ABC", 0), "");
}

TEST(Strings, MidRaisesForAStartBelowOne) {
    try {
        Mid("ABC", 0, 1);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrInvalidCall);
    }
}

TEST(Strings, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\tx\t"), "\tx\t");
    EXPECT_EQ(LTrim("  x "), "x ");
    EXPECT_EQ(RTrim("  x "), "  x");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Strings, InStrIsOneBased) {
    EXPECT_EQ(InStr("AB CD", " "), 3);
    EXPECT_EQ(InStr("AB CD", "X"), 0);
    EXPECT_EQ(InStr("ABAB", "B", 3), 4);
    EXPECT_EQ(InStr("AB", "B", 5), 0);
}

struct NumericCase {
    const char* text;
    bool numeric;
    double value;
};

void PrintTo(const NumericCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumericGrammar : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericGrammar, Parses) {
    const NumericCase& c = GetParam();
    EXPECT_EQ(IsNumeric(QString::fromLatin1(c.text)), c.numeric) << c.text;
    if (c.numeric) {
        EXPECT_DOUBLE_EQ(*ParseNumber(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumericGrammar,
    ::testing::Values(
        NumericCase{"12", true, 12}, NumericCase{"  -3.5 ", true, -3.5}, NumericCase{"+7", true, 7},
        NumericCase{".5", true, 0.5}, NumericCase{"5.", true, 5}, NumericCase{"1E3", true, 1000},
        NumericCase{"2.5e-1", true, 0.25}, NumericCase{"&H10", true, 16},
        NumericCase{"&HFFFF", true, -1}, NumericCase{"&h7fff", true, 32767},
        NumericCase{"&H10000", false, 0}, NumericCase{"&H", false, 0}, NumericCase{"", false, 0},
        NumericCase{"   ", false, 0}, NumericCase{".", false, 0}, NumericCase{"1.2.3", false, 0},
        NumericCase{"1E", false, 0}, NumericCase{"12a", false, 0}, NumericCase{"- 1", false, 0},
        NumericCase{"1,000", false, 0}, NumericCase{"\t1", false, 0}));
