// A bass.dll for the loader tests: every name of the real lists, while its
// .def leaves one out, so the loader must refuse it and nothing of it is ever
// called. It notes the error mode it was loaded under in the environment,
// where the test still finds it after the loader has freed the library.
#include <windows.h>

#include <string>

#define TAVRIN_BASS_LISTS_ONLY
#include "bass/bass_api.h"

extern "C" UINT_PTR FakeEntry() { return 0; }

// Each name becomes one more label of FakeEntry.
#define TAVRIN_FAKE_ENTRY(name) __asm__(".globl " #name "\n.set " #name ", FakeEntry\n");
TAVRIN_BASS_ENTRY_POINTS(TAVRIN_FAKE_ENTRY)
TAVRIN_BASS_TEST_EXPORTS(TAVRIN_FAKE_ENTRY)

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetEnvironmentVariableW(L"TAVRIN_FAKE_BASS_ERROR_MODE",
                            std::to_wstring(GetErrorMode()).c_str());
  }
  return TRUE;
}
