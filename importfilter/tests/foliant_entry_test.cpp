// The plug-in's exports, called through the plug-in loaded with LoadLibraryW into a
// process with the host stand-in, as the host calls them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <basalt/error.h>
#include <basalt/module.h>
#include <foliant/filter_info.h>
#include <foliant/filter_library.h>
#include <vantorel/host_api.h>
#include <win/module.h>
#include <kx2/Module.h>
#include <kx2/PathMap.h>
#include <kx2/Utf.h>

#include "entry/export_guard.h"
#include "entry/filter_driver.h"

extern "C" CFilterLibraryItem* FoundFilter();
extern "C" void IteratorFilter(CFilterLibraryItem** cursor, FilterInfo* info);

namespace {

class FoliantExports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW(u"TqFoliant.afd");
    ASSERT_NE(module_, nullptr);
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  template <class F>
  static F Bind(const char* name, WORD ordinal) {
    FARPROC byName = GetProcAddress(module_, name);
    FARPROC byOrdinal = GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
    EXPECT_EQ(byName, byOrdinal) << name;
    return kx2::ProcAs<F>(byName);
  }
  void SetUp() override {
    found = Bind<FoundFilterFunc>("FoundFilter", 1);
    iterate = Bind<IteratorFilterFunc>("IteratorFilter", 2);
    discover = Bind<DiscoveryFilterFunc>("DiscoveryFilter", 3);
    importExport = Bind<ImportExportFunc>("ImportExport", 4);
    importExportEx = Bind<ImportExportExFunc>("ImportExportEx", 5);
    options = Bind<OptionsFunc>("Options", 6);
    ASSERT_TRUE(found && iterate && discover && importExport && importExportEx && options);
  }

  static HMODULE module_;
  FoundFilterFunc found;
  IteratorFilterFunc iterate;
  DiscoveryFilterFunc discover;
  ImportExportFunc importExport;
  ImportExportExFunc importExportEx;
  OptionsFunc options;
};
HMODULE FoliantExports::module_ = nullptr;

// The bytes GetFilterInfo writes, built field by field.
std::vector<unsigned char> ExpectedRecord(DWORD id, DWORD format, DWORD flags, const std::u16string& name,
                                          const std::u16string& description, const std::u16string& text,
                                          const std::u16string& shortText) {
  std::vector<unsigned char> bytes(552, 0);
  auto put32 = [&](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  auto putText = [&](size_t at, const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
      bytes[at + 2 * i] = static_cast<unsigned char>(s[i]);
      bytes[at + 2 * i + 1] = static_cast<unsigned char>(s[i] >> 8);
    }
  };
  put32(0, 552), put32(4, id), put32(8, format), put32(12, format), put32(16, flags), put32(20, 5);
  putText(24, name), putText(88, description), putText(344, u"ETq"), putText(408, text), putText(536, shortText);
  return bytes;
}

TEST_F(FoliantExports, ListsFreeMindMindManagerXMind) {
  CFilterLibraryItem* cursor = found();
  ASSERT_NE(cursor, nullptr);
  struct Case {
    DWORD id, format;
    std::u16string name, description, text, shortText;
  } cases[] = {
      {0x10000116, 0x1000010D, u"FreeMind", u"FreeMind Map (*.mm)", u"*.mm", u".mm"},
      {0x10000115, 0x1000010C, u"MindManager", u"MindManager Map (*.mmap)", u"*.mmap", u".mmap"},
      {0x10000117, 0x1000010E, u"XMind", u"XMind Workbook (*.xmind)", u"*.xmind", u".xmind"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(cursor, nullptr) << "filter " << c.id;
    FilterInfo info;
    std::memset(&info, 0, sizeof info);
    info.size = 552;
    info.flags = 0xABCD;  // XMind leaves the host's flags alone
    iterate(&cursor, &info);
    auto expected =
        ExpectedRecord(c.id, c.format, c.id == 0x10000117 ? 0xABCD : 0, c.name, c.description, c.text, c.shortText);
    EXPECT_EQ(std::memcmp(&info, expected.data(), 552), 0) << "filter " << std::hex << c.id;
  }
  EXPECT_EQ(cursor, nullptr) << "the cursor is null after the last filter";
  iterate(&cursor, nullptr);
  EXPECT_EQ(cursor, nullptr);
}

TEST_F(FoliantExports, IteratorIgnoresNullsAndResetsAForeignCursor) {
  FilterInfo info;
  std::memset(&info, 0x5A, sizeof info);
  info.size = 552;
  const FilterInfo before = info;
  iterate(nullptr, &info);
  CFilterLibraryItem* none = nullptr;
  iterate(&none, &info);
  CFilterLibraryItem* head = found();
  iterate(&head, nullptr);
  EXPECT_EQ(head, found()) << "no info: the cursor stays";
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);

  CFilterLibraryItem* foreign = reinterpret_cast<CFilterLibraryItem*>(&info);
  iterate(&foreign, &info);
  EXPECT_EQ(foreign, nullptr);
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0) << "a foreign cursor leaves the record alone";
}

