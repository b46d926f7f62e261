// The map's style group: the background of the map, kept with the document.
#include "mindmanager/mindmanager_reader.h"

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/xml_walk.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

using namespace vantorel;

// Fill properties of the background beside kind, colour and transparency.
enum : USHORT { kPropImageFit = 0x7010, kPropImageFlip = 0x7011, kPropImageTransparency = 0x7012 };

}  // namespace

bool MindManagerReader::ReadStyleGroup(ImportBase& context) {
  HeldPath group(context, root_, {u"ap:StyleGroup"});
  if (!group) return false;
  PropertyHolder format(FoliantCreateObject(kClassPictureFormat));
  if (!format) return false;
  PropertyHolder fill(format->GetSubObject(kPropSubFill));
  if (!fill) return false;
  bool given = false;

  kx2::Ref<IKX2XMLElement> background(foliant::FindChildNoCase(group.get(), u"ap:BackgroundFill"));
  if (LPCWSTR text = background ? background->GetAttribute(u"FillColor") : nullptr)
    if (auto argb = ParseArgbColor(text)) {
      if (!fill.SetPropertyValue(kPropSubLine, kPropEnum, 1) ||
          !fill.SetPropertyValue(kPropSubFill, kPropWide, ColorWord(*argb), foliant::kHostColorSecondWord) ||
          !fill.SetPropertyValue(kPropSubTransparency, kPropShort, static_cast<DWORD>(TransparencyOf(*argb))))
        return false;
      given = true;
    }
  kx2::Ref<IKX2XMLElement> image(foliant::FindChildNoCase(group.get(), u"ap:BackgroundImageData"));
  if (image) {
    TqMapRecord record{};
    LPCWSTR tile = image->GetAttribute(u"ImageTileOption");
    if (tile && mapper_.Find(TqResourceMapper::kImageFit, tile, &record)) {
      if (!fill.SetPropertyValue(kPropImageFit, kPropEnum, static_cast<DWORD>(record.value))) return false;
      given = true;
    }
    if (tile && mapper_.Find(TqResourceMapper::kImageFlip, tile, &record)) {
      if (!fill.SetPropertyValue(kPropImageFlip, kPropEnum, static_cast<DWORD>(record.value))) return false;
      given = true;
    }
    if (LPCWSTR transparency = image->GetAttribute(u"Transparency"))
      if (auto hundredths = HundredthsOf(transparency)) {
        if (!fill.SetPropertyValue(kPropImageTransparency, kPropInt, static_cast<DWORD>(*hundredths))) return false;
        given = true;
      }
  }
  if (!given) return true;
  kx2::Ref<IVtlObject> document(model_->GetDocumentObject());
  return document && model_->SetFormat(0, document.get(), format.Get(), -1);
}
