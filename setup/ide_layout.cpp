#include "ide_layout.h"

const char* const VISUAL_STUDIO_KEY = "SOFTWARE\\Microsoft\\VisualStudio";
const char* const OUR_WIZARD_PROJECT_FILES = "QuillonWiz.*";

std::string WizardProjectsFolder(const std::string& ideFolder)
{
    return ideFolder + "..\\..\\vc7\\vcprojects";
}

std::string WizardsFolder(const std::string& ideFolder)
{
    return ideFolder + "..\\..\\vc7\\VCWizards";
}

std::string OurWizardFolder(const std::string& ideFolder)
{
    return WizardsFolder(ideFolder) + "\\QuillonWiz";
}
