// Menu templates whose size is known: the standard and the extended (MENUEX) form, read
// within `size` bytes. A template that is malformed or runs past its size fails with
// ERROR_INVALID_PARAMETER and leaves no menu behind. LoadMenuW reads resources this way.
#pragma once

#include "win/types.h"

KX2_EXPORT HMENU Kx2LoadMenuTemplate(const void* data, SIZE_T size);
