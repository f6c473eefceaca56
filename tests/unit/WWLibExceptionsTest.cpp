#include "NoCrtLib/WWLibExceptions.h"

#include "NoCrtLib/SystemError.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

static_assert(std::is_base_of<TException, WWLib::BaseException>::value, "");
static_assert(std::is_base_of<WWLib::BaseException, WWLib::BaseExceptionEx<long>>::value, "");
static_assert(std::is_base_of<WWLib::BaseExceptionEx<unsigned long>, WWLib::RegException>::value, "");
static_assert(std::is_base_of<WWLib::BaseExceptionEx<long>, WWLib::ComException>::value, "");
static_assert(std::is_base_of<TException, SystemError>::value, "");
static_assert(std::is_copy_constructible<WWLib::RegException>::value &&
              std::is_copy_constructible<WWLib::ComException>::value &&
              std::is_copy_constructible<SystemError>::value, "");

TEST(RegException, CarriesTheFailedResult) {
    WinResult r;
    r.Record(u"RegOpenKeyExA()", 2u);
    WWLib::RegException e(r);
    EXPECT_STREQ(e.what(), "RegOpenKeyExA() failed: Windows error: 2: The system cannot find the file specified.");
    EXPECT_TRUE(e.IsWide());
    EXPECT_EQ(e.OperationName(), u"RegOpenKeyExA()");
    EXPECT_EQ(e.Code(), 2ul);
    EXPECT_EQ(e.Description(), u"The system cannot find the file specified.");
}

TEST(RegException, TextIsFixedAtConstruction) {
    WinResult r;
    r.Record(u"RegSetValueExA()", 5u);
    WWLib::RegException e(r);
    r.Record(u"RegCloseKey()", 0u);  // the wrapper goes on; the exception keeps the failure
    EXPECT_STREQ(e.what(), "RegSetValueExA() failed: Windows error: 5: Access is denied.");
}

TEST(ComException, CarriesTheSignedCode) {
    ComResult r;
    r.Record(u"CoCreateInstance()", static_cast<int32_t>(0x80040154u));
    WWLib::ComException e(r);
    EXPECT_STREQ(e.what(), "CoCreateInstance() failed: COM error: -2147221164.");
    EXPECT_EQ(e.Code(), -2147221164L);
    EXPECT_EQ(e.Description(), u"");
    EXPECT_EQ(e.OperationName(), u"CoCreateInstance()");

    r.Record(u"QueryInterface()", static_cast<int32_t>(0x80004002u));
    WWLib::ComException q(r);
    EXPECT_STREQ(q.what(), "QueryInterface() failed: COM error: -2147467262: Interface not supported error.");
    EXPECT_EQ(q.Description(), u"Interface not supported error.");
}

TEST(WWLibExceptions, CaughtAsStandardExceptionWithSameTextOnEveryCall) {
    WinResult r;
    r.Record(u"RegDeleteKeyA()", 5u);
    std::string first, second;
    try {
        throw WWLib::RegException(r);
    } catch (const std::exception& e) {
        first = e.what();
        second = e.what();
    }
    EXPECT_EQ(first, "RegDeleteKeyA() failed: Windows error: 5: Access is denied.");
    EXPECT_EQ(second, first);
}

TEST(WWLibExceptions, CopiesAreIndependent) {
    ComResult r;
    r.Record(u"CoCreateInstance()", static_cast<int32_t>(0x80004005u));
    auto* original = new WWLib::ComException(r);
    WWLib::ComException copy(*original);
    delete original;
    EXPECT_STREQ(copy.what(), "CoCreateInstance() failed: COM error: -2147467259: Unspecified error.");
    EXPECT_EQ(copy.Description(), u"Unspecified error.");
}

TEST(SystemError, Texts) {
    struct Case {
        SystemError error;
        const char* text;
        uint32_t code;
    };
    const Case cases[] = {
        {SystemError(5u), "Windows error 5: Access is denied.", 5},
        {SystemError(100000u), "Windows error 0x000186a0: Error errorCode 100000 received.", 100000},
        {SystemError("OpenProcessToken()", 5u), "OpenProcessToken() failed: Windows error 5: Access is denied.", 5},
        {SystemError(std::string("CreateFileA()"), 2u),
         "CreateFileA() failed: Windows error 2: The system cannot find the file specified.", 2},
        {SystemError(std::u16string(u"GetTempPathA()"), 12345u),
         "GetTempPathA() failed: Windows error 12345: Error errorCode 12345 received.", 12345},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.error.what(), c.text);
        EXPECT_EQ(c.error.Code(), c.code);
    }
}

TEST(SystemError, WideOperationKeepsNonAsciiCharacters) {
    SystemError e(std::u16string(u"Ren\u00E9()"), 5u);
    EXPECT_TRUE(e.IsWide());
    EXPECT_EQ(e.WideText(), u"Ren\u00E9() failed: Windows error 5: Access is denied.");
}
