// The COM runtime, as far as the system creates objects through it: CoCreateInstance
// knows the classes the platform carries (the MSXML document of win/msxml.h, the open and
// save dialogs of win/shobjidl.h), and
// CreateStreamOnHGlobal gives a stream over a memory block.
#pragma once

#include "win/errors.h"
#include "win/ole.h"
#include "win/types.h"

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0

#define REGDB_E_CLASSNOTREG static_cast<HRESULT>(0x80040154L)
#define CLASS_E_NOAGGREGATION static_cast<HRESULT>(0x80040110L)

// Nothing to set up: objects need no apartment here. S_OK.
KX2_EXPORT HRESULT CoInitialize(LPVOID pvReserved);
KX2_EXPORT HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
KX2_EXPORT void CoUninitialize();

// REGDB_E_CLASSNOTREG for a class the platform does not carry; CLASS_E_NOAGGREGATION
// with an outer object; E_NOINTERFACE when the object lacks the interface.
KX2_EXPORT HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);
// Every object is in-process and running: S_OK for any object.
KX2_EXPORT HRESULT OleRun(LPUNKNOWN pUnknown);

// A seekable stream over a movable memory block. A null hGlobal allocates a new block;
// with fDeleteOnRelease the block is freed with the stream's last reference. The stream's
// size is its own: the block may be larger.
KX2_EXPORT HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm);
KX2_EXPORT HRESULT GetHGlobalFromStream(LPSTREAM pstm, HGLOBAL* phglobal);
