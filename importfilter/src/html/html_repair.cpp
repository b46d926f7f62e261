#include <foliant/html/html_repair.h>

#include <algorithm>
#include <vector>

#include <kx2/Utf.h>

namespace HTML {
namespace {

constexpr std::u16string_view kVoidTags[] = {u"area",  u"base", u"br",   u"col",   u"embed",  u"hr", u"img",
                                             u"input", u"link", u"meta", u"param", u"source", u"wbr"};
constexpr std::u16string_view kBlockTags[] = {u"p",  u"div", u"ul", u"ol",  u"table",      u"h1",     u"h2",     u"h3",
                                              u"h4", u"h5",  u"h6", u"pre", u"blockquote", u"center", u"address"};

struct NamedReference {
  std::u16string_view name;
  char16_t value;
};

// The references HTML editors of that time wrote; any other stays as its text.
constexpr NamedReference kNamedReferences[] = {
    {u"amp", u'&'},         {u"lt", u'<'},          {u"gt", u'>'},          {u"quot", u'"'},
    {u"apos", u'\''},       {u"nbsp", u'\u00A0'},   {u"copy", u'\u00A9'},   {u"reg", u'\u00AE'},
    {u"trade", u'\u2122'},  {u"deg", u'\u00B0'},    {u"times", u'\u00D7'},  {u"middot", u'\u00B7'},
    {u"bull", u'\u2022'},   {u"hellip", u'\u2026'}, {u"ndash", u'\u2013'},  {u"mdash", u'\u2014'},
    {u"lsquo", u'\u2018'},  {u"rsquo", u'\u2019'},  {u"ldquo", u'\u201C'},  {u"rdquo", u'\u201D'},
    {u"laquo", u'\u00AB'},  {u"raquo", u'\u00BB'},  {u"euro", u'\u20AC'},   {u"shy", u'\u00AD'},
    {u"sect", u'\u00A7'},   {u"para", u'\u00B6'},   {u"auml", u'\u00E4'},   {u"ouml", u'\u00F6'},
    {u"uuml", u'\u00FC'},   {u"Auml", u'\u00C4'},   {u"Ouml", u'\u00D6'},   {u"Uuml", u'\u00DC'},
    {u"szlig", u'\u00DF'},  {u"eacute", u'\u00E9'}, {u"egrave", u'\u00E8'}, {u"agrave", u'\u00E0'},
    {u"ccedil", u'\u00E7'},
};

bool Contains(const std::u16string_view* begin, const std::u16string_view* end, std::u16string_view name) {
  return std::find(begin, end, name) != end;
}
bool IsVoid(std::u16string_view name) { return Contains(std::begin(kVoidTags), std::end(kVoidTags), name); }
bool IsBlock(std::u16string_view name) { return Contains(std::begin(kBlockTags), std::end(kBlockTags), name); }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsNameChar(char16_t c) { return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_'; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Characters XML 1.0 allows.
bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// XML holds no half of a surrogate pair on its own.
std::u16string WithoutLoneSurrogates(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out += c;
      out += text[++i];
    } else if (c < 0xD800 || c > 0xDFFF) {
      out += c;
    }
  }
  return out;
}

class Repair {
 public:
  // Read in place unless it holds a surrogate (then a copy without the lone ones).
  explicit Repair(std::u16string_view in) : in_(in) {
    if (std::any_of(in.begin(), in.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; })) {
      source_ = WithoutLoneSurrogates(in);
      in_ = source_;
    }
  }

  std::string Run() {
    // The repaired text is about as long as the markup: grown once, not doubled as it goes.
    out_.reserve(in_.size() + in_.size() / 4 + 64);
    out_ = u"<html-fragment>";
    while (at_ < in_.size()) {
      const char16_t c = in_[at_];
      if (c == u'<') {
        Markup();
      } else if (c == u'&') {
        Reference();
      } else {
        Text(c);
        ++at_;
      }
    }
    while (!open_.empty()) Close();
    out_ += u"</html-fragment>";
    return kx2::Utf16ToUtf8(out_);
  }

