#pragma once

#include <memory>

class Messages;
class PlaybackCycle;
class QtToneWindow;
struct modTone;

// Start-up: the sound-device check, then the window, created hidden, loaded, and shown
// modeless with Text1 focused. Nothing when the check fails: the program then ends without
// a window, the check having shown its message.
std::unique_ptr<QtToneWindow> Main(modTone& module, PlaybackCycle& cycle, Messages& messages);
