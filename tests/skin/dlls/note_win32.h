// The test DLLs write what happened to them into environment variables of the
// process, which the tests read after the image is gone.
#pragma once

#include <windows.h>

inline void Note(const char* variable, char what) {
  char buffer[64];
  DWORD n = GetEnvironmentVariableA(variable, buffer, 60);
  if (n >= 60) n = 0;
  buffer[n] = what;
  buffer[n + 1] = 0;
  SetEnvironmentVariableA(variable, buffer);
}

// Entry reasons as digits, and whether the instance handle was null.
inline void NoteEntry(HINSTANCE instance, DWORD reason) {
  Note("SKIN_TEST_REASONS", char('0' + reason));
  Note("SKIN_TEST_INSTANCES", instance ? 'h' : '0');
}
