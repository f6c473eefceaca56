#pragma once
// How dialogUnitsX/Y hand a single value to MapDialogRect: a zero field is mapped as 1 and
// reset to 0 afterwards, so zero units stay zero pixels.

// The value put into the rectangle for MapDialogRect.
int dialogUnitsToMap(int units);
// The pixels reported for units, given what MapDialogRect made of dialogUnitsToMap(units).
int dialogUnitsResult(int units, int mapped);
