// A stand-in skin engine that records the attach call instead of skinning.
#include <windows.h>

#include "skin/engine/skinh.h"
#include "tests/skin/dlls/note_win32.h"
#include "tests/skin/dlls/recorder.h"

namespace {
RecordedAttach g_recorded;
}

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  NoteEntry(instance, reason);
  return TRUE;
}

__declspec(dllexport) int SKINH_API SkinH_AttachRes(const unsigned char* skin, unsigned int size,
                                                    const char* password, int hue,
                                                    int saturation, int brightness) {
  ++g_recorded.calls;
  g_recorded.skin = skin;
  g_recorded.size = size;
  g_recorded.password = password;
  g_recorded.hue = hue;
  g_recorded.saturation = saturation;
  g_recorded.brightness = brightness;
  return 1;
}

__declspec(dllexport) const RecordedAttach* Recorded() { return &g_recorded; }

}  // extern "C"
