#include <foliant/common/hyperlink_description.h>

#include <cstdint>
#include <new>
#include <string_view>

#include <basalt/xml/options.h>

namespace foliant {
namespace {

const char16_t* KindName(int kind) {
  switch (kind) {
    case kLinkWeb:
      return u"web";
    case kLinkFile:
      return u"file";
    case kLinkEmail:
      return u"email";
    case kLinkCurrent:
      return u"current";
    case kLinkFolder:
      return u"folder";
    default:
      return nullptr;
  }
}

// Writes the element the foundation's XML writer writes for a "hyperlink" node and its
// children, without building the node: every link of a large map would otherwise build and
// free a small tree. The layout and the references follow the writer's shared options as
// they stand at the call, as the writer would.
class DescriptionWriter {
 public:
  explicit DescriptionWriter(const Basalt::XMLDom::DispOption& option)
      : newline_(option.newline != 0),
        depth_(option.depth),
        entities_(option.encodeEntities ? option.entities : nullptr) {
    if (!entities_) return;
    for (const Basalt::XMLDom::XmlEntiry& e : entities_->entries) {
      if (e.character < 128)
        ascii_[e.character >> 6] |= uint64_t{1} << (e.character & 63);
      else
        wide_ = true;
    }
  }

  // Room for the element around texts of `units` units (more when references stand in).
  void Reserve(size_t units) {
    out_.reserve(units + 128 + (newline_ && depth_ > 0 ? 6 * static_cast<size_t>(depth_) : 0));
  }
  void Open() {
    Line(depth_);
    out_ += u"<hyperlink>";
  }
  void Child(std::u16string_view name, std::u16string_view value) {
    Line(depth_ + 1);
    out_ += u'<';
    out_ += name;
    if (value.empty()) {
      out_ += u"/>";
      return;
    }
    out_ += u'>';
    Encoded(value);
    out_ += u"</";
    out_ += name;
    out_ += u'>';
  }
  std::u16string Close() {
    Line(depth_);
    out_ += u"</hyperlink>";
    return std::move(out_);
  }

 private:
  void Line(int32_t depth) {
    if (!newline_) return;
    out_ += u'\n';
    if (depth > 0) out_.append(static_cast<size_t>(depth), u'\t');
  }
  // A character of the entity table is written as its reference.
  void Encoded(std::u16string_view text) {
    if (!entities_) {
      out_ += text;
      return;
    }
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    const char16_t* run = p;
    for (; p != end; ++p) {
      const char16_t c = *p;
      if (c < 128 ? !(ascii_[c >> 6] >> (c & 63) & 1) : !wide_) continue;
      const Basalt::XMLDom::XmlEntiry* e = entities_->GetEntity(c);
      if (!e) continue;
      out_.append(run, p);
      const int32_t length = e->referenceLength;
      if (length > 0)
        out_.append(e->reference,
                    length > Basalt::XMLDom::kEntityReferenceUnits ? Basalt::XMLDom::kEntityReferenceUnits : length);
      run = p + 1;
    }
    out_.append(run, end);
  }

  bool newline_;
  int32_t depth_;
  const Basalt::XMLDom::XMLEntitys* entities_;
  uint64_t ascii_[2] = {0, 0};
  bool wide_ = false;
  std::u16string out_;
};

}  // namespace

std::u16string BuildHyperlinkDescription(LPCWSTR link, bool absolute, int kind, LPCWSTR subject, LPCWSTR text) {
  const char16_t* kindName = KindName(kind);
  if (!kindName) return {};
  try {
    DescriptionWriter writer(Basalt::XMLDom::optDefault);
    auto length = [](LPCWSTR s) { return s ? std::char_traits<char16_t>::length(s) : 0; };
    writer.Reserve(length(link) + length(subject) + length(text));
    writer.Open();
    writer.Child(u"type", kindName);
    writer.Child(u"option", absolute ? u"absolute" : u"relative");
    writer.Child(u"link", link ? link : u"");
    if (subject) writer.Child(u"subject", subject);
    writer.Child(u"text", text ? text : u"");
    return writer.Close();
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace foliant
