// The importers the filter items drive.
#pragma once

#include <foliant/freemind/freemind_import.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <foliant/xmind/xmind_import.h>

#include "entry/filter_driver.h"

using XMindImporter = XMindImport;
using MindManagerImporter = MindManagerImport;
using FreeMindImporter = FreemindImport;
