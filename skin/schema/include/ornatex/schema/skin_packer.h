// Makes a module skin package (our resource container) from a skin folder, as the package
// reader's module form reads it:
//   *.ini  "TEXTFILE" resources in UTF-16LE (decoded as the folder form decodes them); the
//          default INI is named by "themes.ini" when the folder has one, else by a
//          THEMES_INI text naming the first INI file in name order
//   *.bmp  RT_BITMAP resources (the DIB after the file header)
//   *.png  "PNG" resources
// Resource names are the files' paths inside the folder, with "\" between folders and
// every "." and "\" made "_". Other files are left out.
#pragma once

#include <string>

#include "ornatex/export.h"

// True when the package was written; otherwise false and `failure` names the file that
// could not be used and why ("FILE: reason").
ORNATEX_API bool KtkPackSkinFolder(const std::string& folder, const std::string& output, std::string* failure);
