#include "NoCrtLib/TException.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

static_assert(std::is_base_of<std::exception, TException>::value, "");
static_assert(std::is_base_of<TException, AException>::value, "");
static_assert(std::is_copy_constructible<TException>::value && std::is_copy_constructible<AException>::value, "");

TEST(TException, NarrowTextIsReturnedUnchanged) {
    TException e(std::string("Invalid option \"-x\" \xE9"));
    EXPECT_STREQ(e.what(), "Invalid option \"-x\" \xE9");
    EXPECT_FALSE(e.IsWide());
}

TEST(TException, WideTextIsConvertedToAnsi) {
    struct Case {
        std::u16string wide;
        std::string narrow;
    };
    // The host build's ANSI code page is Latin-1; characters outside it become '?'.
    const Case cases[] = {
        {u"RegOpenKeyExA() failed: Windows error: 2: x.", "RegOpenKeyExA() failed: Windows error: 2: x."},
        {u"caf\u00E9", "caf\xE9"},
        {u"\u0416 and \u20AC", "? and ?"},
        {u"", ""},
    };
    for (const Case& c : cases) {
        TException e(c.wide);
        EXPECT_TRUE(e.IsWide());
        EXPECT_EQ(std::string(e.what()), c.narrow);
        EXPECT_EQ(e.WideText(), c.wide);
    }
}

TEST(TException, WhatOfWideTextIsTheSameOnEveryCall) {
    TException e(std::u16string(u"Something failed: \u00FC"));
    const char* first = e.what();
    std::string firstText = first;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(e.what(), first);  // the stored copy, not a new conversion
        EXPECT_EQ(std::string(e.what()), firstText);
    }
    EXPECT_EQ(firstText, "Something failed: \xFC");
}

TEST(TException, CopiesKeepTheirTextBeforeAndAfterConversion) {
    auto original = std::make_unique<TException>(std::u16string(u"wide text"));
    TException copyBefore(*original);
    original->what();
    TException copyAfter(*original);
    original.reset();
    EXPECT_STREQ(copyBefore.what(), "wide text");
    EXPECT_STREQ(copyAfter.what(), "wide text");
    TException assigned(std::string("other"));
    assigned = copyAfter;
    EXPECT_STREQ(assigned.what(), "wide text");
}

TEST(TException, AExceptionIsNarrowAndCaughtAsTException) {
    std::string caught;
    try {
        throw AException("LoadLibraryA() failed.");
    } catch (const TException& e) {
        caught = e.what();
        EXPECT_FALSE(e.IsWide());
        EXPECT_EQ(e.WideText(), u"LoadLibraryA() failed.");
    }
    EXPECT_EQ(caught, "LoadLibraryA() failed.");
}
