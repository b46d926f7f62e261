// The importers the filter items drive.
#pragma once

#include <foliant/freemind/FreemindImport.h>
#include <foliant/mindmanager/MindManagerImport.h>
#include <foliant/xmind/XMindImport.h>

#include "entry/filter_driver.h"

using XMindImporter = XMindImport;
using MindManagerImporter = MindManagerImport;
using FreeMindImporter = FreemindImport;
