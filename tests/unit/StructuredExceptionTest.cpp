#include "platform/StructuredException.h"

#include "NoCrtLib/SilentExit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <typeinfo>

namespace {

struct Case {
    uint32_t code;
    const std::type_info* type;
    const char* name;
};

const Case kCases[] = {
    {0xC0000005u, &typeid(SE_AccessViolation), "EXCEPTION_ACCESS_VIOLATION"},
    {0x80000003u, &typeid(SE_Breakpoint), "EXCEPTION_BREAKPOINT"},
    {0x80000002u, &typeid(SE_DatatypeMisalignment), "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000004u, &typeid(SE_SingleStep), "EXCEPTION_SINGLE_STEP"},
    {0xC000008Cu, &typeid(SE_ArrayBoundsExceeded), "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008Du, &typeid(SE_FltDenormalOperand), "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008Eu, &typeid(SE_FltDivideByZero), "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008Fu, &typeid(SE_FltInexactResult), "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090u, &typeid(SE_FltInvalidOperation), "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091u, &typeid(SE_FltOverflow), "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092u, &typeid(SE_FltStackCheck), "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093u, &typeid(SE_FltUnderflow), "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094u, &typeid(SE_IntDivideByZero), "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095u, &typeid(SE_IntOverflow), "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096u, &typeid(SE_PrivInstruction), "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC0000025u, &typeid(SE_NoncontinuableException), "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    // Unlisted codes: stack overflow, illegal instruction, C++ and debug codes, zero.
    {0xC00000FDu, &typeid(StructuredException), "unrecognized structured exception"},
    {0xC000001Du, &typeid(StructuredException), "unrecognized structured exception"},
    {0xE06D7363u, &typeid(StructuredException), "unrecognized structured exception"},
    {0x40010006u, &typeid(StructuredException), "unrecognized structured exception"},
    {0x00000000u, &typeid(StructuredException), "unrecognized structured exception"},
    {0xC0000006u, &typeid(StructuredException), "unrecognized structured exception"},
};

}  // namespace

TEST(StructuredException, TranslationThrowsTheTablesClassWithItsCode) {
    for (const Case& c : kCases) {
        bool caught = false;
        try {
            TranslateStructuredException(c.code, nullptr);
        } catch (const StructuredException& e) {
            caught = true;
            EXPECT_EQ(typeid(e), *c.type) << std::hex << c.code;
            EXPECT_EQ(e.Code(), c.code);
            EXPECT_STREQ(e.what(), c.name);
        }
        EXPECT_TRUE(caught) << std::hex << c.code;
    }
}

TEST(StructuredException, NameDependsOnlyOnTheCode) {
    for (const Case& c : kCases) EXPECT_STREQ(StructuredException(c.code).what(), c.name);
    EXPECT_STREQ(SE_IntDivideByZero().what(), "EXCEPTION_INT_DIVIDE_BY_ZERO");
    EXPECT_EQ(SE_AccessViolation().Code(), 0xC0000005u);
}

TEST(StructuredException, CaughtAsStandardExceptionNeverAsSilentExit) {
    for (const Case& c : kCases) {
        std::string caughtBy;
        try {
            try {
                TranslateStructuredException(c.code, nullptr);
            } catch (const SilentExit&) {
                caughtBy = "SilentExit";
            }
        } catch (const std::exception& e) {
            caughtBy = e.what();
        }
        EXPECT_EQ(caughtBy, c.name);
    }
}

TEST(StructuredException, CopyKeepsCodeAndName) {
    SE_PrivInstruction original;
    StructuredException copy = original;
    EXPECT_EQ(copy.Code(), 0xC0000096u);
    EXPECT_STREQ(copy.what(), "EXCEPTION_PRIV_INSTRUCTION");
}

TEST(AllocationFailureHandler, ThrowsBadAllocationWithItsText) {
    std::string caught;
    try {
        AllocationFailureHandler();
    } catch (const std::bad_alloc& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "bad allocation");
}

TEST(AllocationFailureHandler, InstalledAsNewHandler) {
    std::new_handler previous = std::get_new_handler();
    InstallExceptionTranslators();
    EXPECT_EQ(std::get_new_handler(), &AllocationFailureHandler);
    std::set_new_handler(previous);
}
