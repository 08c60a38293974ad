// The guard, for GCC (no __try/__except): a vectored exception handler, registered for the
// length of the call, turns a hardware fault on the guarded thread into a jump back to the
// guard. It does not jump from inside the handler (the system's dispatcher would be left
// half-way, with its handler list still counting a running handler); it rewrites the
// faulting context to resume in Landing, on a small stack inside the guard's own frame,
// and lets the system continue there; Landing then jumps back to the guard.
// Software exceptions (C++ throws, RaiseException) are left alone: the library may catch
// its own.
#include "plugins/vqf/guard.h"

#include <windows.h>

#include <cfenv>

namespace twindeck {

namespace {

struct GuardFrame {
  alignas(16) unsigned char landingStack[2048];
  void* jump[5];  // __builtin_setjmp buffer
  DWORD thread;
  GuardFrame* outer;
  void* exceptionList;  // i686: the thread's chain of handler records at the guard
};

// i686 keeps a chain of handler records on the stack (fs:[0]); x86-64 has none.
void* ExceptionList() {
#if defined(__i386__)
  void* list;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(list));
  return list;
#else
  return nullptr;
#endif
}

void SetExceptionList(void* list) {
#if defined(__i386__)
  __asm__ volatile("movl %0, %%fs:0" : : "r"(list) : "memory");
#else
  (void)list;
#endif
}

GuardFrame* volatile g_top = nullptr;

bool IsHardwareFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

[[noreturn]] __attribute__((noinline)) void Landing() {
  __builtin_longjmp(g_top->jump, 1);
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* info) {
  GuardFrame* frame = g_top;
  if (!frame || frame->thread != GetCurrentThreadId() ||
      !IsHardwareFault(info->ExceptionRecord->ExceptionCode))
    return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* c = info->ContextRecord;
  uintptr_t top = reinterpret_cast<uintptr_t>(frame->landingStack + sizeof frame->landingStack) &
                  ~uintptr_t{15};
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

bool GuardedCall(void (*fn)(void*), void* arg) {
  GuardFrame frame;
  frame.thread = GetCurrentThreadId();
  frame.outer = g_top;
  frame.exceptionList = ExceptionList();
  std::fenv_t fpu;
  std::fegetenv(&fpu);
  PVOID volatile handler = AddVectoredExceptionHandler(1, FaultHandler);
  volatile bool completed = false;
  if (__builtin_setjmp(frame.jump) == 0) {
    g_top = &frame;
    fn(arg);
    completed = true;
  } else {
    // Back from a fault: on i686 the handler records the library pushed lie in abandoned
    // frames; the floating-point state is the host's again.
    SetExceptionList(frame.exceptionList);
    std::fesetenv(&fpu);
  }
  g_top = frame.outer;
  if (handler) RemoveVectoredExceptionHandler(handler);
  return completed;
}

}  // namespace twindeck
