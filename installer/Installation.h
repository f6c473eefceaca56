#pragma once
// Steps 11 to 17 of the run: the recorded actions in their fixed order, the search
// path, the association notification, the commit and the completion report.
#include "installer/Driver.h"

#include <memory>

class RunRecord;
struct PackageStream;

// Marks the record committed before it commits the actions.
// The package goes once its files are written.
void InstallProduct(const RunFlags& flags, RunRecord& record, std::unique_ptr<PackageStream> package);

// Starts the installed product without waiting for it; a failure is ignored.
void LaunchProduct();
