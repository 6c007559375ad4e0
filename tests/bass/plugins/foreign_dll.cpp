// A DLL that is not one of our add-ons: it exports something, but no marker.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI ForeignAnswer() { return 42; }
