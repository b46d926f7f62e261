// Notes: the XHTML form, paragraph by paragraph with the styles of its spans, or the plain
// form when the note has no XHTML form.
#include <foliant/common/topic_text.h>
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

// Text of an XHTML element: line breaks and tabs are blanks there, as a browser shows them.
std::u16string HtmlText(std::u16string text) {
  for (char16_t& c : text)
    if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
  return text;
}

// Layout between the tags of an indented file, not text.
bool IsIndentation(std::u16string_view text) {
  return text.find_first_not_of(u" \t\r\n") == std::u16string_view::npos &&
         text.find(u'\n') != std::u16string_view::npos;
}

}  // namespace

void SheetReader::ImportNotes(IVtlObject*, IKX2XMLElement* notes) {
  std::vector<kx2::Ref<IKX2XMLElement>> forms;
  kx2::Ref<IKX2XMLElement> plain;
  ForEachChildElement(notes, [&](IKX2XMLElement* child) {
    if (TagIs(child, u"html"))
      forms.push_back(kx2::Ref<IKX2XMLElement>::Share(child));
    else if (TagIs(child, u"plain") && !plain)
      plain = kx2::Ref<IKX2XMLElement>::Share(child);
    return true;
  });
  // The notes object attached to the topic becomes the target of the text input.
  auto begin = [&]() -> bool {
    ObjectRef object = NewObject(kClassNotes);
    if (!object || !model_->AttachObject(0, kRoleNotes, object.get(), 0)) return false;
    ObjectRef target(object->GetTarget(0));
    return target && model_->PlaceObject(0, target.get(), -1);
  };

  if (forms.empty()) {
    if (plain && begin()) WriteHostText(model_.get(), ElementText(plain.get()));
    return;
  }
  for (const auto& html : forms) {
    if (!begin()) continue;
    bool first = true;
    bool styled = false;
    ForEachChildNode(html.get(), [&](IKX2XMLNode* child) {
      IKX2XMLElement* element = AsElement(child);
      std::u16string loose;
      if (!element) {
        LPCWSTR value = child->GetNodeValue();
        loose = value ? value : u"";
        if (loose.empty() || IsIndentation(loose)) return true;
      }
      if (!first) model_->InsertParagraphBreak(0, 0, 0);
      first = false;
      if (element && TagIs(element, u"xhtml:p"))
        WriteHtmlParagraph(element, styled);
      else
        WriteHostText(model_.get(), HtmlText(element ? ElementText(element) : loose));
      return true;
    });
  }
}

void SheetReader::WriteHtmlParagraph(IKX2XMLElement* paragraph, bool& styled) {
  auto plainText = [&](std::u16string text) {
    if (text.empty()) return;
    if (styled) {
      // Back to the note's own style, so that a span's format does not run on.
      ApplyTextStyle(model_.get(), StyleMap());
      styled = false;
    }
    WriteHostText(model_.get(), HtmlText(std::move(text)));
  };
  auto inlineNode = [&](IKX2XMLNode* node, auto& self) -> bool {
    IKX2XMLElement* element = AsElement(node);
    if (!element) {
      LPCWSTR value = node->GetNodeValue();
      if (value && !IsIndentation(value)) plainText(value);
      return true;
    }
    // The tag is read once for the names it is compared with.
    LPCWSTR tagName = element->GetTagName();
    const std::u16string_view tag = tagName ? tagName : u"";
    auto is = [&](std::u16string_view name) { return tagName && EqualsNoCase(tag, name); };
    if (is(u"xhtml:span")) {
      WriteRun(element, styled);
    } else if (is(u"xhtml:a")) {
      ForEachChildNode(element, [&](IKX2XMLNode* inner) { return self(inner, self); });
    } else if (is(u"xhtml:br")) {
      model_->InsertParagraphBreak(0, 0, 0);
    } else {
      plainText(ElementText(element));
    }
    return true;
  };
  ForEachChildNode(paragraph, [&](IKX2XMLNode* node) { return inlineNode(node, inlineNode); });
}

void SheetReader::WriteRun(IKX2XMLElement* span, bool& styled) {
  const StyleMap* style = FindStyle(state_, AttributeText(span, u"style-id"));
  if (style) {
    ApplyTextStyle(model_.get(), *style);
    styled = true;
  } else if (styled) {
    ApplyTextStyle(model_.get(), StyleMap());
    styled = false;
  }
  WriteHostText(model_.get(), HtmlText(ElementText(span)));
}

}  // namespace foliant::xmind
