#include "platform/ExceptionTranslator.h"

#include "platform/StructuredException.h"

#include <windows.h>

#include <cstdint>
#include <new>

extern "C" {
// Entered instead of the faulting instruction with the faulting address + 1 in a scratch
// register: pushes that as a return address and jumps to the thrower, which makes the fault
// look like a call the unwinder can step out of. The scratch registers are free to use:
// values that live into a landing pad are never kept in call-clobbered registers.
void qx_FaultThunk();
#if defined(__x86_64__)
// x64: the code is the thrower's first argument (RCX), the return address comes in RAX.
__attribute__((noreturn, used, force_align_arg_pointer))
void qx_ThrowStructuredException(uint32_t code);
}

asm(".text\n"
    ".globl qx_FaultThunk\n"
    "qx_FaultThunk:\n"
    "    pushq %rax\n"
    "    jmp qx_ThrowStructuredException\n");
#else
// i386: the code in EAX (regparm), the return address in ECX.
__attribute__((regparm(1), noreturn, used, force_align_arg_pointer))
void qx_ThrowStructuredException(uint32_t code);
}

asm(".text\n"
    ".globl _qx_FaultThunk\n"
    "_qx_FaultThunk:\n"
    "    pushl %ecx\n"
    "    jmp _qx_ThrowStructuredException\n");
#endif

void qx_ThrowStructuredException(uint32_t code) { TranslateStructuredException(code, nullptr); }

namespace {

uintptr_t g_imageBegin = 0;
uintptr_t g_imageEnd = 0;
PVOID g_vectoredHandle = nullptr;
bool g_filterInstalled = false;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

void FindOwnImage() {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(reinterpret_cast<const void*>(&qx_FaultThunk), &info, sizeof info)) return;
    auto base = static_cast<const BYTE*>(info.AllocationBase);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    g_imageBegin = reinterpret_cast<uintptr_t>(base);
    g_imageEnd = g_imageBegin + nt->OptionalHeader.SizeOfImage;
}

#if defined(__x86_64__)
uintptr_t ProgramCounter(const CONTEXT& context) { return context.Rip; }
#else
uintptr_t ProgramCounter(const CONTEXT& context) { return context.Eip; }
#endif

bool ShouldTranslate(const EXCEPTION_RECORD& record, const CONTEXT& context) {
    const uint32_t code = record.ExceptionCode;
    // Customer codes are other runtimes' own exceptions (C++ throws of MSVC or GCC
    // code); informational and success codes are debug output, thread names, RPC.
    if (code & 0x20000000u) return false;
    if ((code & 0x80000000u) == 0) return false;
    if (code == STATUS_GUARD_PAGE_VIOLATION) return false;
    // The thrower and the unwinder need stack, and an overflowed one has none left.
    if (code == STATUS_STACK_OVERFLOW) return false;
    if (record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) return false;
    // Only our own code can be unwound from any instruction. Faults in system
    // libraries are theirs: many probe memory under their own handlers, and
    // exceptions raised by RaiseException start there too.
    const uintptr_t pc = ProgramCounter(context);
    return pc >= g_imageBegin && pc < g_imageEnd;
}

bool IsFloatingPointCode(uint32_t code) {
    return (code >= 0xC000008Du && code <= 0xC0000093u) ||  // EXCEPTION_FLT_*
           code == 0xC00002B4u || code == 0xC00002B5u;      // SSE multiple faults/traps
}

void Redirect(CONTEXT& context, uint32_t code) {
    // A pending x87/SSE exception would fire again at the handler's first floating-point
    // instruction.
    const bool clearFloat = IsFloatingPointCode(code);
#if defined(__x86_64__)
    if (clearFloat && (context.ContextFlags & CONTEXT_FLOATING_POINT) == CONTEXT_FLOATING_POINT) {
        context.FltSave.StatusWord &= ~0x80FFu;
        context.FltSave.MxCsr &= ~0x3Fu;
        context.MxCsr &= ~0x3Fu;
    }
    // The unwinder looks up the return address minus one: the faulting instruction.
    context.Rax = context.Rip + 1;
    context.Rcx = code;
    context.Rip = reinterpret_cast<DWORD64>(&qx_FaultThunk);
#else
    if (clearFloat) {
        if ((context.ContextFlags & CONTEXT_FLOATING_POINT) == CONTEXT_FLOATING_POINT)
            context.FloatSave.StatusWord &= ~0x80FFu;
        if ((context.ContextFlags & CONTEXT_EXTENDED_REGISTERS) == CONTEXT_EXTENDED_REGISTERS) {
            // The FXSAVE image: x87 status word at offset 2, MXCSR at 24.
            WORD* status = reinterpret_cast<WORD*>(context.ExtendedRegisters + 2);
            *status &= ~0x80FFu;
            DWORD* mxcsr = reinterpret_cast<DWORD*>(context.ExtendedRegisters + 24);
            *mxcsr &= ~0x3Fu;
        }
    }
    // The unwinder looks up the return address minus one: the faulting instruction.
    context.Ecx = context.Eip + 1;
    context.Eax = code;
    context.Eip = reinterpret_cast<DWORD>(&qx_FaultThunk);
#endif
}

LONG CALLBACK VectoredTranslator(EXCEPTION_POINTERS* pointers) {
    if (!ShouldTranslate(*pointers->ExceptionRecord, *pointers->ContextRecord))
        return EXCEPTION_CONTINUE_SEARCH;
    Redirect(*pointers->ContextRecord, pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_EXECUTION;
}

LONG WINAPI TopLevelTranslator(EXCEPTION_POINTERS* pointers) {
    if (!ShouldTranslate(*pointers->ExceptionRecord, *pointers->ContextRecord))
        return g_previousFilter ? g_previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
    Redirect(*pointers->ContextRecord, pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

bool InstallFaultTranslator(FaultHook hook) {
    RemoveFaultTranslator();
#if defined(__x86_64__)
    // Not in the 64-bit twin: throwing from the thunk crashes Wine's x64 exception dispatch,
    // so a fault there is left to the system (the release is 32-bit).
    (void)hook;
    return false;
#endif
    FindOwnImage();
    if (hook == FaultHook::Vectored) {
        // Resolved by name: Windows before XP has no vectored handlers.
        using AddHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        auto add = kernel ? reinterpret_cast<AddHandlerFn>(GetProcAddress(kernel, "AddVectoredExceptionHandler"))
                          : nullptr;
        if (!add) return false;
        g_vectoredHandle = add(1, VectoredTranslator);
        return g_vectoredHandle != nullptr;
    }
    g_previousFilter = SetUnhandledExceptionFilter(TopLevelTranslator);
    g_filterInstalled = true;
    return true;
}

void RemoveFaultTranslator() {
    if (g_vectoredHandle) {
        using RemoveHandlerFn = ULONG(WINAPI*)(PVOID);
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        auto remove = kernel ? reinterpret_cast<RemoveHandlerFn>(GetProcAddress(kernel, "RemoveVectoredExceptionHandler"))
                             : nullptr;
        if (remove) remove(g_vectoredHandle);
        g_vectoredHandle = nullptr;
    }
    if (g_filterInstalled) {
        SetUnhandledExceptionFilter(g_previousFilter);
        g_previousFilter = nullptr;
        g_filterInstalled = false;
    }
}

void InstallExceptionTranslators() {
    if (!InstallFaultTranslator(FaultHook::Vectored)) InstallFaultTranslator(FaultHook::TopLevelFilter);
    std::set_new_handler(AllocationFailureHandler);
}
