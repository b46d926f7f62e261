// MFC's start for a program: the application object's InitInstance, then (as no program of
// the system runs a message loop) its ExitInstance, whose result is the exit code. The
// command line stays readable through __argc and __argv (8-bit; UTF-8 here).
#pragma once

#include "win/afx.h"

extern "C" KX2_API int __argc;
extern "C" KX2_API char** __argv;

// Call from main: return AfxWinMain(theApp, argc, argv);
KX2_API int AfxWinMain(CWinApp& app, int argc, char** argv);
