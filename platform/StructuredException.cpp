#include "platform/StructuredException.h"

namespace {

struct Name {
    uint32_t code;
    const char* text;
};

const Name kNames[] = {
    {0xC0000005u, "EXCEPTION_ACCESS_VIOLATION"},
    {0x80000003u, "EXCEPTION_BREAKPOINT"},
    {0x80000002u, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000004u, "EXCEPTION_SINGLE_STEP"},
    {0xC000008Cu, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008Du, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008Eu, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008Fu, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090u, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091u, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092u, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093u, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094u, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095u, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096u, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC0000025u, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
};

}  // namespace

StructuredException::StructuredException(uint32_t code) : m_code(code) {}

uint32_t StructuredException::Code() const { return m_code; }

const char* StructuredException::what() const noexcept {
    for (const Name& n : kNames) {
        if (n.code == m_code) return n.text;
    }
    return "unrecognized structured exception";
}

void TranslateStructuredException(uint32_t code, _EXCEPTION_POINTERS*) {
    switch (code) {
    case 0xC0000005u: throw SE_AccessViolation();
    case 0x80000003u: throw SE_Breakpoint();
    case 0x80000002u: throw SE_DatatypeMisalignment();
    case 0x80000004u: throw SE_SingleStep();
    case 0xC000008Cu: throw SE_ArrayBoundsExceeded();
    case 0xC000008Du: throw SE_FltDenormalOperand();
    case 0xC000008Eu: throw SE_FltDivideByZero();
    case 0xC000008Fu: throw SE_FltInexactResult();
    case 0xC0000090u: throw SE_FltInvalidOperation();
    case 0xC0000091u: throw SE_FltOverflow();
    case 0xC0000092u: throw SE_FltStackCheck();
    case 0xC0000093u: throw SE_FltUnderflow();
    case 0xC0000094u: throw SE_IntDivideByZero();
    case 0xC0000095u: throw SE_IntOverflow();
    case 0xC0000096u: throw SE_PrivInstruction();
    case 0xC0000025u: throw SE_NoncontinuableException();
    default: throw StructuredException(code);
    }
}

const char* BadAllocation::what() const noexcept { return "bad allocation"; }

void AllocationFailureHandler() { throw BadAllocation(); }
