// What the recorder engine's SkinH_AttachRes was called with.
#pragma once

struct RecordedAttach {
  int calls;
  const unsigned char* skin;
  unsigned int size;
  const char* password;
  int hue, saturation, brightness;
};

// Exported by the recorder as "Recorded".
typedef const RecordedAttach*(__cdecl* RecordedFunction)();
