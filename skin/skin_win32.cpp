// Program-wide skin state. This build carries no engine yet.
#include "skin/skin.h"

namespace skin {

bool StartSkinEngine() { return false; }

bool AttachSkin() { return false; }

void StopSkinEngine() {}

}  // namespace skin
