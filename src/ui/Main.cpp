#include "Main.h"

#include "PlaybackCycle.h"
#include "frmTone.h"

std::unique_ptr<frmTone> Main(modTone& module, PlaybackCycle& cycle, Messages& messages)
{
    if (!cycle.CheckSoundCard())
        return nullptr;
    auto window = std::make_unique<frmTone>(module, cycle, messages);
    window->Form_Load();
    window->show();
    return window;
}
