// The platform's one UTF-8 decoder. Its two users differ only in what they accept and how
// much a bad sequence costs: file names, environment and module texts take the generalized
// form (encoded surrogates pass through) and lose one byte per bad byte; the code-page
// conversion refuses surrogates and replaces a lead byte together with the continuation
// bytes that came with it, and reports that it replaced anything.
#pragma once

#include <string>
#include <string_view>

namespace kx2 {

struct Utf8DecodeOptions {
  // Encoded surrogate code points (U+D800..U+DFFF) decode as themselves.
  bool surrogatesPass = false;
  // A bad sequence becomes one U+FFFD for its lead and the continuation bytes that followed
  // it; otherwise one U+FFFD for the lead alone and decoding goes on at the next byte.
  bool replaceWholeSequence = false;
};

// Malformed input becomes U+FFFD; *replaced (when given) is set once anything was.
std::u16string DecodeUtf8(std::string_view in, Utf8DecodeOptions options, bool* replaced = nullptr);

}  // namespace kx2
