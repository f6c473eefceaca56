#include "installer/SystemRequirements.h"

#include "platform/WindowsVersionInfo.h"

void CheckSystemRequirements() {
    // A fresh instance: the check reads the facts as they are now, not as cached.
    WindowsVersionInfo info;
    SystemFacts facts;
    facts.browser = info.InternetExplorerVersion();
    facts.windows = info.WindowsVersion();
    facts.servicePack = info.ServicePack();
    CheckSystemRequirements(facts);
}
