// Error texts from the system's message table (FormatMessageA), as Windows shows them.
#include "NoCrtLib/OpResult.h"
#include "NoCrtLib/SystemError.h"
#include "NoCrtLib/WinErrorMessage.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// What FormatMessageA itself returns for the code, untrimmed; empty if it has nothing.
std::string RawSystemText(DWORD code) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(0x1300, nullptr, code, 0x0800, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer) LocalFree(buffer);
    return text;
}

bool EndsWithLineBreak(const std::string& text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

}  // namespace

TEST(WinErrorMessageWin, SystemTextWithoutTrailingLineBreak) {
    for (DWORD code : {2ul, 5ul, 3ul, 87ul}) {
        std::string raw = RawSystemText(code);
        ASSERT_TRUE(EndsWithLineBreak(raw)) << "system text of " << code << " should end in CR/LF";
        std::string text = WinErrorMessage(code);
        EXPECT_FALSE(text.empty());
        EXPECT_FALSE(EndsWithLineBreak(text)) << code;
        EXPECT_EQ(raw.compare(0, text.size(), text), 0) << "a prefix of the system text";
        EXPECT_EQ(raw.find_first_not_of("\r\n", text.size()), std::string::npos) << "only CR/LF removed";
    }
}

TEST(WinErrorMessageWin, SeamGivesTheRawSystemText) {
    std::string out;
    ASSERT_TRUE(SystemMessageText(5, out));
    EXPECT_EQ(out, RawSystemText(5));
}

TEST(WinErrorMessageWin, CodesUnknownToTheSystem) {
    // Neither Windows nor the table knows these.
    for (DWORD code : {0x20001234ul, 0x0000BEEFul}) {
        ASSERT_EQ(RawSystemText(code), "");
        EXPECT_EQ(WinErrorMessage(code), "Error errorCode " + std::to_string(code) + " received.");
    }
    std::string out;
    EXPECT_FALSE(SystemMessageText(0x20001234ul, out));
}

TEST(WinErrorMessageWin, TableFillsInWhereTheSystemHasNoText) {
    // Network-library codes live outside the system's own table on many systems.
    struct Case {
        DWORD code;
        const char* text;
    };
    const Case cases[] = {
        {2221, "The user name could not be found."},
        {2226, "This operation is only allowed on the primary domain controller of the domain."},
        {2351, "This computer name is invalid."},
    };
    int checked = 0;
    for (const Case& c : cases) {
        std::string raw = RawSystemText(c.code);
        if (!raw.empty()) continue;
        ++checked;
        EXPECT_EQ(WinErrorMessage(c.code), c.text);
    }
    if (checked == 0) GTEST_SKIP() << "this system has its own text for every code tried";
}

TEST(WinErrorMessageWin, ComposedTextsUseTheSystemText) {
    const std::string accessDenied = WinErrorMessage(5);
    EXPECT_EQ(WinErrorText(5), "Windows error 5: " + accessDenied);
    EXPECT_STREQ(SystemError("OpenProcessToken()", 5).what(),
                 ("OpenProcessToken() failed: Windows error 5: " + accessDenied).c_str());
    WinResult r;
    r.Record(u"RegOpenKeyExA()", 2u);
    std::string failure = WideToAnsi(r.FailureText());
    EXPECT_EQ(failure, "RegOpenKeyExA() failed: Windows error: 2: " + WinErrorMessage(2));
    EXPECT_FALSE(EndsWithLineBreak(failure));
}

TEST(WinErrorMessageWin, HexadecimalFormAbove99999) {
    EXPECT_EQ(WinErrorText(100000).compare(0, 24, "Windows error 0x000186a0"), 0);
    EXPECT_EQ(WinErrorText(99999).compare(0, 19, "Windows error 99999"), 0);
    std::string hresult = WinErrorText(0x80070005u);
    EXPECT_EQ(hresult.compare(0, 24, "Windows error 0x80070005"), 0);
}
