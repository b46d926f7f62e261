// A node's text with its fonts, its rich text and the images in it, and its notes.
#include "freemind/freemind_reader.h"

#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include <basalt/string_util.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <kx2/ImageCodec.h>
#include <foliant/common/color_text.h>
#include <foliant/common/rich_text_writer.h>
#include <foliant/common/topic_text.h>
#include <foliant/common/xml_walk.h>
#include <foliant/html/html_parser.h>
#include <foliant/html/html_repair.h>
#include <win/crt.h>

#include "freemind/link_target.h"

using foliant::freemind::FreemindReader;

namespace {

// Parses a "richcontent": FreeMind nests its XHTML as "html", "body"; the parser is given
// the element that holds "body".
bool ParseRichContent(IKX2XMLElement* rich, HTML::HTMLParser& parser) {
  kx2::Ref<IKX2XMLElement> html(foliant::FindChildNoCase(rich, u"html"));
  parser.SetElement(html ? html.get() : rich);
  return parser.Parse() != 0;
}

// FreeMind 0.8 writes a rich title as HTML into "TEXT": the markup made well-formed and
// parsed by the host, or null when even that does not parse (the text then stays plain).
kx2::Ref<IKX2XMLDocument> ParseHtmlTitle(LPCWSTR text) {
  IVtlApplication* app = FoliantHostApplication();
  kx2::Ref<IKX2XMLFactory> factory(app ? app->GetXMLFactory() : nullptr);
  kx2::Ref<IKX2XMLParser> parser(factory ? factory->CreateParser() : nullptr);
  if (!parser) return {};
  const std::string xml = HTML::RepairHtml(text);
  return kx2::Ref<IKX2XMLDocument>(
      parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
}

// The sides a picture's header gives (pixels at 96 per inch, in hundredths of a point) for
// the sides the map left out; a side the map gave keeps its value and the other follows
// the picture's proportions. Nothing changes when the header cannot be read.
void SizeFromHeader(LPCWSTR path, LONG* width, LONG* height) {
  // Headers lie within the first bytes; a JPEG's size may follow large metadata.
  constexpr size_t kHeaderBytes = 1 << 20;
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path, u"rb"), &fclose);
  if (!file) return;
  std::vector<uint8_t> head(kHeaderBytes);
  head.resize(fread(head.data(), 1, head.size(), file.get()));
  int pixelsWide = 0, pixelsHigh = 0;
  if (!Kx2ProbeImageSize(head.data(), head.size(), &pixelsWide, &pixelsHigh) || pixelsWide <= 0 || pixelsHigh <= 0)
    return;
  constexpr int64_t kPerPixel = 7200 / 96;
  const int64_t w = *width > 0 ? *width : *height > 0 ? *height * pixelsWide / pixelsHigh : pixelsWide * kPerPixel;
  const int64_t h = *height > 0 ? *height : *width > 0 ? *width * pixelsHigh / pixelsWide : pixelsHigh * kPerPixel;
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return;
  *width = static_cast<LONG>(w);
  *height = static_cast<LONG>(h);
}

bool HasText(const std::vector<HTML::Paragraph>& paragraphs) {
  for (const HTML::Paragraph& p : paragraphs)
    if (p.flags & HTML::kParagraphText) return true;
  return false;
}

}  // namespace