TEST_F(FoliantExports, ARecordBelow552BytesStaysUntouchedButTheCursorMoves) {
  FilterInfo info;
  std::memset(&info, 0x33, sizeof info);
  info.size = 551;
  const FilterInfo before = info;
  CFilterLibraryItem* cursor = found();
  iterate(&cursor, &info);
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
  EXPECT_EQ(cursor, found()->GetNext());
}

TEST_F(FoliantExports, NamesAreLookedUpIgnoringCase) {
  // A real map, so that a name that finds the FreeMind item is told from one that does not.
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("foliant_names_" + std::to_string(getpid()) + ".mm");
  std::ofstream(file) << "<map version=\"1.0.1\"><node TEXT=\"r\"/></map>";
  const std::u16string map = kx2::ToWindowsPath(file.string());
  const struct {
    const char16_t* name;
    int found;
  } names[] = {{u"FREEMIND", 1}, {u"freemind", 1}, {u"FreeMind", 1}, {u"MindManager", 0},
               {u"xmind", 0},    {u"OPML", 0},     {u"", 0},         {u"FREEMINDX", 0}};
  for (const auto& n : names) EXPECT_EQ(discover(map.c_str(), n.name), n.found) << kx2::Utf16ToUtf8(n.name);
  std::filesystem::remove(file);
  const char16_t* missing = u"Z:\\no\\such\\map.mm";
  for (const char16_t* name : {u"FREEMIND", u"freemind", u"MindManager", u"xmind", u"OPML", u"", u"FREEMINDX"}) {
    EXPECT_EQ(discover(missing, name), 0) << "nothing reads a missing file";
    EXPECT_EQ(importExportEx(0, nullptr, missing, name, 0), 0) << "export does nothing";
    EXPECT_EQ(options(1, 2, name, 3, 4), 0);
    for (int flag : {0, 1}) EXPECT_EQ(importExport(flag, 1, 2, name, 3), 0);
  }
  EXPECT_EQ(discover(missing, nullptr), 0);
}

TEST(FoliantFilterInfo, TextsAreCutToTheirFields) {
  ASSERT_TRUE(FoliantStarted());
  // 22027 is far longer than any field.
  foliant::FilterDescription d{1, 2, 22027, 22027, 22027, 22027, false};
  FilterInfo info{};
  info.size = 552;
  foliant::FillFilterInfo(&info, d, FoliantModuleInfo()->resourceInstance);
  auto length = [](const WCHAR* s, size_t cap) {
    size_t n = 0;
    while (n < cap && s[n]) ++n;
    return n;
  };
  EXPECT_EQ(length(info.name, 32), 31u);
  EXPECT_EQ(length(info.description, 128), 127u);
  EXPECT_EQ(length(info.text, 64), 63u);
  EXPECT_EQ(length(info.shortText, 8), 7u);
  EXPECT_EQ(std::u16string(info.name, 4), u"This");
}

