// GCC has no __try/__except: a vectored handler turns a fault inside a guarded call into a
// jump back to the guard. It does not jump from inside the handler (the system's dispatcher
// would be left half-way); it rewrites the faulting context to resume in Landing, on a small
// stack inside the guard's frame (the faulting stack may be exhausted), and Landing jumps.
#include "engines/fault_guard.h"

#include <windows.h>

#include <cfenv>

namespace sd {

namespace {

struct GuardFrame {
  alignas(16) unsigned char landingStack[4096];
  void* jump[5];  // __builtin_setjmp buffer
  GuardFrame* outer;
  void* exceptionList;  // i686: the thread's chain of handler records at the guard
};

// The innermost guard of this thread; null when none, or while suspended.
thread_local GuardFrame* t_top = nullptr;
PVOID g_handler = nullptr;

bool IsHardwareFault(DWORD code) {
  return code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_INT_DIVIDE_BY_ZERO ||
         code == EXCEPTION_ILLEGAL_INSTRUCTION || code == EXCEPTION_STACK_OVERFLOW;
}

[[noreturn]] __attribute__((noinline)) void Landing() { __builtin_longjmp(t_top->jump, 1); }

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* info) {
  GuardFrame* frame = t_top;
  if (!frame || !IsHardwareFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* c = info->ContextRecord;
  uintptr_t top =
      reinterpret_cast<uintptr_t>(frame->landingStack + sizeof frame->landingStack) & ~uintptr_t{15};
#if defined(__x86_64__)
  c->Rsp = top - 8;  // as if Landing had been called
  c->Rip = reinterpret_cast<DWORD64>(&Landing);
#elif defined(__i386__)
  c->Esp = top - 4;
  c->Eip = reinterpret_cast<DWORD>(&Landing);
#else
#error "the fault guard knows x86 and x86-64 only"
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

bool CallGuarded(void (*fn)(void*), void* arg) {
  // One handler for the whole run, registered at the first guarded call.
  if (!g_handler) g_handler = AddVectoredExceptionHandler(1, FaultHandler);
  GuardFrame frame;
  frame.outer = t_top;
  frame.exceptionList = reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList;
  std::fenv_t fpu;
  std::fegetenv(&fpu);
  volatile bool completed = false;
  if (__builtin_setjmp(frame.jump) == 0) {
    t_top = &frame;
    fn(arg);
    completed = true;
  } else {
    // Back from a fault: handler records pushed below lie in abandoned frames; the
    // floating-point state is the host's again.
    reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList =
        static_cast<EXCEPTION_REGISTRATION_RECORD*>(frame.exceptionList);
    std::fesetenv(&fpu);
  }
  t_top = frame.outer;
  return completed;
}

GuardSuspension::GuardSuspension() : saved_(t_top) { t_top = nullptr; }
GuardSuspension::~GuardSuspension() { t_top = static_cast<GuardFrame*>(saved_); }

}  // namespace sd
