#pragma once
// A developer workstation made out of a fresh Wine prefix: two IDE versions with their wizard
// folders, several user profiles with their IDE settings, and the help system's registration
// files holding other collections. Also a snapshot of everything the setup program may touch.

#include <string>
#include <vector>

enum class IdeLayout {
    BothComplete,        // 7.0 and 7.1, each with vcprojects and VCWizards
    NewestLacksWizards,  // 7.1 without VCWizards, 7.0 complete
    NoneComplete,        // neither has the wizard folders; both have "InstallDir"
    NoVisualStudio,      // no "SOFTWARE\Microsoft\VisualStudio" key at all
};

struct SampleMachine {
    std::string ide70;  // "InstallDir" of 7.0 (ends in a backslash)
    std::string ide71;
    std::string helpFolder;                     // the help data folder
    std::vector<std::string> vcComponentsFiles;  // every VCComponents.dat laid out
};

// Lays the machine out in the current prefix (registry and files); returns what it made.
SampleMachine MakeSampleMachine(IdeLayout layout);

// Takes away everything MakeSampleMachine made and what an install into the proposed folder
// adds, so that the next test starts from a fresh prefix's state.
void ResetSampleMachine();

// The IDE settings file each user starts with.
extern const char* const SAMPLE_VCCOMPONENTS;
extern const char* const SAMPLE_VCCOMPONENTS_ALICE;
// The help registration files the machine starts with, byte for byte.
std::string SampleNamespaceList();
std::string SampleCollectionFile();

// Byte builders for help record files (32-bit little-endian numbers, UTF-16 texts with their
// byte count), written out by hand for fixtures and expected results.
std::string HelpU32(unsigned value);
std::string HelpText(const std::string& narrow);
std::string HelpText(const std::u16string& characters);  // the UTF-16 of the characters
std::string HelpRecord(unsigned type, const std::string& payload);
std::string HelpHeader(int version);

// Every file (with its bytes) and registry value the setup program may touch, one per line.
std::string SnapshotMachine();
