#pragma once
// Where the IDE keeps what the setup program puts into it. Every path is formed from a version's
// "InstallDir" (its Common7\IDE folder, ending in a backslash) by plain concatenation, so that
// the wizard folders lie two levels above it, under "vc7".

#include <string>

// HKEY_LOCAL_MACHINE's key whose subkeys are the IDE versions, each with an "InstallDir" value.
extern const char* const VISUAL_STUDIO_KEY;

std::string WizardProjectsFolder(const std::string& ideFolder);  // ...\vc7\vcprojects
std::string WizardsFolder(const std::string& ideFolder);         // ...\vc7\VCWizards
// Ours in them: the folder "QuillonWiz" under VCWizards and the "QuillonWiz.*" files.
std::string OurWizardFolder(const std::string& ideFolder);
extern const char* const OUR_WIZARD_PROJECT_FILES;
