// The importers the filter items drive. Each is used when its header is present; until
// then its filter stays registered but reads no file.
#pragma once

#include "entry/filter_driver.h"

#if __has_include(<foliant/xmind/XMindImport.h>)
#include <foliant/xmind/XMindImport.h>
using XMindImporter = XMindImport;
#else
using XMindImporter = foliant::MissingImport;
#endif

#if __has_include(<foliant/mindmanager/MindManagerImport.h>)
#include <foliant/mindmanager/MindManagerImport.h>
using MindManagerImporter = MindManagerImport;
#else
using MindManagerImporter = foliant::MissingImport;
#endif

// Included for certain now that it exists: a compiler cache does not see a header that
// __has_include found missing appear later, and would keep the stand-in.
#include <foliant/freemind/FreemindImport.h>
using FreeMindImporter = FreemindImport;
