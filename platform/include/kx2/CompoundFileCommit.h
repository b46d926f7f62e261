// Test seam: the steps of a compound-file commit to a file.
//
// A commit writes the new image's sectors where the previous image does not lie, flushes
// them, then writes the header that names them and flushes again; only then is the file
// trimmed. A process that dies at any step leaves the previous document or the new one,
// whole. Tests stop a child process at a chosen step through this hook.
#pragma once

#include "win/types.h"

enum Kx2CommitStep {
  KX2_COMMIT_SECTORS_WRITTEN = 1,  // one more piece of the new sectors is in the file
  KX2_COMMIT_SECTORS_FLUSHED = 2,  // they have reached the disk; the old header still rules
  KX2_COMMIT_HEADER_WRITTEN = 3,   // the new header is in the file, not yet flushed
  KX2_COMMIT_HEADER_FLUSHED = 4,   // the new document is durable
  KX2_COMMIT_TRIMMED = 5,          // the file ends where the new image ends
};

// Called at every step of every commit to a file, on the committing thread; null removes
// the hook. The hook is process-wide.
typedef void (*Kx2CommitHook)(enum Kx2CommitStep step, void* context);
KX2_EXPORT void Kx2SetCommitHook(Kx2CommitHook hook, void* context);
