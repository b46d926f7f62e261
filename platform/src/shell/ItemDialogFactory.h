// CoCreateInstance's way to the item dialog: a new open (save = false) or save dialog,
// answered for riid.
#pragma once

#include "win/ole.h"

namespace kx2::shell {

HRESULT CreateItemDialog(bool save, REFIID riid, void** out);

}  // namespace kx2::shell
