// Control of the registry's storage, for tests and tools.
#pragma once

#include "win/types.h"

// Closes every hive and invalidates every open key handle (except the predefined roots),
// so that the next registry call reads KX2_REGISTRY, XDG_CONFIG_HOME and the shell-folder
// environment again. Call it only while no other thread uses the registry.
KX2_EXPORT void Kx2RegistryReset();

// Runs several registry calls of the calling thread on the hive of `key` in one
// transaction that holds the hive's write lock (BEGIN IMMEDIATE), so that a read and the
// write that follows it cannot interleave with another thread's or process's: begin,
// make the calls, then end with commit TRUE to keep them or FALSE to undo them. Other
// threads' calls on that hive wait meanwhile. Begins nest; the outermost end decides.
// Win32 results; ending without a begin on this thread gives ERROR_INVALID_FUNCTION.
KX2_EXPORT LONG Kx2RegBeginUpdate(HKEY key);
KX2_EXPORT LONG Kx2RegEndUpdate(HKEY key, BOOL commit);
// As Kx2RegBeginUpdate for calls that only read: one read transaction (one view of the
// hive, one lock round) without the write lock. Inside it a call that writes fails with
// ERROR_ACCESS_DENIED and Kx2RegBeginUpdate with ERROR_INVALID_FUNCTION; it ends with
// Kx2RegEndUpdate.
KX2_EXPORT LONG Kx2RegBeginRead(HKEY key);
// As Kx2RegBeginUpdate without taking the write lock at the start: the calls read from one
// view of the hive, and the first call that writes takes the lock. That write fails at once
// (ERROR_REGISTRY_IO_FAILED) when another thread or process holds the lock or has written
// since the first read, as what was read may be out of date then: end with FALSE and redo
// the whole with Kx2RegBeginUpdate. For a read that may lead to a write after a long wait
// (a network call), during which holding the write lock would stop every other writer.
KX2_EXPORT LONG Kx2RegBeginDeferredUpdate(HKEY key);
