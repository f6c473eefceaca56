#pragma once
// The whole run of the installer, from the command line to the exit code.
int RunInstaller();
