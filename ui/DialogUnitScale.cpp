#include "ui/DialogUnitScale.h"

int dialogUnitsToMap(int units) { return units == 0 ? 1 : units; }

int dialogUnitsResult(int units, int mapped) { return units == 0 ? 0 : mapped; }
