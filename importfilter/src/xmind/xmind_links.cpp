// Pictures, hyperlinks and attachments of a topic, and the links between topics that wait
// for the whole workbook.
#include <algorithm>

#include <foliant/common/file_url.h>
#include <foliant/common/hyperlink_description.h>
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

// Pictures are shown at most 230 by 200 pixels (at 96 DPI, in hundredths of a point).
constexpr int64_t kHostUnitsPerPixelNumerator = 7200;
constexpr int64_t kPixelsPerInch = 96;
constexpr int64_t kMaxPictureWidth = 230 * kHostUnitsPerPixelNumerator / kPixelsPerInch;   // 17250
constexpr int64_t kMaxPictureHeight = 200 * kHostUnitsPerPixelNumerator / kPixelsPerInch;  // 15000

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// A package entry named by "xap:" and the path after it; folder levels become "\", as the
// package names its entries.
std::u16string PackageEntry(std::u16string_view href) {
  std::u16string entry(href.substr(4));
  std::replace(entry.begin(), entry.end(), u'/', u'\\');
  return entry;
}

// "C:\..." or "\\host\...".
bool IsAbsoluteWindowsPath(std::u16string_view path) {
  return (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') || path.substr(0, 2) == u"\\\\";
}

// 0 left, 1 right, 3 bottom, 2 for anything else.
LONG Placement(LPCWSTR align) {
  const std::u16string_view a = align ? align : u"";
  if (a == u"left") return 0;
  if (a == u"right") return 1;
  if (a == u"bottom") return 3;
  return 2;
}

// An image side as the image object holds it, else from the element (pixels); 0 for none.
int64_t PictureSide(IVtlObject* image, USHORT id, IKX2XMLElement* element, std::u16string_view attribute) {
  if (const PropertyValue* value = image->GetPropertyRecord(id); value && value->type >= 2 && value->type <= 9)
    return value->i32;
  LPCWSTR pixels = Attribute(element, attribute);
  if (!pixels || !*pixels) return 0;
  return static_cast<int64_t>(IntegerFromText(pixels)) * kHostUnitsPerPixelNumerator / kPixelsPerInch;
}

}  // namespace

void SheetReader::ImportPicture(IVtlObject* node, IKX2XMLElement* element) {
  LPCWSTR source = Attribute(element, u"xhtml:src");
  if (!source || !StartsWithNoCase(source, u"xap:")) return;
  const std::u16string entry = PackageEntry(source);
  const StoredFile* stored = importer_.StoreEntry(entry.c_str());
  if (!stored) return;
  IVtlFileStore* store = stored->store();
  const ULONG_PTR key = stored->key();
  // The cache knows the picture by the name it was extracted under.
  const std::u16string path = state_.files.TemporaryName(entry);
  kx2::Ref<IVtlResourceCache> cache(state_.application ? state_.application->GetResourceCache() : nullptr);
  const ULONG_PTR cached = cache ? cache->LookupImage(path.c_str()) : 0;

  ObjectRef image = NewObject(kClassImage);
  ObjectRef picture = NewObject(kClassPictureFormat);
  if (image && picture && SetStoredFile(picture.get(), 0x4000, store, key)) {
    int64_t width = PictureSide(image.get(), kPropImageWidth, element, u"svg:width");
    int64_t height = PictureSide(image.get(), kPropImageHeight, element, u"svg:height");
    if (width > 0 && height > 0) {
      if (width > kMaxPictureWidth) height = height * kMaxPictureWidth / width, width = kMaxPictureWidth;
      if (height > kMaxPictureHeight) width = width * kMaxPictureHeight / height, height = kMaxPictureHeight;
    }
    if (width || height) {
      SetNumber(image.get(), kPropImageWidth, kPropNumber, static_cast<LONG>(width));
      SetNumber(image.get(), kPropImageHeight, kPropNumber, static_cast<LONG>(height));
      for (USHORT id = 0x4004; id <= 0x4007; ++id) SetNumber(image.get(), id, kPropInt, 0);
    }
    Attach(kRolePicture, image.get());
    model_->SetFormat(0, image.get(), picture.get(), -1);
    ObjectRef format = NewObject(kClassFormat);
    if (SetNumber(format.get(), kPropFormatImagePlacement, kPropEnum, Placement(Attribute(element, u"align"))))
      ApplyFormat(node, format.get());
  }
  if (cache) cache->RestoreImage(path.c_str(), cached);
}

