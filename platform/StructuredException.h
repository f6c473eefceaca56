#pragma once
// Processor faults (structured exceptions) turned into standard exceptions, so the
// driver's std::exception handler reports them by name and rollback still runs.
#include <cstdint>
#include <exception>
#include <new>

struct _EXCEPTION_POINTERS;

class StructuredException : public std::exception {
public:
    explicit StructuredException(uint32_t code);
    uint32_t Code() const;
    // The code's name, e.g. "EXCEPTION_ACCESS_VIOLATION"; "unrecognized structured
    // exception" for codes without one.
    const char* what() const noexcept override;

private:
    uint32_t m_code;
};

#define QX_STRUCTURED_EXCEPTION(Name, code) \
    class Name : public StructuredException { \
    public: \
        Name() : StructuredException(code) {} \
    };
QX_STRUCTURED_EXCEPTION(SE_AccessViolation, 0xC0000005u)
QX_STRUCTURED_EXCEPTION(SE_Breakpoint, 0x80000003u)
QX_STRUCTURED_EXCEPTION(SE_DatatypeMisalignment, 0x80000002u)
QX_STRUCTURED_EXCEPTION(SE_SingleStep, 0x80000004u)
QX_STRUCTURED_EXCEPTION(SE_ArrayBoundsExceeded, 0xC000008Cu)
QX_STRUCTURED_EXCEPTION(SE_FltDenormalOperand, 0xC000008Du)
QX_STRUCTURED_EXCEPTION(SE_FltDivideByZero, 0xC000008Eu)
QX_STRUCTURED_EXCEPTION(SE_FltInexactResult, 0xC000008Fu)
QX_STRUCTURED_EXCEPTION(SE_FltInvalidOperation, 0xC0000090u)
QX_STRUCTURED_EXCEPTION(SE_FltOverflow, 0xC0000091u)
QX_STRUCTURED_EXCEPTION(SE_FltStackCheck, 0xC0000092u)
QX_STRUCTURED_EXCEPTION(SE_FltUnderflow, 0xC0000093u)
QX_STRUCTURED_EXCEPTION(SE_IntDivideByZero, 0xC0000094u)
QX_STRUCTURED_EXCEPTION(SE_IntOverflow, 0xC0000095u)
QX_STRUCTURED_EXCEPTION(SE_PrivInstruction, 0xC0000096u)
QX_STRUCTURED_EXCEPTION(SE_NoncontinuableException, 0xC0000025u)
#undef QX_STRUCTURED_EXCEPTION

// Throws the exception the table gives for the code (a plain StructuredException for
// unlisted codes). The pointers are not used.
[[noreturn]] void TranslateStructuredException(uint32_t code, _EXCEPTION_POINTERS* pointers);

// The standard bad-allocation exception, with the text the reports show.
class BadAllocation : public std::bad_alloc {
public:
    const char* what() const noexcept override;  // "bad allocation"
};

// New-handler: throws BadAllocation instead of letting the allocation retry.
[[noreturn]] void AllocationFailureHandler();

// Installs the fault translator and AllocationFailureHandler; the driver's first call.
void InstallExceptionTranslators();
