// Texts and catch behaviour of the plain exception classes.
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/InvalidUninstData.h"
#include "NoCrtLib/SilentExit.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

static_assert(!std::is_base_of<std::exception, SilentExit>::value, "SilentExit must pass std::exception handlers");
static_assert(std::is_copy_constructible<SilentExit>::value, "thrown by value");
static_assert(std::is_copy_constructible<InstallError>::value, "thrown by value");
static_assert(std::is_copy_constructible<InvalidUninstData>::value, "thrown by value");

TEST(ExceptionTexts, InstallErrorReturnsItsTextOrEmpty) {
    EXPECT_STREQ(InstallError("CreateDirectoryA() failed: Windows error 5: Access is denied.").what(),
                 "CreateDirectoryA() failed: Windows error 5: Access is denied.");
    EXPECT_STREQ(InstallError().what(), "");
    EXPECT_STREQ(InstallError(std::string()).what(), "");
}

TEST(ExceptionTexts, InstallErrorCopyKeepsTextAfterOriginalDies) {
    auto* original = new InstallError("step failed");
    InstallError copy(*original);
    delete original;
    EXPECT_STREQ(copy.what(), "step failed");
}

TEST(ExceptionTexts, InvalidUninstDataHasFixedText) {
    EXPECT_STREQ(InvalidUninstData().what(), "Invalid uninstallation data.");
    try {
        throw InvalidUninstData();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Invalid uninstallation data.");
    }
}

TEST(ExceptionTexts, SilentExitCarriesSignedCode) {
    for (int code : {0, 105, 140, 202, -1, 0x7fffffff, static_cast<int>(0x80000000u)}) {
        SilentExit e(code);
        SilentExit copy = e;
        EXPECT_EQ(e.Code(), code);
        EXPECT_EQ(copy.Code(), code);
    }
}

TEST(ExceptionTexts, SilentExitIsNotCaughtAsStandardException) {
    std::string caughtBy;
    try {
        try {
            throw SilentExit(140);
        } catch (const std::exception&) {
            caughtBy = "std::exception";
        }
    } catch (const SilentExit& e) {
        caughtBy = "SilentExit " + std::to_string(e.Code());
    }
    EXPECT_EQ(caughtBy, "SilentExit 140");
}

TEST(ExceptionTexts, InstallErrorIsCaughtAsStandardException) {
    std::string caught;
    try {
        throw InstallError("x() failed: y");
    } catch (const std::exception& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "x() failed: y");
}
