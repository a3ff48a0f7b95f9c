#include "Main.h"

#include "PlaybackCycle.h"
#include "QtToneWindow.h"

std::unique_ptr<QtToneWindow> Main(modTone& module, PlaybackCycle& cycle, Messages& messages)
{
    if (!cycle.CheckSoundCard())
        return nullptr;
    auto window = std::make_unique<QtToneWindow>(module, cycle, messages);
    window->form().Form_Load();
    window->show();
    return window;
}
