// Compound files of version 4, and damaged files: each damage is an error, never a crash
// or an endless loop.
#include <win/kernel.h>
#include <win/ole.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ole_test_support.h"

using namespace ole_test;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Opens bytes as a compound file from memory.
HRESULT OpenBytes(const std::vector<uint8_t>& bytes, IStorage** out) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) {
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  kx2::Ref<ILockBytes> lockBytes;
  EXPECT_EQ(CreateILockBytesOnHGlobal(memory, TRUE, lockBytes.put()), S_OK);
  return StgOpenStorageOnILockBytes(lockBytes.get(), nullptr, kRead, nullptr, 0, out);
}

// A document written by this layer: "Big" (5000 bytes, sectors 4-13) and "Small" (100
// bytes in the mini stream). Layout: FAT at sector 0, directory 1, mini FAT 2, mini stream
// 3; directory entries: 0 root, 1 "Big", 2 "Small".
std::vector<uint8_t> SampleDocument() {
  kx2::Ref<ILockBytes> lockBytes;
  EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put()), S_OK);
  {
    kx2::Ref<IStorage> root;
    EXPECT_EQ(StgCreateDocfileOnILockBytes(lockBytes.get(), kCreate, 0, root.put()), S_OK);
    WriteStream(root.get(), u"Big", Pattern(5000, 1));
    WriteStream(root.get(), u"Small", Pattern(100, 2));
  }
  HGLOBAL memory = nullptr;
  EXPECT_EQ(GetHGlobalFromILockBytes(lockBytes.get(), &memory), S_OK);
  STATSTG stat = {};
  lockBytes->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  std::memcpy(bytes.data(), GlobalLock(memory), bytes.size());
  GlobalUnlock(memory);
  return bytes;
}

constexpr size_t SectorOffset(uint32_t sector) { return 512 + 512 * static_cast<size_t>(sector); }
constexpr size_t EntryOffset(uint32_t id) { return SectorOffset(1) + 128 * static_cast<size_t>(id); }
constexpr size_t FatEntry(uint32_t sector) { return SectorOffset(0) + 4 * static_cast<size_t>(sector); }

TEST(OleDamaged, TheSampleIsSound) {
  const std::vector<uint8_t> bytes = SampleDocument();
  ASSERT_EQ(bytes.size(), SectorOffset(14));
  kx2::Ref<IStorage> root;
  ASSERT_EQ(OpenBytes(bytes, root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Big"), Pattern(5000, 1));
  EXPECT_EQ(ReadStream(root.get(), u"Small"), Pattern(100, 2));
}

TEST(OleDamaged, EachDamageIsAnError) {
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    HRESULT expected;
  } cases[] = {
      {"empty", [](auto& b) { b.clear(); }, STG_E_FILEALREADYEXISTS},
      {"signature", [](auto& b) { b[0] = 0; }, STG_E_FILEALREADYEXISTS},
      {"byte order", [](auto& b) { Put16(b, 28, 0xFEFF); }, STG_E_INVALIDHEADER},
      {"version 5", [](auto& b) { Put16(b, 26, 5); }, STG_E_INVALIDHEADER},
      {"version 3 with 4096-byte sectors", [](auto& b) { Put16(b, 30, 12); }, STG_E_INVALIDHEADER},
      {"truncated", [](auto& b) { b.resize(600); }, STG_E_DOCFILECORRUPT},
      {"too many FAT sectors", [](auto& b) { Put32(b, 44, 0xFFFFFFFF); }, STG_E_DOCFILECORRUPT},
      {"FAT sector outside", [](auto& b) { Put32(b, 76, 5000); }, STG_E_DOCFILECORRUPT},
      {"second FAT sector free", [](auto& b) { Put32(b, 44, 2); }, STG_E_DOCFILECORRUPT},
      {"directory loops", [](auto& b) { Put32(b, FatEntry(1), 1); }, STG_E_DOCFILECORRUPT},
      {"stream chain loops", [](auto& b) { Put32(b, FatEntry(6), 4); }, STG_E_DOCFILECORRUPT},
      {"stream chain ends early", [](auto& b) { Put32(b, FatEntry(6), 0xFFFFFFFE); }, STG_E_DOCFILECORRUPT},
      {"chain through a free sector", [](auto& b) { Put32(b, FatEntry(6), 0xFFFFFFFF); }, STG_E_DOCFILECORRUPT},
      {"stream crosses the directory", [](auto& b) { Put32(b, EntryOffset(1) + 116, 1); }, STG_E_DOCFILECORRUPT},
      {"stream larger than the file", [](auto& b) { Put32(b, EntryOffset(1) + 120, 0x7FFFFFFF); },
       STG_E_DOCFILECORRUPT},
      {"mini chain outside the mini stream", [](auto& b) { Put32(b, EntryOffset(2) + 116, 40); }, STG_E_DOCFILECORRUPT},
      {"mini chain loops", [](auto& b) { Put32(b, SectorOffset(2), 0); }, STG_E_DOCFILECORRUPT},
      {"sibling tree loops", [](auto& b) { Put32(b, EntryOffset(2) + 68, 1); }, STG_E_DOCFILECORRUPT},
      {"sibling outside the directory", [](auto& b) { Put32(b, EntryOffset(1) + 72, 99); }, STG_E_DOCFILECORRUPT},
      {"child is the root", [](auto& b) { Put32(b, EntryOffset(0) + 76, 0); }, STG_E_DOCFILECORRUPT},
      {"root is not a root", [](auto& b) { b[EntryOffset(0) + 66] = 1; }, STG_E_DOCFILECORRUPT},
      {"unknown entry type", [](auto& b) { b[EntryOffset(2) + 66] = 7; }, STG_E_DOCFILECORRUPT},
      {"two children of one name",
       [](auto& b) {
         Put16(b, EntryOffset(2), 'b');
         Put16(b, EntryOffset(2) + 2, 'i');
         Put16(b, EntryOffset(2) + 4, 'g');
         Put16(b, EntryOffset(2) + 6, 0);
         Put16(b, EntryOffset(2) + 64, 8);
       },
       STG_E_DOCFILECORRUPT},
  };
  const std::vector<uint8_t> sound = SampleDocument();
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = sound;
    c.damage(bytes);
    kx2::Ref<IStorage> root;
    EXPECT_EQ(OpenBytes(bytes, root.put()), c.expected) << c.what;
  }
}

