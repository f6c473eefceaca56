#pragma once
// Dialog-unit arithmetic: what MapDialogRect computes, and how dialogUnitsX/Y hand a
// single value to it (a zero field is mapped as 1 and reset to 0 afterwards, so zero
// units stay zero pixels).

// units * baseUnit / divisor, rounded half away from zero (MulDiv). Horizontal units
// use the dialog font's average character width and divisor 4, vertical units its
// character height and divisor 8.
int scaleDialogUnits(int units, int baseUnit, int divisor);

// The value put into the rectangle for MapDialogRect.
int dialogUnitsToMap(int units);
// The pixels reported for units, given what MapDialogRect made of dialogUnitsToMap(units).
int dialogUnitsResult(int units, int mapped);

// The average character width of a font as dialogs measure it: the extent of the 52
// letters "A".."Z", "a".."z" divided by 52, rounded.
int dialogBaseUnitX(int extentOfAlphabet);
