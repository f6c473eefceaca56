#include "NoCrtLib/OpResult.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// A result kind with neither a family name nor code descriptions: the base texts.
class PlainResult : public OpResult<int> {
public:
    bool Succeeded() const override { return Code() == 0; }
};

std::string Narrow(const std::u16string& text) { return WideToAnsi(text); }

}  // namespace

TEST(WinResult, SucceedsOnlyForZero) {
    WinResult r;
    for (uint32_t code : {0u, 1u, 2u, 0x80000000u, 0xFFFFFFFFu}) {
        r.Record(u"RegOpenKeyExA()", code);
        EXPECT_EQ(r.Succeeded(), code == 0) << code;
        EXPECT_EQ(r.Failed(), code != 0) << code;
        EXPECT_EQ(r.Code(), code);
    }
}

TEST(WinResult, TextsOfFailuresAndSuccess) {
    struct Case {
        const char16_t* operation;
        uint32_t code;
        const char* message;
    };
    const Case cases[] = {
        {u"RegOpenKeyExA()", 2, "RegOpenKeyExA() failed: Windows error: 2: The system cannot find the file specified."},
        {u"RegSetValueExA()", 5, "RegSetValueExA() failed: Windows error: 5: Access is denied."},
        {u"RegQueryValueExA()", 12345, "RegQueryValueExA() failed: Windows error: 12345: Error errorCode 12345 received."},
        {u"RegCreateKeyExA()", 0x80070005u, "RegCreateKeyExA() failed: Windows error: 2147942405: Error errorCode 2147942405 received."},
        {u"RegCloseKey()", 0, "RegCloseKey() succeeded."},
    };
    for (const Case& c : cases) {
        WinResult r;
        r.Record(c.operation, c.code);
        EXPECT_EQ(Narrow(r.Message()), c.message);
        EXPECT_EQ(Narrow(r.SuccessText()), Narrow(c.operation) + " succeeded.");
        EXPECT_EQ(Narrow(r.Kind()), "Windows");
    }
}

TEST(WinResult, FailureTextHasNoTrailingLineBreak) {
    WinResult r;
    r.Record(u"RegOpenKeyExA()", 2u);
    std::u16string text = r.FailureText();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), u'\n');
    EXPECT_NE(text.back(), u'\r');
}

TEST(WinResult, DescriptionIsTheErrorMessage) {
    WinResult r;
    r.Record(u"x()", 5u);
    EXPECT_EQ(r.Description(), u"Access is denied.");
    r.Record(u"x()", 0u);
    EXPECT_EQ(r.Description(), u"Error errorCode 0 received.");
}

TEST(WinResult, RecordWithNarrowNameWidensIt) {
    WinResult r;
    r.Record(std::string("RegDeleteValueA()"), 2u);
    EXPECT_EQ(r.OperationName(), u"RegDeleteValueA()");
    r.Record("RegEnumKeyExA()", 0u);
    EXPECT_EQ(r.OperationName(), u"RegEnumKeyExA()");
}

TEST(ComResult, SucceedsForZeroAndPositive) {
    ComResult r;
    const int32_t codes[] = {0, 1, 0x7FFFFFFF, -1, static_cast<int32_t>(0x80004005u)};
    for (int32_t code : codes) {
        r.Record(u"CoCreateInstance()", code);
        EXPECT_EQ(r.Succeeded(), code >= 0) << code;
        EXPECT_EQ(r.Failed(), code < 0) << code;
    }
}

TEST(ComResult, DescriptionTable) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {0x00000000u, "Success."},
        {0x00000001u, "Partial success."},
        {0x80004002u, "Interface not supported error."},
        {0x80004003u, "Pointer not valid error."},
        {0x80004004u, "Operation aborted error."},
        {0x80004005u, "Unspecified error."},
        {0x8000FFFFu, "Catastrophic failure error."},
        {0x800401E5u, "The object identified by this moniker could not be found."},
        {0x80070005u, "General access denied error."},
        {0x80070006u, "Handle not valid error."},
        {0x80070057u, "One or more arguments are not valid error."},
        {0x80040154u, ""},
        {0x00000002u, ""},
        {0x80070002u, ""},
    };
    ComResult r;
    for (const Case& c : cases) {
        r.Record(u"x()", static_cast<int32_t>(c.code));
        EXPECT_EQ(Narrow(r.Description()), c.text) << std::hex << c.code;
    }
}

TEST(ComResult, TextsShowTheSignedCode) {
    struct Case {
        const char16_t* operation;
        uint32_t code;
        const char* message;
    };
    const Case cases[] = {
        {u"CoCreateInstance()", 0x80040154u, "CoCreateInstance() failed: COM error: -2147221164."},
        {u"CoCreateInstance()", 0x80004005u, "CoCreateInstance() failed: COM error: -2147467259: Unspecified error."},
        {u"QueryInterface()", 0x80004002u, "QueryInterface() failed: COM error: -2147467262: Interface not supported error."},
        {u"IPersistFile::Save()", 0x80070005u, "IPersistFile::Save() failed: COM error: -2147024891: General access denied error."},
        {u"CoCreateInstance()", 0, "CoCreateInstance() succeeded."},
        {u"QueryInterface()", 1, "QueryInterface() succeeded."},
    };
    for (const Case& c : cases) {
        ComResult r;
        r.Record(c.operation, static_cast<int32_t>(c.code));
        EXPECT_EQ(Narrow(r.Message()), c.message);
        EXPECT_EQ(Narrow(r.Kind()), "COM");
    }
    ComResult r;
    r.Record(u"x()", 1);
    EXPECT_EQ(Narrow(r.FailureText()), "x() failed: COM error: 1: Partial success.");
}

TEST(OpResult, WithoutKindOrDescriptionUsesErrorCodeAndFullStop) {
    PlainResult r;
    r.Record(u"Plain()", -7);
    EXPECT_EQ(Narrow(r.Message()), "Plain() failed: error code: -7.");
    EXPECT_EQ(r.Kind(), u"");
    EXPECT_EQ(r.Description(), u"");
    r.Record(u"Plain()", 0);
    EXPECT_EQ(Narrow(r.Message()), "Plain() succeeded.");
}

TEST(OpResult, AssignCopiesNameAndCode) {
    ComResult source;
    source.Record(u"CoCreateInstance()", static_cast<int32_t>(0x80004005u));
    ComResult target;
    target.Record(u"QueryInterface()", 0);
    target.Assign(source);
    EXPECT_EQ(target.OperationName(), u"CoCreateInstance()");
    EXPECT_EQ(target.Code(), static_cast<int32_t>(0x80004005u));
    EXPECT_TRUE(target.Failed());
    EXPECT_EQ(target.Message(), source.Message());
}

TEST(OpResult, LaterRecordOverwritesEarlier) {
    WinResult r;
    r.Record(u"RegOpenKeyExA()", 0u);
    r.Record(u"RegSetValueExA()", 5u);
    EXPECT_EQ(Narrow(r.Message()), "RegSetValueExA() failed: Windows error: 5: Access is denied.");
    WinResult copy = r;
    EXPECT_EQ(copy.Message(), r.Message());
}