// A version 4 file (4096-byte sectors) made by hand: FAT at sector 0, directory 1, mini FAT
// 2, mini stream 3, "Big" in sectors 4 and 5.
std::vector<uint8_t> Version4Document() {
  const size_t sector = 4096;
  std::vector<uint8_t> b(sector * 7, 0);
  auto at = [&](uint32_t s) { return sector * (s + 1); };
  const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(b.data(), signature, 8);
  Put16(b, 24, 0x3E);
  Put16(b, 26, 4);
  Put16(b, 28, 0xFFFE);
  Put16(b, 30, 12);
  Put16(b, 32, 6);
  Put32(b, 40, 1);  // directory sectors
  Put32(b, 44, 1);  // FAT sectors
  Put32(b, 48, 1);  // first directory sector
  Put32(b, 56, 4096);
  Put32(b, 60, 2);  // first mini FAT sector
  Put32(b, 64, 1);
  Put32(b, 68, 0xFFFFFFFE);
  Put32(b, 76, 0);
  for (int i = 1; i < 109; ++i) Put32(b, 76 + 4 * i, 0xFFFFFFFF);
  const uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE, 5, 0xFFFFFFFE};
  for (size_t i = 0; i < sector / 4; ++i) Put32(b, at(0) + 4 * i, i < std::size(fat) ? fat[i] : 0xFFFFFFFF);
  for (size_t i = 0; i < sector / 4; ++i) Put32(b, at(2) + 4 * i, i == 0 ? 0xFFFFFFFE : 0xFFFFFFFF);
  for (size_t id = 0; id < sector / 128; ++id) {
    const size_t e = at(1) + 128 * id;
    Put32(b, e + 68, 0xFFFFFFFF);
    Put32(b, e + 72, 0xFFFFFFFF);
    Put32(b, e + 76, 0xFFFFFFFF);
  }
  auto entry = [&](size_t id, const std::u16string& name, uint8_t type, uint32_t right, uint32_t child, uint32_t start,
                   uint32_t size) {
    const size_t e = at(1) + 128 * id;
    for (size_t i = 0; i < name.size(); ++i) Put16(b, e + 2 * i, name[i]);
    Put16(b, e + 64, static_cast<uint16_t>(2 * (name.size() + 1)));
    b[e + 66] = type;
    b[e + 67] = 1;
    Put32(b, e + 72, right);
    Put32(b, e + 76, child);
    Put32(b, e + 116, start);
    Put32(b, e + 120, size);
  };
  entry(0, u"Root Entry", 5, 0xFFFFFFFF, 1, 3, 64);
  entry(1, u"Big", 2, 2, 0xFFFFFFFF, 4, 5000);
  entry(2, u"Small", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0, 10);
  const std::vector<uint8_t> small = Pattern(10, 4), big = Pattern(5000, 3);
  std::memcpy(b.data() + at(3), small.data(), small.size());
  std::memcpy(b.data() + at(4), big.data(), big.size());
  return b;
}

TEST(OleDamaged, ReadsVersion4AndWritesVersion3) {
  kx2::Ref<IStorage> root;
  ASSERT_EQ(OpenBytes(Version4Document(), root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Big"), Pattern(5000, 3));
  EXPECT_EQ(ReadStream(root.get(), u"Small"), Pattern(10, 4));

  // Copied into a new document, it is written as version 3.
  kx2::Ref<ILockBytes> lockBytes;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put()), S_OK);
  {
    kx2::Ref<IStorage> copy;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(lockBytes.get(), kCreate, 0, copy.put()), S_OK);
    ASSERT_EQ(root->CopyTo(0, nullptr, nullptr, copy.get()), S_OK);
  }
  uint8_t header[32] = {};
  ULONG got = 0;
  ASSERT_EQ(lockBytes->ReadAt(ULARGE_INTEGER{}, header, sizeof(header), &got), S_OK);
  EXPECT_EQ(header[26], 3);
  EXPECT_EQ(header[30], 9);
}

}  // namespace
