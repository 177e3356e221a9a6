// A DLL for the loader's tests: exports by name and ordinal, data that needs
// relocating, imports from kernel32 and user32.
#include <windows.h>

#include "tests/skin/dlls/note_win32.h"

namespace {
int g_counter = 5;
const char* const g_words[] = {"alpha", "beta"};
}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  NoteEntry(instance, reason);
  return TRUE;
}

int Add(int a, int b) { return a + b; }
int Twice(int a) { return 2 * a; }
int NoName() { return 99; }
int* CounterAddress() { return &g_counter; }
const char* Word(int i) { return g_words[i]; }

// Copies `text` upper-cased into `out`; the length through kernel32.
int UpperLength(const char* text, char* out) {
  lstrcpyA(out, text);
  CharUpperA(out);
  return lstrlenA(out);
}

}  // extern "C"
