#include "installer/Driver.h"

int main() { return RunInstaller(); }
