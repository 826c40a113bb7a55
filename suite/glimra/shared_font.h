// The one font the skin gives to every control it styles: 9 pt of the
// system's modern interface face.  Created on first use, kept until unload.
#pragma once
#include <windows.h>

// Null when the font could not be created; controls then keep theirs.
HFONT SkinFont();
