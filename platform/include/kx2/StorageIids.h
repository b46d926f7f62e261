// The structured-storage interfaces named once for kx2::ComObject: include this rather
// than naming them again (a second KX2_IID of the same interface does not compile).
#pragma once

#include "kx2/ComObject.h"
#include "win/ole.h"

KX2_IID(ISequentialStream, IID_ISequentialStream)
KX2_IID_DERIVED(IStream, IID_IStream, ISequentialStream)
KX2_IID(IStorage, IID_IStorage)
KX2_IID(IEnumSTATSTG, IID_IEnumSTATSTG)
KX2_IID(ILockBytes, IID_ILockBytes)
