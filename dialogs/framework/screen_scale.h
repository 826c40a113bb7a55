// Pixel figures of a layout drawn at 96 DPI, scaled to the screen a window
// is on, and the sizing a resizable dialog needs at any scale: a smallest
// tracking size and a first size that fits the work area.
#pragma once
#include <windows.h>

class ScreenScale {
public:
    // The vertical DPI of the window's device context (Windows 7 has no
    // per-window DPI: the system DPI applies to every window).
    explicit ScreenScale(HWND window);
    int Dpi() const { return dpi_; }
    // `pixels` at 96 DPI, at this scale; exact at 96 DPI.
    int operator()(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

private:
    int dpi_ = 96;
};

// The smallest size a user may drag a dialog to: empty (no limit) until the
// dialog has worked it out from its controls.
class MinimumTrackSize {
public:
    void Set(SIZE size) { size_ = size; }
    SIZE Get() const { return size_; }
    // WM_GETMINMAXINFO: false (leave it to the default handling) while unset.
    bool Apply(LPARAM minMaxInfo) const;

private:
    SIZE size_ = {0, 0};
};

// Gives a dialog its first size: the template's size, no smaller than
// `minimum` and no larger than the work area of the window's monitor (a
// template drawn in dialog units outgrows a small screen at a high scale),
// centred on the work area when it had to shrink.  Sends WM_SIZE either way,
// so the dialog lays its controls out once before it shows.
void FitDialogToWorkArea(HWND dialog, SIZE minimum);

// Sizes (keeping its place) or moves (keeping its size) a child window, but
// only when it is not so already: under Wine every SetWindowPos is a round
// trip to the window server, with a check of the display settings, even when
// nothing changes, and a list view passes it on to its header.
void SizeChild(HWND child, int cx, int cy);
void MoveChild(HWND child, int x, int y);

// The window rectangle of `window` in screen coordinates, and its size.
RECT ScreenRectOf(HWND window);
int WidthOf(HWND window);
int HeightOf(HWND window);
