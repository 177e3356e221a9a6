// A DLL whose initialisation refuses to load.
#include <windows.h>

#include "tests/skin/dlls/note_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  NoteEntry(instance, reason);
  return reason != DLL_PROCESS_ATTACH;
}
