// GUIDs the host gives out: from a counter, so that a run prints the same every time.
#pragma once

#include <string>

#include <win/types.h>

namespace vantorel::detail {

// {0000000n-5654-4C00-8000-000000000000}, n counting from 1.
GUID NextGuid();
void ResetGuidCounter();
bool IsNullGuid(const GUID& guid);
// The registry form with braces, as StringFromGUID2 writes it.
std::string GuidText(const GUID& guid);
// A stock GUID of the host: first word `number`, the rest zero (marker groups and entries).
GUID StockGuid(DWORD number);

}  // namespace vantorel::detail
