#include "installer/SystemRequirements.h"

#include "installer/Driver.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "ui/Prompt.h"

const char* const RequirementsBoxCaption = "Unsupported OS Version Detected";

std::string RequirementsProblemText() {
    return std::string(ProductShortName) +
           " requires Windows 98 or Windows NT 4.0 SP3 and Internet Explorer 4.0, or higher";
}

std::string RequirementsBoxText() {
    return std::string("The minimum requirements for installing ") + ProductShortName +
           " are:\n- Windows 98 or Windows NT 4.0 SP3,\n- Internet Explorer 4.0.\n\n"
           "Does your system meet " + ProductShortName + " minimum requirements?";
}

bool MeetsSystemRequirements(const SystemFacts& facts) {
    if (facts.browser < InternetExplorer4Version) return false;
    const VersionTriple& w = facts.windows;
    if (!IsNtFamily(w)) return w >= Windows98Version;
    if (w.b == 4 && w.c == 0) return facts.servicePack >= 3;
    return w > WindowsNT4Version;
}

void CheckSystemRequirements(const SystemFacts& facts) {
    if (MeetsSystemRequirements(facts)) return;
    Prompt::ContinueQuestion question;
    question.boxText = RequirementsBoxText();
    question.caption = RequirementsBoxCaption;
    question.careful = true;  // No is the default: Enter must not install on an old system
    question.warningLine = "Warning: " + RequirementsProblemText();
    question.abortLine = RequirementsProblemText() + " (use /Force flag to override version checking); aborting";
    question.exitCode = ExitRequirementsNotMet;
    Prompt::ContinueOrAbort(question, PromptMode());
}
