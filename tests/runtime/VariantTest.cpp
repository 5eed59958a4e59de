#include <gtest/gtest.h>

#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"

using namespace rt;

TEST(Variant, EmptyAndNullAreDistinct) {
    const Variant empty;
    const Variant null = Variant::null();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty == null);
    EXPECT_EQ(empty.toText(), "");
    EXPECT_EQ(empty.toDouble(), 0.0);
}

TEST(Variant, NullHasNoTextOrNumber) {
    const Variant null = Variant::null();
    for (auto f : {+[](const Variant& v) { (void)v.toText(); },
                   +[](const Variant& v) { (void)v.toDouble(); },
                   +[](const Variant& v) { (void)v.toLong(); }}) {
        try {
            f(null);
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ErrInvalidNull);
        }
    }
}

TEST(Variant, TextOfTypedValues) {
    const QLocale c(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(Variant(true).toText(c), "True");
    EXPECT_EQ(Variant(int16_t(-5)).toText(c), "-5");
    EXPECT_EQ(Variant(20.9f).toText(c), "20.9");
    EXPECT_EQ(Variant(0.1).toText(c), "0.1");
    EXPECT_EQ(Variant("~1").toText(c), "~1");
    EXPECT_EQ(Variant(20.9f).toText(QLocale(QLocale::German, QLocale::Germany)), "20,9");
}

TEST(Variant, Conversions) {
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant("2.5").toInteger(), 2);
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_TRUE(Variant("True").toBool());
    EXPECT_FALSE(Variant(0).toBool());
    EXPECT_EQ(Variant(OleDate(-101)).toDate().value(), -101.0);
    EXPECT_THROW((void)Variant("x").toDouble(), RuntimeError);
}
