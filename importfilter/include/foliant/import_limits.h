// Limits every importer keeps to, so that a hostile map fails its import instead of
// exhausting the stack or the memory.
#pragma once

#include <cstdint>

namespace foliant {

// Deepest nesting of topics (child, floating, boundary and summary topics alike) that is
// imported; a deeper map ends the import with a message naming the limit. FreeMind and
// MindManager spend at most two elements a level, so they reach it within the host
// parser's limit of 256 nested elements; XMind spends three, and stops earlier.
inline constexpr int kMaxTopicDepth = 100;
inline constexpr int kMaxXMindTopicDepth = 64;

// Largest XML entry of a map package that is read into memory (its declared size; the
// package's own figure is only a claim); a larger one is refused.
inline constexpr uint32_t kMaxXmlEntryBytes = 256u << 20;

// Most bytes one import extracts from a package (pictures and attachments together);
// past it the import ends with a message.
inline constexpr uint64_t kMaxExtractedBytes = uint64_t{2} << 30;

}  // namespace foliant