 private:
  void Markup() {
    const std::u16string_view rest = in_.substr(at_);
    if (rest.substr(0, 4) == u"<!--") {
      const size_t end = rest.find(u"-->", 4);
      at_ = end == rest.npos ? in_.size() : at_ + end + 3;
    } else if (rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?')) {
      const size_t end = rest.find(u'>');
      at_ = end == rest.npos ? in_.size() : at_ + end + 1;
    } else if (rest.size() > 2 && rest[1] == u'/' && IsAsciiLetter(rest[2])) {
      at_ += 2;
      EndTag(Name());
      const size_t end = in_.find(u'>', at_);
      at_ = end == in_.npos ? in_.size() : end + 1;
    } else if (rest.size() > 1 && IsAsciiLetter(rest[1])) {
      ++at_;
      StartTag();
    } else {
      out_ += u"&lt;";
      ++at_;
    }
  }

  std::u16string Name() {
    std::u16string name;
    while (at_ < in_.size() && IsNameChar(in_[at_])) name += Lower(in_[at_++]);
    // A prefix ("o:p") is no namespace the document declares: the local name stands.
    if (at_ < in_.size() && in_[at_] == u':') {
      ++at_;
      std::u16string local;
      while (at_ < in_.size() && IsNameChar(in_[at_])) local += Lower(in_[at_++]);
      // A local part that is no name ("h:2") leaves the prefix as the name.
      if (!local.empty() && IsAsciiLetter(local[0])) name = std::move(local);
    }
    return name;
  }

  void StartTag() {
    const std::u16string name = Name();
    std::u16string attributes;
    std::vector<std::u16string> seen;  // a tag has few attributes: looked through in order
    bool selfClosing = false;
    while (at_ < in_.size()) {
      while (at_ < in_.size() && IsBlank(in_[at_])) ++at_;
      if (at_ >= in_.size()) break;
      if (in_[at_] == u'>') {
        ++at_;
        break;
      }
      if (in_[at_] == u'/') {
        ++at_;
        if (at_ < in_.size() && in_[at_] == u'>') {
          selfClosing = true;
          ++at_;
          break;
        }
        continue;
      }
      std::u16string attribute;
      while (at_ < in_.size() && !IsBlank(in_[at_]) && in_[at_] != u'=' && in_[at_] != u'>' && in_[at_] != u'/') {
        if (IsNameChar(in_[at_])) attribute += Lower(in_[at_]);
        ++at_;
      }
      while (at_ < in_.size() && IsBlank(in_[at_])) ++at_;
      std::u16string value;
      if (at_ < in_.size() && in_[at_] == u'=') {
        ++at_;
        while (at_ < in_.size() && IsBlank(in_[at_])) ++at_;
        value = AttributeValue();
      }
      const bool named = !attribute.empty() && IsAsciiLetter(attribute[0]);
      if (named && std::find(seen.begin(), seen.end(), attribute) == seen.end()) {
        attributes.append(u" ").append(attribute).append(u"=\"").append(value).append(u"\"");
        seen.push_back(std::move(attribute));
      }
    }
    if (name.empty()) return;
    ImplyFor(name);
    out_.append(u"<").append(name).append(attributes);
    if (selfClosing || IsVoid(name)) {
      out_ += u"/>";
      return;
    }
    out_ += u">";
    open_.push_back(name);
  }

  // An attribute's value, escaped for a double-quoted XML attribute.
  std::u16string AttributeValue() {
    std::u16string raw;
    if (at_ < in_.size() && (in_[at_] == u'"' || in_[at_] == u'\'')) {
      const char16_t quote = in_[at_++];
      const size_t end = in_.find(quote, at_);
      const size_t stop = end == in_.npos ? in_.size() : end;
      raw = in_.substr(at_, stop - at_);
      at_ = end == in_.npos ? in_.size() : end + 1;
    } else {
      while (at_ < in_.size() && !IsBlank(in_[at_]) && in_[at_] != u'>') raw += in_[at_++];
    }
    Repair inner(raw);
    while (inner.at_ < inner.in_.size()) {
      if (inner.in_[inner.at_] == u'&') {
        inner.Reference();
      } else {
        inner.Text(inner.in_[inner.at_++]);
      }
    }
    return inner.out_;
  }

