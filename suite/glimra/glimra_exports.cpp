// The skin library's exports.  Only GetWindowStyle does anything; the menu,
// frame and notification services of the real skin are not part of this
// stand-in and answer 0 without touching anything.
#include "win/skin_style.h"
#include "suite/glimra/window_style.h"

#include <type_traits>

extern "C" IWindowStyle* WINAPI GetWindowStyle() { return SkinWindowStyle(); }
static_assert(std::is_same_v<decltype(&GetWindowStyle), GetWindowStyleFn>);

// No arguments are read; cdecl leaves whatever a caller pushed to the caller.
extern "C" int __cdecl EnableFrameStyledEx() { return 0; }
extern "C" int __cdecl SetForbidStaticColor() { return 0; }
extern "C" void* __cdecl NewInstance_IQzMenu() { return nullptr; }
extern "C" int __cdecl SetGuiConsume() { return 0; }
extern "C" int __cdecl GetQzMenuColor() { return 0; }
extern "C" int __cdecl QzMenuDraw() { return 0; }
extern "C" int __cdecl NotifyStyleChanged() { return 0; }
