// Why an import ended: said once, in the message sink (a message box), the thread's error
// record, and so on the host's report.
#pragma once

#include <cstdint>
#include <string>

#include <win/types.h>

namespace foliant {

// Shows the text and makes it the error record's message.
void ReportImportFailure(const std::u16string& text);

// "The map is nested deeper than <levels> levels."
std::u16string TooDeepText(int levels);

// "The map's pictures and attachments take more than <megabytes> MB."
std::u16string TooLargeText(uint64_t bytes);

// Why the host's parser refused a map's XML: its own text (with line and column), or the
// depth message when it stopped at its nesting limit (a map nests deeper than the
// importer's `levels` long before that).
std::u16string ParseFailureText(LPCWSTR parserError, int levels);

}  // namespace foliant
