// What the COM runtime needs of the document object model.
#pragma once

#include <win/types.h>

namespace kx2::msxml {

// A new, empty DOMDocument asked for the interface riid.
HRESULT CreateDocument(REFIID riid, void** out);

}  // namespace kx2::msxml
