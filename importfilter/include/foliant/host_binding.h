// The host application as the plug-in reaches it: bound by ordinal (5 VtlGetApplication,
// 6 VtlCreateObject) in the host module VantorelApp, once, on first use.
#pragma once

#include <vantorel/app_interfaces.h>

// The host's application object (never released), or null when no host is loaded.
IVtlApplication* FoliantHostApplication();
// A new host model object of a class (one reference), or null.
IVtlObject* FoliantCreateObject(LONG classId);
