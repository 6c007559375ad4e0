// The main of every test executable. Error boxes from the system (a missing
// floppy, a failed DLL load) would block a headless run, so they are turned off.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Under Wine a test executable whose stack overflows can end with exit code
// 0 and no summary, which ctest counts as a pass: it ends here with the
// exception's code instead. Nothing else can be done on an exhausted stack.
LONG WINAPI EndOnStackOverflow(EXCEPTION_POINTERS* e) {
  if (e->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
  static const char kText[] = "\nThe stack overflowed: the test executable ends.\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), kText, sizeof kText - 1, &written, nullptr);
  TerminateProcess(GetCurrentProcess(), EXCEPTION_STACK_OVERFLOW);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  AddVectoredExceptionHandler(1, EndOnStackOverflow);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
