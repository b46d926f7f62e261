// What the engine library exports to the host: the one engine's create, reach and destroy,
// and the in-process server entries of a library that serves no class.
#pragma once

#include <win/ole.h>
#include <win/types.h>

class IPresentEngine;

// Answered by DllGetClassObject: the library's class table is empty.
#define PLASTRUM_CLASS_E_CLASSNOTAVAILABLE static_cast<HRESULT>(0x80040111L)

// A new engine, stored as the process's engine; null while the module is not started or
// when memory runs out (nothing is stored then). An earlier engine stays with the module,
// which destroys it at stop.
KX2_EXPORT IPresentEngine* CreatePresentEngine();
// The process's engine, or null.
KX2_EXPORT IPresentEngine* VtlGetPresentEngine();
// Destroys the process's engine, when there is one, and clears it.
KX2_EXPORT void DestroyPresentEngine();

KX2_EXPORT HRESULT DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* out);
KX2_EXPORT HRESULT DllCanUnloadNow();
KX2_EXPORT HRESULT DllRegisterServer();
KX2_EXPORT HRESULT DllUnregisterServer();
