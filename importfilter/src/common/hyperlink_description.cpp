#include <foliant/common/hyperlink_description.h>

#include <memory>

#include <basalt/xml/node.h>

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

}  // namespace

std::u16string BuildHyperlinkDescription(LPCWSTR link, bool absolute, int kind, LPCWSTR subject, LPCWSTR text) {
  using Basalt::XMLDom::XMLNode;
  const char16_t* kindName = KindName(kind);
  if (!kindName) return {};
  std::unique_ptr<XMLNode> root(XMLNode::CreateNode(u"hyperlink", nullptr));
  if (!root) return {};
  if (!root->AppendChild(u"type", kindName)) return {};
  if (!root->AppendChild(u"option", absolute ? u"absolute" : u"relative")) return {};
  root->AppendChild(u"link", link ? link : u"");
  if (subject) root->AppendChild(u"subject", subject);
  root->AppendChild(u"text", text ? text : u"");
  // A copy of the shared default, so that the writer's state is this call's own.
  Basalt::XMLDom::DispOption option = Basalt::XMLDom::optDefault;
  return root->GetXML(&option);
}

}  // namespace foliant
