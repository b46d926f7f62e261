// The two exports of libVantorelApp that the modules bind by ordinal.
#pragma once

#include <vantorel/app_interfaces.h>

// Export ordinals of the host module.
enum : WORD {
  kVtlOrdinalGetApplication = 5,
  kVtlOrdinalCreateObject = 6,
};

// The application object (never released by the caller).
KX2_EXPORT IVtlApplication* VtlGetApplication();
// A new, empty model object of a class (one reference), or null for an unknown class.
KX2_EXPORT IVtlObject* VtlCreateObject(LONG classId);

typedef IVtlApplication* (*VtlGetApplicationFunc)();
typedef IVtlObject* (*VtlCreateObjectFunc)(LONG classId);
