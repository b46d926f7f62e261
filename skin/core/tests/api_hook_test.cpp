// The hook registry: empty slots, excluded modules, and the import-table patch over images
// laid out in memory.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <win/imagehlp.h>
#include <win/module.h>
#include <win/user_message.h>
#include <win/user_window.h>

#include "ornatex/core/api_hook.h"

namespace {

// A Windows image of one page or more, laid out as the loader would map it: headers, one
// import descriptor per imported module, their names and their address tables.
class ImportImage {
 public:
  struct Import {
    std::string module;
    std::vector<uint64_t> entries;  // the address table, without its closing zero
  };

  explicit ImportImage(const std::vector<Import>& imports, bool wide = true) : wide_(wide) {
    bytes_ = static_cast<uint8_t*>(mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    Put16(0, IMAGE_DOS_SIGNATURE);
    Put32(IMAGE_DOS_LFANEW_OFFSET, kNt);
    Put32(kNt, IMAGE_NT_SIGNATURE);
    const uint32_t optional = kNt + IMAGE_NT_OPTIONAL_HEADER_OFFSET;
    Put16(optional, wide ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    const uint32_t countAt =
        optional + (wide ? IMAGE_OPTIONAL64_DIRECTORY_COUNT_OFFSET : IMAGE_OPTIONAL32_DIRECTORY_COUNT_OFFSET);
    Put32(countAt, 16);
    Put32(countAt + 4 + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT, kDescriptors);
    Put32(countAt + 8 + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT, static_cast<uint32_t>(20 * (imports.size() + 1)));
    uint32_t data = kData;
    for (size_t i = 0; i < imports.size(); ++i) {
      const uint32_t d = kDescriptors + static_cast<uint32_t>(20 * i);
      std::memcpy(bytes_ + data, imports[i].module.c_str(), imports[i].module.size() + 1);
      Put32(d + 12, data);
      data = (data + static_cast<uint32_t>(imports[i].module.size()) + 16) & ~7u;
      Put32(d + 16, data);
      tables_.push_back(data);
      for (uint64_t e : imports[i].entries) {
        if (wide) {
          std::memcpy(bytes_ + data, &e, 8);
        } else {
          Put32(data, static_cast<uint32_t>(e));
        }
        data += wide ? 8 : 4;
      }
      data += 8;  // the closing zero
    }
  }
  ~ImportImage() { munmap(bytes_, kSize); }
  ImportImage(const ImportImage&) = delete;
  ImportImage& operator=(const ImportImage&) = delete;

  void* base() const { return bytes_; }
  uint64_t Entry(size_t import, size_t index) const {
    uint64_t v = 0;
    std::memcpy(&v, bytes_ + tables_[import] + index * (wide_ ? 8 : 4), wide_ ? 8 : 4);
    return v;
  }
  // A push thunk (0x68 and an address) in the image's own memory; its address.
  uint64_t Thunk(uint64_t target) {
    uint8_t* at = bytes_ + kThunks;
    at[0] = 0x68;
    std::memcpy(at + 1, &target, wide_ ? 8 : 4);
    return reinterpret_cast<uintptr_t>(at);
  }
  uint64_t ThunkOperand() const {
    uint64_t v = 0;
    std::memcpy(&v, bytes_ + kThunks + 1, wide_ ? 8 : 4);
    return v;
  }

 private:
  static constexpr size_t kSize = 2 * 4096;
  static constexpr uint32_t kNt = 0x40, kDescriptors = 0x200, kData = 0x400, kThunks = 0x1000;
  void Put16(uint32_t at, uint16_t v) { std::memcpy(bytes_ + at, &v, 2); }
  void Put32(uint32_t at, uint32_t v) { std::memcpy(bytes_ + at, &v, 4); }
  uint8_t* bytes_;
  bool wide_;
  std::vector<uint32_t> tables_;
};

void* A(uint64_t v) { return reinterpret_cast<void*>(static_cast<uintptr_t>(v)); }

TEST(ApiHook, PatchImportEntryOverAnImageInMemory) {
  CKtkSkinManagerApiHook& hooks = KtkSkinManagerApiHook();
  const uint64_t find = 0x7F0011223344, put = 0x7F0055667788, other = 0x7F00AAAA0000;
  {
    ImportImage image({{"KERNEL32.dll", {other, find}}, {"USER32.dll", {other, find, other}}});
    EXPECT_EQ(hooks.PatchImportEntryInImage("user32.DLL", A(find), A(put), image.base()), 1);
    EXPECT_EQ(image.Entry(1, 1), put);
    EXPECT_EQ(image.Entry(0, 1), find);  // another module's table is left alone
    EXPECT_EQ(image.Entry(1, 0), other);
  }
  const struct {
    const char* module;
    uint64_t find, put;
    int result;
  } refused[] = {
      {"GDI32.dll", find, put, 0},                                  // no such descriptor
      {"USER32.dll", other + 1, put, 0},                            // no such entry
      {"USER32.dll", 0, put, 0},                                    // null addresses
      {"USER32.dll", find, 0, 0},        {"USER32", find, put, 0},  // the whole name must match
  };
  for (const auto& r : refused) {
    ImportImage image({{"USER32.dll", {other, find}}});
    EXPECT_EQ(hooks.PatchImportEntryInImage(r.module, A(r.find), A(r.put), image.base()), r.result) << r.module;
    EXPECT_EQ(image.Entry(0, 1), find);
  }
}

TEST(ApiHook, PushThunksAreMatchedThroughTheirOperand) {
  const uint64_t find = 0x7F0011223344, put = 0x7F0055667788;
  ImportImage image(std::vector<ImportImage::Import>{{"USER32.dll", {1}}});  // holds the thunk
  const uint64_t thunk = image.Thunk(find);
  ImportImage withThunk({{"USER32.dll", {0x7F00AAAA0000, thunk}}});
  // The thunk lives in the first image; the second's table points at it.
  EXPECT_EQ(KtkSkinManagerApiHook().PatchImportEntryInImage("USER32.dll", A(find), A(put), withThunk.base()), 1);
  EXPECT_EQ(image.ThunkOperand(), put);
  EXPECT_EQ(withThunk.Entry(0, 1), thunk);
}

TEST(ApiHook, UnreadableEntriesEndTheWalkWithoutAFault) {
  // An entry pointing at an unmapped page: the thunk check reads through the probe.
  void* hole = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  const uint64_t find = 0x7F0011223344;
  ImportImage image({{"USER32.dll", {reinterpret_cast<uintptr_t>(hole), 0x10, find}}});
  EXPECT_EQ(KtkSkinManagerApiHook().PatchImportEntryInImage("USER32.dll", A(find), A(find + 1), image.base()), 1);
  EXPECT_EQ(image.Entry(0, 2), find + 1);
  munmap(hole, 4096);
  // Nothing readable at all, and memory that is no image.
  EXPECT_EQ(KtkSkinManagerApiHook().PatchImportEntryInImage("USER32.dll", A(find), A(1), hole), 0);
  std::vector<uint8_t> junk(64, 0x4D);
  EXPECT_EQ(KtkSkinManagerApiHook().PatchImportEntryInImage("USER32.dll", A(find), A(1), junk.data()), 0);
}

TEST(ApiHook, ThirtyTwoBitTablesHoldOnlyNarrowAddresses) {
  ImportImage image({{"USER32.dll", {0x11223344}}}, false);
  CKtkSkinManagerApiHook& hooks = KtkSkinManagerApiHook();
  EXPECT_EQ(hooks.PatchImportEntryInImage("USER32.dll", A(0x11223344), A(0x7F0000000000), image.base()), 0);
  EXPECT_EQ(hooks.PatchImportEntryInImage("USER32.dll", A(0x11223344), A(0x55667788), image.base()), 1);
  EXPECT_EQ(image.Entry(0, 0), 0x55667788u);
}

TEST(ApiHook, ModulesOfThisProcessHaveNoImportTable) {
  CKtkSkinManagerApiHook& hooks = KtkSkinManagerApiHook();
  for (LPCWSTR name : {static_cast<LPCWSTR>(nullptr), u"user32", u"comctl32"}) {
    HMODULE module = GetModuleHandleW(name);
    EXPECT_EQ(hooks.PatchImportEntry("USER32.dll", reinterpret_cast<void*>(&DefWindowProcW),
                                     reinterpret_cast<void*>(&CallWindowProcW), module),
              0);
  }
}

LRESULT Answer42(HWND, UINT, WPARAM, LPARAM) { return 42; }

TEST(ApiHook, NoHookIsInstalledSoCallsGoStraightThrough) {
  CKtkSkinManagerApiHook& hooks = KtkSkinManagerApiHook();
  for (int slot = -1; slot <= CKtkSkinManagerApiHook::kSlotCount; ++slot)
    EXPECT_EQ(hooks.GetPreHookAddress(slot), nullptr);
  EXPECT_EQ(KtkCallWindowProc(&Answer42, nullptr, WM_NULL, 0, 0), 42);
  RECT r{0, 0, 100, 50}, expected = r;
  AdjustWindowRectEx(&expected, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_TRUE(KtkAdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0));
  EXPECT_EQ(r.left, expected.left);
  EXPECT_EQ(r.bottom, expected.bottom);
  hooks.RemoveAllHooks();  // nothing installed: nothing to undo
}

TEST(ApiHook, ExcludedModulesOnThisSystem) {
  const CKtkSkinManagerApiHook& hooks = KtkSkinManagerApiHook();
  ASSERT_EQ(hooks.ExcludedModules().size(), 7u);
  EXPECT_EQ(std::u16string(hooks.ExcludedModules()[0].name), u"SHLWAPI.DLL");
  EXPECT_TRUE(hooks.IsExcludedModule(GetModuleHandleW(u"USER32.DLL")));
  EXPECT_TRUE(hooks.IsExcludedModule(GetModuleHandleW(u"KERNEL32.DLL")));
  EXPECT_FALSE(hooks.IsExcludedModule(GetModuleHandleW(u"COMCTL32.DLL")));  // excluded on 9x only
  EXPECT_FALSE(hooks.IsExcludedModule(GetModuleHandleW(nullptr)));
  EXPECT_FALSE(hooks.IsExcludedModule(nullptr));
}

}  // namespace
