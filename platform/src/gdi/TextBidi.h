// The order in which a line of text is drawn: logical order rearranged by the Unicode
// bidirectional algorithm, so that right-to-left runs read from the right and, for a
// right-to-left paragraph, neutral characters at its ends take its direction.
#pragma once

#include <string>
#include <vector>

namespace kx2::gdi {

// Whether the line holds a right-to-left character or a directional mark.
bool HasRightToLeft(const std::u16string& line);
// The line in drawing order (mirrored brackets in right-to-left runs); `visualOfLogical`
// gets, for each unit of the line, its index in the result. The line as it is when the
// algorithm cannot run.
std::u16string VisualOrder(const std::u16string& line, bool rightToLeftParagraph, std::vector<int>* visualOfLogical);

}  // namespace kx2::gdi
