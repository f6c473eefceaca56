#include "installer/Driver.h"

#include "NoCrtLib/Console.h"

int RunInstaller() {
    ConsoleLine("This program will install Arvendo Quarnelix 4.26");
    return 200;
}
