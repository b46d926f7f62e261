// The image manager: strips of equal-sized images, icons in strips by the common
// controls' version, and icon sets through the archive.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <kx2test/ChildProcess.h>
#include <win/afx.h>
#include <win/userres.h>

#include "image_fixtures.h"
#include "ornatex/image/bitmap_routines.h"
#include "ornatex/image/image_manager.h"

using namespace ornatex_test;

namespace {

// A 32-bit top-down section of one pixel value (0xAARRGGBB).
HBITMAP Filled(int w, int h, uint32_t pixel) {
  BITMAPINFO bmi{};
  bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  for (int i = 0; i < w * h; ++i) static_cast<uint32_t*>(bits)[i] = pixel;
  return b;
}

HICON IconWithAlpha(int side, uint32_t pixel) {
  HBITMAP color = Filled(side, side, pixel);
  HBITMAP mask = CreateBitmap(side, side, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

TEST(ImageStrips, FreeingEveryImageRemovesTheStrip) {
  CKtkImageManager manager;
  CKtkImageManagerResource* strip = manager.GetResource(16, 16);
  ASSERT_EQ(strip, manager.GetResource(16, 16));
  KTK_IMAGERESOURCE_INFO* a = strip->AllocateSlot();
  KTK_IMAGERESOURCE_INFO* b = strip->AllocateSlot();
  KTK_IMAGERESOURCE_INFO* c = strip->AllocateSlot();
  EXPECT_EQ(strip->UsedWidth(), 48);
  EXPECT_EQ(c->rect.left, 32);
  strip->FreeSlot(b);
  EXPECT_EQ(strip->AllocateSlot(), b);  // a free slot is reused
  strip->FreeSlot(a);
  strip->FreeSlot(b);
  EXPECT_TRUE(strip->HasStrip());
  strip->FreeSlot(c);
  EXPECT_FALSE(strip->HasStrip());
  EXPECT_EQ(strip->UsedWidth(), 0);
  KTK_IMAGERESOURCE_INFO* d = strip->AllocateSlot();
  EXPECT_EQ(d->rect.left, 0);
  EXPECT_EQ(strip->UsedWidth(), 16);
}

TEST(ImageStrips, CopiesIntoTheStripAndBackOut) {
  CKtkImageManager manager;
  CKtkImageManagerImageRef source, copy, back;
  source.SetBitmap(Filled(8, 8, 0x80402010));
  copy.manager = &manager;
  copy.Copy(source);
  ASSERT_NE(copy.slot, nullptr);
  EXPECT_TRUE(copy.slot->alpha);
  EXPECT_EQ(copy.width, 8);
  back.Copy(copy);  // no manager: a bitmap of its own
  ASSERT_NE(back.bitmap, nullptr);
  const auto px = Pixels(back.bitmap);
  ASSERT_EQ(px.size(), 64u);
  EXPECT_EQ(px[0], 0x80201008u);  // premultiplied in the strip
  copy.Clear();
  EXPECT_FALSE(manager.GetResource(8, 8)->HasStrip());
}

void CheckIconSlot(bool alphaSlot) {
  CKtkImageManager manager;
  CKtkImageManagerImageRef icon, stored;
  icon.SetIcon(IconWithAlpha(16, 0x80FF0000));
  ASSERT_EQ(icon.width, 16);
  stored.manager = &manager;
  stored.Copy(icon);
  ASSERT_NE(stored.slot, nullptr);
  EXPECT_EQ(stored.slot->alpha != 0, alphaSlot);
  CKtkImageManagerImageRef out;
  out.Copy(stored);
  EXPECT_EQ(out.bitmap != nullptr, alphaSlot);  // an alpha slot comes back as a bitmap
  EXPECT_EQ(out.icon != nullptr, !alphaSlot);   // colour and mask as an icon
}

TEST(ImageStrips, IconsWithAlphaAreAlphaSlotsOnCommonControlsSix) {
  if (kx2test::InChild()) return CheckIconSlot(false);
  CheckIconSlot(true);
  auto child = kx2test::RunInChild("ImageStrips.IconsWithAlphaAreAlphaSlotsOnCommonControlsSix",
                                   {{"KX2_COMCTL_VERSION", "5.82"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

// A manager's icon sets stored in an archive.
Bytes Store(CKtkImageManager& manager) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    manager.Serialize(ar);
  }
  const auto length = static_cast<size_t>(file.GetLength());
  BYTE* data = file.Detach();
  Bytes bytes(data, data + length);
  std::free(data);
  return bytes;
}

void Load(CKtkImageManager& manager, Bytes bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  manager.Serialize(ar);
}

void AddIcon(CKtkImageManager& manager, UINT id, uint32_t pixel) {
  CKtkImageManagerIconSet* set = manager.GetOrCreateIconSet(id);
  auto icon = std::make_unique<CKtkImageManagerIcon>(id, 2, set);
  icon->m_height = 2;
  CKtkImageManagerImageRef image;
  image.SetBitmap(Filled(2, 2, pixel));
  icon->m_images[0].Copy(image);
  set->m_icons[2] = std::move(icon);
}

std::vector<uint32_t> ImagePixels(CKtkImageManagerImageRef& image) {
  CKtkImageManagerImageRef out;
  out.Copy(image);
  return out.bitmap ? Pixels(out.bitmap) : std::vector<uint32_t>();
}

TEST(ImageManagerArchive, OneIconSetStoresItsFixedBytesAndReadsBack) {
  CKtkImageManager manager;
  AddIcon(manager, 0x20001, 0xFF102030);
  const Bytes bytes = Store(manager);
  // IconSet count, Id, CheckSum, Icon count, Width, then the icon: height 2, schema 38,
  // image 0 as a colour record and an empty mask, images 6, 3, 4, 5 empty.
  const Bytes expected = {
      1,    0,    0,    0,     // "Count" of icon sets
      0x01, 0x00, 0x02, 0x00,  // "Id"
      0xFF, 0xFE, 0xFF, 21,    // "CheckSum": tag and length
  };
  ASSERT_GT(bytes.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin()));
  const size_t afterName = expected.size() + 21 * 2;
  const Bytes iconHead = {1,  0, 0, 0, 2,  0, 0, 0,  // "Count" of icons, "Width"
                          2,  0, 0, 0, 38, 0, 0, 0,  // height, schema
                          52, 0};                    // the colour record's header count
  ASSERT_GT(bytes.size(), afterName + iconHead.size());
  EXPECT_TRUE(std::equal(iconHead.begin(), iconHead.end(), bytes.begin() + static_cast<ptrdiff_t>(afterName)));
  EXPECT_EQ(bytes.size(), afterName + 16 + 2 + 52 + 2 + 16 + 2 + 4 * 2 * 2);

  CKtkImageManager loaded;
  Load(loaded, bytes);
  CKtkImageManagerIconSet* set = loaded.IconSetById(0x20001);
  ASSERT_NE(set, nullptr);
  ASSERT_EQ(set->m_icons.count(2), 1u);
  EXPECT_EQ(ImagePixels(set->m_icons[2]->m_images[0]), std::vector<uint32_t>(4, 0xFF102030));
  EXPECT_TRUE(set->m_icons[2]->m_images[6].IsEmpty());
  EXPECT_EQ(loaded.m_highestId, 0x20001u);
}

TEST(ImageManagerArchive, AWrongCheckSumFailsAndKeepsTheSetsReadBefore) {
  CKtkImageManager manager;
  AddIcon(manager, 1, 0xFF000001);
  AddIcon(manager, 2, 0xFF000002);
  Bytes bytes = Store(manager);
  // The second set's check sum: its first letter becomes 'X'.
  const std::u16string name = u"CKtkImageManagerIcons";
  size_t found = 0, at = 0;
  for (size_t i = 0; i + 2 <= bytes.size(); ++i)
    if (bytes[i] == 'C' && bytes[i + 1] == 0 && bytes[i + 2] == 'K' && ++found == 2) at = i;
  ASSERT_EQ(found, 2u);
  bytes[at] = 'X';
  CKtkImageManager loaded;
  AddIcon(loaded, 9, 0xFF000009);  // removed by the load before anything is read
  bool refused = false;
  try {
    Load(loaded, bytes);
  } catch (CException* e) {
    auto* archive = dynamic_cast<CArchiveException*>(e);
    refused = archive && archive->m_cause == CArchiveException::badClass;
    e->Delete();
  }
  EXPECT_TRUE(refused);
  EXPECT_NE(loaded.IconSetById(1), nullptr);
  EXPECT_EQ(loaded.IconSetById(2), nullptr);
  EXPECT_EQ(loaded.IconSetById(9), nullptr);
}

// One icon's own archive bytes.
Bytes StoreIcon(CKtkImageManagerIcon& icon) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    icon.Serialize(ar);
  }
  const auto length = static_cast<size_t>(file.GetLength());
  BYTE* data = file.Detach();
  Bytes bytes(data, data + length);
  std::free(data);
  return bytes;
}

TEST(ImageManagerArchive, SchemaSevenReadsImagesZeroSixAndThree) {
  CKtkImageManagerIcon icon(5, 2, nullptr);
  for (int i : {0, 6, 3, 4, 5}) {
    CKtkImageManagerImageRef image;
    image.SetBitmap(Filled(2, 2, 0xFF000000u | static_cast<uint32_t>(i)));
    icon.m_images[i].Copy(image);
  }
  Bytes bytes = StoreIcon(icon);
  bytes[4] = 7;  // the schema
  CKtkImageManagerIcon loaded(5, 2, nullptr);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  loaded.Serialize(ar);
  for (int i : {0, 6, 3}) EXPECT_EQ(ImagePixels(loaded.m_images[i])[0] & 0xFF, static_cast<uint32_t>(i));
  EXPECT_TRUE(loaded.m_images[4].IsEmpty());
  EXPECT_TRUE(loaded.m_images[5].IsEmpty());
}

TEST(ImageManagerArchive, RecordsThatWouldOverrunAreRefused) {
  auto load = [](Bytes bytes) {
    CKtkImageManagerIcon icon(5, 2, nullptr);
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    try {
      icon.Serialize(ar);
    } catch (CException* e) {
      const bool archive = dynamic_cast<CArchiveException*>(e) != nullptr;
      e->Delete();
      return !archive;
    }
    return true;
  };
  CKtkImageManagerIcon icon(5, 2, nullptr);
  CKtkImageManagerImageRef image;
  image.SetBitmap(Filled(2, 2, 0xFF0000FF));
  icon.m_images[0].Copy(image);
  const Bytes good = StoreIcon(icon);
  EXPECT_TRUE(load(good));
  Bytes bigHeader = good;
  bigHeader[8] = 0xFE;  // a header count beyond a header and its colour table
  bigHeader[9] = 0x7F;
  EXPECT_FALSE(load(bigHeader));
  Bytes bigPixels = good;                // more pixel bytes claimed than the section holds: the rest is
  const size_t pixelCount = 8 + 2 + 52;  // read past, never copied
  ASSERT_EQ(bigPixels[pixelCount], 16);
  bigPixels[pixelCount] = 17;
  bigPixels.insert(bigPixels.begin() + static_cast<ptrdiff_t>(pixelCount + 2 + 16), 0xAB);
  EXPECT_TRUE(load(bigPixels));
  Bytes truncated(good.begin(), good.begin() + 40);
  EXPECT_FALSE(load(truncated));
}

}  // namespace
