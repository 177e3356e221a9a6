// The skin engine's published interface (SkinH_EL.dll, our own engine).
//
// SkinH_AttachRes parses a ".SHE" skin held in memory, adjusts its colours by
// hue, saturation and brightness, and from then on paints the calling
// thread's windows and their controls in the skin's colours: the windows that
// exist now and every window the thread creates later, message boxes
// included. It never changes what a control does. The skin bytes are copied;
// the caller's buffer need not outlive the call. A bad skin file returns 0 and
// leaves the windows as they are; success returns 1. `password` may be null;
// our skin files are not encrypted, so it is accepted and not used. Calling
// it again replaces the skin.
#pragma once

#ifdef _WIN32
#define SKINH_API __stdcall
#else
#define SKINH_API
#endif

extern "C" {
typedef int(SKINH_API* SkinHAttachResFunction)(const unsigned char* skin, unsigned int size,
                                               const char* password, int hue, int saturation,
                                               int brightness);
}

// The export's name in the engine DLL.
#define SKINH_ATTACH_RES_NAME "SkinH_AttachRes"
