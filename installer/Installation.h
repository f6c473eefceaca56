#pragma once
// Steps 11 to 17 of the run: the recorded actions in their fixed order, the search
// path, the association notification, the commit and the completion report.
#include "installer/Driver.h"

class RunRecord;

// Marks the record committed before it commits the actions.
void InstallProduct(const RunFlags& flags, RunRecord& record);

// Starts the installed product without waiting for it; a failure is ignored.
void LaunchProduct();
