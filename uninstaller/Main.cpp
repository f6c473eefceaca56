#include "uninstaller/Uninstaller.h"

int main() { return RunUninstallerProcess(); }
