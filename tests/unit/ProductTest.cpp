#include "installer/Product.h"

#include "NoCrtLib/AnsiText.h"

#include <gtest/gtest.h>

TEST(JoinPath, PutsExactlyOneBackslashAtTheSeam) {
    const unsigned codePage = SetHostAnsiCodePage(932);   // "\x83\\" is one character
    struct Case { const char* first; const char* second; const char* joined; };
    const Case cases[] = {
        {"C:\\Apps", "q.exe", "C:\\Apps\\q.exe"},
        {"C:\\Apps\\", "q.exe", "C:\\Apps\\q.exe"},
        {"C:\\Apps", "\\q.exe", "C:\\Apps\\q.exe"},
        {"C:\\Apps\\", "\\q.exe", "C:\\Apps\\q.exe"},
        {"", "q.exe", "q.exe"},
        {"C:\\Apps", "", "C:\\Apps"},
        {"", "", ""},
        {"C:\\", "Program Files", "C:\\Program Files"},
        {"C:\\\x83\\", "q.exe", "C:\\\x83\\\\q.exe"},
        {"C:\\\x83\\\\", "q.exe", "C:\\\x83\\\\q.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinPath(c.first, c.second), c.joined) << c.first << " + " << c.second;
    SetHostAnsiCodePage(codePage);
}

TEST(Product, UninstallKeyIsBelowTheWindowsUninstallList) {
    EXPECT_EQ(ProductUninstallKey(), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix");
}

TEST(Product, UsageBannerHasFourteenLinesWithTheVersionAndHost) {
    std::string banner = UsageBanner();
    EXPECT_EQ(std::count(banner.begin(), banner.end(), '\n'), 14);
    EXPECT_EQ(banner.rfind("This program will install Arvendo Quarnelix 4.26\n", 0), 0u);
    EXPECT_NE(banner.find("For more information, please visit www.arvendo.com.\n"), std::string::npos);
    EXPECT_NE(banner.find("\n                    [-installForMeOnly] [-noDesktopIcon]\n"), std::string::npos);
}
