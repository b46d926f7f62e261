// A small library the platform's tests load: exports by name and by ordinal, knows its
// own module handle, and carries resources of its own (ModuleProbe.rc).
#include "kx2/Module.h"

KX2_EXPORT int ProbeAnswer() { return 42; }
KX2_EXPORT int ProbeOther() { return 7; }
KX2_EXPORT HMODULE ProbeOwnModule() { return Kx2ThisModule(); }

KX2_EXPORT_ORDINALS({5, "ProbeAnswer"}, {6, "ProbeOther"}, {9, "ProbeMissing"});
