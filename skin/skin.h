// The window's skin: the skin engine that the program carries inside itself,
// mapped from memory at start, and the embedded skin file it applies.
//
// All three run on the user-interface thread. A build without an engine, or an
// engine that fails to map, leaves the window with the plain system look;
// nothing else in the program depends on the skin.
#pragma once

namespace skin {

// Program start, before the main window exists: maps the embedded engine
// image. False when the build carries no engine or the mapping failed.
bool StartSkinEngine();

// Called from the main window's window-created handler, before the radio
// states are set: attaches the embedded skin file to the thread's windows.
// False, and no effect, when no engine is mapped or it lacks the attach export.
bool AttachSkin();

// The exit routine: releases the program's copy of the skin data and drops
// the engine object without unloading the engine, which stays attached to the
// windows until the process ends.
void StopSkinEngine();

}  // namespace skin
