// Check-box and radio-group exchange in the shape of WTL's DDX_Check and
// DDX_Radio, for dialogs that keep button states in plain integer fields.
#pragma once
#include <windows.h>

// Sets a check box from a BM_GETCHECK-style state; a state outside 0..2
// (unchecked, checked, indeterminate) is written as unchecked.
void WriteCheckState(HWND dialog, int id, int state);
// BM_GETCHECK of the control.
int ReadCheckState(HWND dialog, int id);

// A radio group is the control `firstId` and the controls after it in tab
// order up to the next one with WS_GROUP; only radio buttons count, from 0.
// Checks exactly the button whose index equals `choice`.
void WriteRadioChoice(HWND dialog, int firstId, int choice);
// The index of the checked radio button, or -1 when none is checked.
int ReadRadioChoice(HWND dialog, int firstId);