  // A character reference or a known named one as its character; any other "&" as text.
  void Reference() {
    const std::u16string_view rest = in_.substr(at_);
    const size_t semicolon = rest.find(u';');
    if (semicolon != rest.npos && semicolon > 1 && semicolon <= 10) {
      const std::u16string_view body = rest.substr(1, semicolon - 1);
      if (body[0] == u'#') {
        char32_t code = 0;
        bool valid = body.size() > 1;
        const bool hex = valid && (body[1] == u'x' || body[1] == u'X');
        for (size_t i = hex ? 2 : 1; valid && i < body.size(); ++i) {
          const char16_t d = body[i];
          int digit = -1;
          if (d >= u'0' && d <= u'9') digit = d - u'0';
          if (hex && d >= u'a' && d <= u'f') digit = d - u'a' + 10;
          if (hex && d >= u'A' && d <= u'F') digit = d - u'A' + 10;
          valid = digit >= 0 && code <= 0x10FFFF;
          code = code * (hex ? 16 : 10) + static_cast<char32_t>(digit < 0 ? 0 : digit);
        }
        valid = valid && body.size() > (hex ? 2u : 1u);
        if (valid) {
          if (IsXmlChar(code) && code < 0x10000) Text(static_cast<char16_t>(code));
          if (IsXmlChar(code) && code >= 0x10000) {
            out_ += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out_ += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
          }
          at_ += semicolon + 1;
          return;
        }
      } else {
        for (const NamedReference& r : kNamedReferences)
          if (r.name == body) {
            Text(r.value);
            at_ += semicolon + 1;
            return;
          }
      }
    }
    out_ += u"&amp;";
    ++at_;
  }

  void Text(char16_t c) {
    if (!open_.empty() && open_.back() == u"html" && !IsBlank(c)) ImplyFor(u"#text");
    switch (c) {
      case u'&':
        out_ += u"&amp;";
        return;
      case u'<':
        out_ += u"&lt;";
        return;
      case u'>':
        // Always escaped: "]]>" may not stand in character data.
        out_ += u"&gt;";
        return;
      case u'"':
        out_ += u"&quot;";
        return;
      default:
        // Surrogate halves arrive in pairs: the source holds no other.
        if ((c >= 0xD800 && c <= 0xDFFF) || IsXmlChar(c)) out_ += c;
    }
  }

  // What a new element implies: content of "html" other than "head" and "body" goes into a
  // body; a paragraph ends where a block or another paragraph starts; a list item where
  // the next item starts; a cell where the next cell starts.
  void ImplyFor(std::u16string_view name) {
    if (name == u"p" || IsBlock(name) || name == u"li") CloseOpen(u"p", {u"td", u"th", u"li", u"body", u"blockquote"});
    if (name == u"li") CloseOpen(u"li", {u"ul", u"ol"});
    if (name == u"td" || name == u"th") {
      CloseOpen(u"td", {u"tr", u"table"});
      CloseOpen(u"th", {u"tr", u"table"});
    }
    if (name == u"tr") CloseOpen(u"tr", {u"table", u"tbody", u"thead", u"tfoot"});
    if (!open_.empty() && open_.back() == u"html" && name != u"head" && name != u"body") {
      out_ += u"<body>";
      open_.push_back(u"body");
    }
  }

  // Closes the open element `name` when it is open above every element of `barriers`.
  void CloseOpen(std::u16string_view name, std::initializer_list<std::u16string_view> barriers) {
    for (size_t i = open_.size(); i-- > 0;) {
      if (std::find(barriers.begin(), barriers.end(), open_[i]) != barriers.end()) return;
      if (open_[i] == name) {
        while (open_.size() > i) Close();
        return;
      }
    }
  }

  void EndTag(const std::u16string& name) {
    // An end tag that matches no open element is dropped; one that does closes what was
    // left open inside it.
    for (size_t i = open_.size(); i-- > 0;)
      if (open_[i] == name) {
        while (open_.size() > i) Close();
        return;
      }
  }

  void Close() {
    out_ += u"</" + open_.back() + u">";
    open_.pop_back();
  }

  std::u16string source_;
  std::u16string_view in_;
  size_t at_ = 0;
  std::u16string out_;
  std::vector<std::u16string> open_;
};

}  // namespace

bool IsHtmlText(std::u16string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (text.size() - at < 5) return false;
  std::u16string start;
  for (size_t i = at; i < at + 5; ++i) start += Lower(text[i]);
  return start == u"<html" && (text.size() - at == 5 || text[at + 5] == u'>' || IsBlank(text[at + 5]));
}

std::string RepairHtml(std::u16string_view html) { return Repair(html).Run(); }

}  // namespace HTML
