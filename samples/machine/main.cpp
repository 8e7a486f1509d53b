// sample-machine.exe [both|newest-lacks-wizards|none-complete|no-ide]: lays out the developer
// workstation in the current Wine prefix. sample-machine.exe --snapshot prints the state that
// the setup program may touch; --reset takes the machine away again.
#include "sample_machine.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "both";
    if (std::strcmp(mode, "--snapshot") == 0) {
        std::fputs(SnapshotMachine().c_str(), stdout);
        return 0;
    }
    if (std::strcmp(mode, "--reset") == 0) {
        ResetSampleMachine();
        return 0;
    }
    IdeLayout layout = IdeLayout::BothComplete;
    if (std::strcmp(mode, "newest-lacks-wizards") == 0)
        layout = IdeLayout::NewestLacksWizards;
    else if (std::strcmp(mode, "none-complete") == 0)
        layout = IdeLayout::NoneComplete;
    else if (std::strcmp(mode, "no-ide") == 0)
        layout = IdeLayout::NoVisualStudio;
    else if (std::strcmp(mode, "both") != 0) {
        std::fprintf(stderr, "usage: sample-machine [both|newest-lacks-wizards|none-complete|no-ide|--snapshot|--reset]\n");
        return 2;
    }
    const SampleMachine machine = MakeSampleMachine(layout);
    std::printf("IDE 7.0: %s\nIDE 7.1: %s\nhelp data: %s\n", machine.ide70.c_str(),
                machine.ide71.c_str(), machine.helpFolder.c_str());
    for (const std::string& file : machine.vcComponentsFiles)
        std::printf("settings: %s\n", file.c_str());
    return 0;
}