bool FreemindReader::ImportText(const NodeChildren& children, IVtlObject* topic) {
  kx2::Ref<IVtlObject> textObject(TextObjectOf(topic));
  if (!textObject) return false;
  PropertyHolder style(kx2::Ref<IVtlObject>::Share(textObject.get()).release());
  using namespace vantorel;

  auto setColor = [&](LPCWSTR text) {
    auto color = text ? foliant::ParseHashColor(text) : std::nullopt;
    return !color || style.SetPropertyValue(kPropTextColor, kPropWide, *color, foliant::kHostColorSecondWord);
  };
  // FreeMind 1.0 keeps a node's text colour on the node itself.
  if (!setColor(children.own.Get(u"COLOR"))) return false;

  LPCWSTR plain = children.own.Get(u"TEXT");
  HTML::HTMLParser parser;
  bool rich = false;
  auto readRich = [&](IKX2XMLElement* content) {
    if (!ParseRichContent(content, parser)) return false;
    rich = true;
    return !(parser.GetTextFlags() & HTML::kRunColor) ||
           style.SetPropertyValue(kPropTextColor, kPropWide, parser.GetTextColor()[0], parser.GetTextColor()[1]);
  };
  // Held while the parser's paragraphs are written.
  kx2::Ref<IKX2XMLDocument> htmlTitle;
  kx2::Ref<IKX2XMLElement> htmlRoot;
  // Measured once: a node's text may be long.
  const std::u16string_view plainText = plain ? std::u16string_view(plain) : std::u16string_view();
  if (plain && HTML::IsHtmlText(plainText)) {
    htmlTitle = ParseHtmlTitle(plain);
    htmlRoot.reset(htmlTitle ? htmlTitle->GetDocumentElement() : nullptr);
    if (htmlRoot) {
      if (!readRich(htmlRoot.get())) return false;
      plain = nullptr;
    }
  } else if (!plain) {
    if (IKX2XMLElement* content = children.richText.get())
      if (!readRich(content)) return false;
  }

  if (IKX2XMLElement* font = children.font.get()) {
    if (!setColor(font->GetAttribute(u"COLOR"))) return false;
    if (LPCWSTR name = font->GetAttribute(u"NAME")) {
      // One value for both faces: each set takes a copy of its own.
      PropertyValue face{};
      if (!InitPropertyString(&face, name)) return false;
      const bool set =
          textObject->SetProperty(kPropTextFace, &face) && textObject->SetProperty(kPropTextFaceAlt, &face);
      ClearPropertyValue(&face);
      if (!set) return false;
    }
    if (LPCWSTR size = font->GetAttribute(u"SIZE")) {
      // Points to hundredths; a size of nothing, 0 or one that does not fit is left out.
      const int64_t points = Basalt::Util::StringUtil::atol_fmt(size);
      if (points > 0 && points <= INT32_MAX / 100 &&
          !style.SetPropertyValue(kPropTextSize, kPropInt, static_cast<DWORD>(points * 100)))
        return false;
    }
    // The value counts: Freeplane writes BOLD="false" on text that is not bold.
    auto on = [&](LPCWSTR name) {
      LPCWSTR value = font->GetAttribute(name);
      return value && foliant::EqualsNoCase(value, u"true");
    };
    if (on(u"BOLD") && !style.SetPropertyValue(kPropTextBold, kPropEnum, 1)) return false;
    if (on(u"ITALIC") && !style.SetPropertyValue(kPropTextItalic, kPropEnum, 1)) return false;
  }

  if (plain) {
    if (!*plain) return true;
    return model_->PlaceObject(0, topic, 0) && foliant::WriteHostText(model_.get(), plainText);
  }
  if (!rich) return true;
  foliant::RichTextWriter writer(model_.get(), faces_);
  const auto& paragraphs = parser.GetParagraphs();
  if (HasText(paragraphs) && (!writer.Begin(topic) || !writer.WriteParagraphs(paragraphs))) return false;
  return ImportImages(paragraphs);
}

bool FreemindReader::ImportNotes(const NodeChildren& children, IVtlObject* topic) {
  IKX2XMLElement* content = children.richNote.get();
  if (!content) return true;
  HTML::HTMLParser parser;
  if (!ParseRichContent(content, parser)) return false;
  const auto& paragraphs = parser.GetParagraphs();
  if (HasText(paragraphs)) {
    PropertyHolder notes(FoliantCreateObject(vantorel::kClassNotes));
    if (!notes || !SetCurrent(topic) || !Attach(vantorel::kRoleNotes, notes.Get())) return false;
    kx2::Ref<IVtlObject> target(notes->GetTarget(0));
    foliant::RichTextWriter writer(model_.get(), faces_);
    if (!target || !writer.Begin(target.get()) || !writer.WriteParagraphs(paragraphs)) return false;
  }
  return SetCurrent(topic) && ImportImages(paragraphs);
}

// Each image of the rich text whose file exists becomes a picture under the topic (the
// cursor's current topic); an image whose file is missing is left out.
bool FreemindReader::ImportImages(const std::vector<HTML::Paragraph>& paragraphs) {
  using namespace vantorel;
  for (const HTML::Paragraph& p : paragraphs) {
    if (!(p.flags & HTML::kParagraphImage) || p.imagePath.empty()) continue;
    const foliant::freemind::LocalPath local = foliant::freemind::ResolveLocalPath(p.imagePath, folder_);
    if (_waccess(local.path.c_str(), 0) != 0) continue;
    PropertyHolder image(FoliantCreateObject(kClassImage));
    if (!image) return false;
    LONG width = p.imageWidth, height = p.imageHeight;
    if (width <= 0 || height <= 0) SizeFromHeader(local.path.c_str(), &width, &height);
    // A size neither written nor readable from the picture is left out, never 0 x 0.
    if (width > 0 && height > 0 &&
        (!image.SetPropertyValue(kPropImageWidth, kPropNumber, static_cast<DWORD>(width)) ||
         !image.SetPropertyValue(kPropImageHeight, kPropNumber, static_cast<DWORD>(height))))
      return false;
    for (USHORT id = 0x4004; id <= 0x4007; ++id)
      if (!image.SetPropertyValue(id, kPropInt, 0)) return false;
    // The picture itself: the host's file store keeps a copy, named by the picture format
    // bound to the image.
    foliant::StoredFile file;
    if (file.Store(local.path.c_str())) {
      PropertyHolder picture(FoliantCreateObject(kClassPictureFormat));
      if (!picture || !picture.SetPropertyObject(kPropEntryFile, file.key(), file.store()) ||
          !model_->SetFormat(0, image.Get(), picture.Get(), -1))
        return false;
    }
    if (!Attach(kRolePicture, image.Get())) return false;
  }
  return true;
}
