#include "ui/DialogUnits.h"

#include "ui/DialogUnitScale.h"

int dialogUnitsX(HWND dialog, int units) {
    RECT rect = {dialogUnitsToMap(units), 0, 0, 0};
    MapDialogRect(dialog, &rect);
    return dialogUnitsResult(units, rect.left);
}

int dialogUnitsY(HWND dialog, int units) {
    RECT rect = {0, dialogUnitsToMap(units), 0, 0};
    MapDialogRect(dialog, &rect);
    return dialogUnitsResult(units, rect.top);
}
