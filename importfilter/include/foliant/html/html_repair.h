// HTML as FreeMind 0.8 writes it into a node's "TEXT" ("<html><body><p>a<br>b"): made
// well-formed XML for the host's parser, so that it is read as rich content is.
#pragma once

#include <string>
#include <string_view>

namespace HTML {

// True when the text is HTML markup: "<html" (any case) after leading blanks.
bool IsHtmlText(std::u16string_view text);

// The markup as one well-formed XML document (UTF-8) whose root "html-fragment" holds the
// elements: tag and attribute names in lower case, attribute values quoted, void elements
// ("br", "img", ...) closed, elements left open closed where their parent ends, paragraphs
// and list items closed by the next one, content of "html" outside "head" placed in an
// implied "body", character and the common named references resolved, comments and
// declarations dropped, and every "<" or "&" that starts no markup kept as text.
std::string RepairHtml(std::u16string_view html);

}  // namespace HTML