void SheetReader::ImportHyperlink(IVtlObject* node, const std::u16string& href, const std::u16string& title) {
  std::u16string target;
  bool absolute = true;
  int kind = kLinkWeb;
  if (std::optional<std::u16string> local = LocalPathFromFileUrl(href)) {
    target = std::move(*local);
    if (!IsAbsoluteWindowsPath(target)) {
      absolute = false;
      kind = kLinkFile;
    } else {
      kind = target.find(u'.') != std::u16string::npos ? kLinkFile : kLinkFolder;
    }
  } else if (StartsWithNoCase(href, u"xmind:#")) {
    state_.pendingLinks.push_back(
        {ObjectRef::Share(node), href.substr(7), false, kx2::Ref<IVtlModel>::Share(model_.get())});
    return;
  } else if (StartsWithNoCase(href, u"xap:")) {
    ImportAttachment(PackageEntry(href), title);
    return;
  } else {
    target = href;
  }
  const std::u16string description = BuildHyperlinkDescription(target.c_str(), absolute, kind, nullptr, nullptr);
  ObjectRef link = NewObject(kClassHyperlink);
  if (!description.empty() && SetText(link.get(), kPropHyperlinkText, description)) Attach(kRoleHyperlink, link.get());
}

void SheetReader::ImportAttachment(const std::u16string& entry, const std::u16string& title) {
  const StoredFile* stored = importer_.StoreEntry(entry.c_str());
  if (!stored) return;
  // The file's own name is the topic's title in XMind; the package names it by a code.
  std::u16string name = title;
  if (name.empty()) name = entry.substr(entry.rfind(u'\\') + 1);
  ObjectRef attachment = NewObject(kClassAttachment);
  if (attachment && SetText(attachment.get(), 0x4001, name) &&
      SetNumber(attachment.get(), 0x4002, kPropNumber,
                static_cast<LONG>(std::min<uint32_t>(state_.package.GetEntrySize(entry.c_str()), INT32_MAX))) &&
      SetStoredFile(attachment.get(), 0x4003, stored->store(), stored->key()))
    Attach(kRoleAttachment, attachment.get());
}

void SheetReader::ResolveLinks(ImportState& state) {
  for (PendingLink& pending : state.pendingLinks) {
    // A topic id, or a sheet id standing for the sheet's central topic.
    std::u16string targetId = pending.target;
    if (!state.topicGuidTexts.count(targetId))
      if (auto sheet = state.sheetCentralTopics.find(targetId); sheet != state.sheetCentralTopics.end())
        targetId = sheet->second;
    auto target = state.topicGuidTexts.find(targetId);
    if (target == state.topicGuidTexts.end() || !pending.model || !pending.topic) continue;
    auto title = state.topicTitles.find(targetId);
    const std::u16string description = BuildHyperlinkDescription(
        target->second.c_str(), true, kLinkCurrent, nullptr,
        title != state.topicTitles.end() && !title->second.empty() ? title->second.c_str() : nullptr);
    ObjectRef link = NewObject(kClassHyperlink);
    kx2::Ref<IVtlCursor> cursor(pending.model->GetCursor());
    if (!link || !cursor || description.empty() || !SetText(link.get(), kPropHyperlinkText, description)) continue;
    ObjectRef previous(cursor->GetCurrentNode());
    if (cursor->SetCurrentNode(0, pending.topic.get(), 0))
      pending.model->AttachObject(0, kRoleHyperlink, link.get(), 0);
    if (previous) cursor->SetCurrentNode(0, previous.get(), 0);
  }
  state.pendingLinks.clear();
}

}  // namespace foliant::xmind