TEST(FoliantExportGuard, NothingThrownLeavesAnExport) {
  using Basalt::Error::BaseError;
  AFX_MODULE_STATE mine, caller;
  struct Case {
    const char* what;
    void (*thrower)();
    uint32_t code;
  } cases[] = {
      {"framework exception", [] { AfxThrowOleException(E_FAIL); }, Basalt::Error::kErrorMessage},
      {"importer code", [] { throw uint32_t(0x1234); }, 0x1234},
      {"out of memory", [] { throw std::bad_alloc(); }, Basalt::Error::kErrorOutOfMemory},
      {"anything else", [] { throw 42; }, Basalt::Error::kErrorXmlParse},
  };
  for (const Case& c : cases) {
    AFX_MANAGE_STATE(&caller);
    BaseError::_ClearError();
    int result = foliant::RunExport(&mine, true, [&] {
      EXPECT_EQ(AfxGetModuleState(), &mine);
      c.thrower();
      return 7;
    });
    EXPECT_EQ(result, 0) << c.what;
    EXPECT_EQ(BaseError::_GetError(), c.code) << c.what;
    EXPECT_EQ(AfxGetModuleState(), &caller) << c.what << ": the caller's module state is back";
  }
  BaseError::_ClearError();
  EXPECT_EQ(foliant::RunExport(&mine, false, [] { return 7; }), 0) << "a plug-in that did not start answers 0";
  EXPECT_EQ(foliant::RunExport(&mine, true, [] { return 7; }), 7);
}

// Importers that record the order in which an item drives them.
std::vector<std::string> g_calls;
int g_init = 1;
struct Recording {
  Recording() { g_calls.push_back("construct"); }
  ~Recording() { g_calls.push_back("destroy"); }
  int Init() { return g_calls.push_back("init"), g_init; }
  int Probe(LPCWSTR) { return g_calls.push_back("probe"), 5; }
  int Import(IVtlDocumentManager*, LPCWSTR) { return g_calls.push_back("import"), 6; }
  void Cleanup() { g_calls.push_back("cleanup"); }
};
struct RecordingWithClose : Recording {
  void Cleanup() = delete;
  void Close() { g_calls.push_back("close"); }
};

TEST(FoliantFilterDriver, DrivesAFreshImporterInOrder) {
  struct Case {
    int init;
    int discovery, import;
    std::vector<std::string> probeCalls, importCalls;
  } cases[] = {
      {1,
       5,
       6,
       {"construct", "init", "probe", "cleanup", "destroy"},
       {"construct", "init", "import", "cleanup", "destroy"}},
      {2, 5, 2, {"construct", "init", "probe", "cleanup", "destroy"}, {"construct", "init", "destroy"}},
      {0, 0, 0, {"construct", "init", "destroy"}, {"construct", "init", "destroy"}},
  };
  for (const Case& c : cases) {
    g_init = c.init;
    g_calls.clear();
    EXPECT_EQ(foliant::DriveDiscovery<Recording>(u"x"), c.discovery) << "init " << c.init;
    EXPECT_EQ(g_calls, c.probeCalls) << "init " << c.init;
    g_calls.clear();
    EXPECT_EQ(foliant::DriveImport<Recording>(nullptr, u"x"), c.import) << "init " << c.init;
    EXPECT_EQ(g_calls, c.importCalls) << "init " << c.init;
  }
  g_init = 1;
  g_calls.clear();
  foliant::DriveImport<RecordingWithClose>(nullptr, u"x");
  EXPECT_EQ(g_calls, (std::vector<std::string>{"construct", "init", "import", "close", "destroy"}));
}

}  // namespace

namespace {

TEST(FoliantLifetime, StopsAndStartsAgain) {
  ASSERT_TRUE(FoliantStarted());
  ASSERT_NE(FoliantModuleInfo()->resourceInstance, nullptr) << "FoliantRes is loaded at start";
  FoliantProcessDetach();
  EXPECT_FALSE(FoliantStarted());
  EXPECT_EQ(FoliantModuleInfo()->resourceInstance, nullptr) << "and freed at stop";
  // The test holds its own copy of the plug-in's objects: its entries are the ones the
  // stop and start above act on (a plug-in loaded with LoadLibraryW is another copy).
  EXPECT_EQ(FoundFilter(), nullptr) << "a stopped plug-in answers nothing";
  EXPECT_TRUE(FoliantProcessAttach());
  EXPECT_NE(FoundFilter(), nullptr);
  FilterInfo info{};
  info.size = 552;
  CFilterLibraryItem* cursor = FoundFilter();
  IteratorFilter(&cursor, &info);
  EXPECT_EQ(std::u16string(info.name), u"FreeMind") << "texts come from FoliantRes again";
}

}  // namespace
