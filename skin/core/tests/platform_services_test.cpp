// Version predicates, module handles, the module lists and the system-code test.
#include <gtest/gtest.h>
#include <link.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <kx2/Module.h>
#include <kx2test/ChildProcess.h>
#include <win/afx.h>
#include <win/afx_wnd.h>
#include <win/kernel.h>
#include <win/module.h>

#include "ornatex/core/module_list.h"
#include "ornatex/core/platform_version.h"

namespace {

using Range = std::pair<uintptr_t, uintptr_t>;

// Every object the dynamic linker has loaded that the module layer knows, as the span of
// its loaded segments.
std::set<Range> LoadedObjects() {
  std::set<Range> out;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* context) {
        uintptr_t low = UINTPTR_MAX, high = 0;
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type != PT_LOAD) continue;
          low = std::min<uintptr_t>(low, info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
          high = std::max<uintptr_t>(high, info->dlpi_addr + info->dlpi_phdr[i].p_vaddr + info->dlpi_phdr[i].p_memsz);
        }
        if (low < high && Kx2ModuleFromAddress(reinterpret_cast<const void*>(low)))
          static_cast<std::set<Range>*>(context)->insert({low, high});
        return 0;
      },
      &out);
  return out;
}

std::set<Range> Walk(CKtkSkinManagerModuleList::CModuleEnumerator& e) {
  std::set<Range> out;
  HMODULE module = nullptr;
  for (BOOL more = e.First(&module); more; more = e.Next(&module)) {
    LPVOID base = nullptr;
    DWORD size = 0;
    EXPECT_TRUE(e.GetModuleInfo(module, &base, &size, nullptr));
    out.insert({reinterpret_cast<uintptr_t>(base), reinterpret_cast<uintptr_t>(base) + size});
  }
  return out;
}

TEST(ModuleList, BothEnumeratorsAgreeWithTheDynamicLinker) {
  const std::set<Range> expected = LoadedObjects();
  ASSERT_GT(expected.size(), 5u);
  CPsapiModuleEnumerator psapi(GetCurrentProcessId());
  CToolHelpModuleEnumerator toolhelp(GetCurrentProcessId());
  EXPECT_EQ(Walk(psapi), expected);
  EXPECT_EQ(Walk(toolhelp), expected);
  EXPECT_EQ(CKtkSkinManagerModuleList::ProcessKind(), CKtkSkinManagerModuleList::kPsapi);
  CPsapiModuleEnumerator other(GetCurrentProcessId() + 1);  // another process cannot be read
  HMODULE module = nullptr;
  EXPECT_FALSE(other.First(&module));
}

FARPROC Export(LPCWSTR library, const char* name) { return GetProcAddress(GetModuleHandleW(library), name); }

TEST(SystemCode, SystemProceduresAreTheOnesInUser32AndComCtl32) {
  // Addresses from the libraries themselves: a program's own reference to an imported
  // function may be its PLT entry.
  const void* defWindowProc = reinterpret_cast<const void*>(Export(u"user32", "DefWindowProcW"));
  const void* comctl = reinterpret_cast<const void*>(Export(u"comctl32", "DllGetVersion"));
  ASSERT_NE(defWindowProc, nullptr);
  ASSERT_NE(comctl, nullptr);
  EXPECT_TRUE(IsSystemModuleAddress(defWindowProc));
  EXPECT_TRUE(IsSystemModuleAddress(comctl));
  EXPECT_FALSE(IsSystemModuleAddress(reinterpret_cast<const void*>(&LoadedObjects)));
  EXPECT_FALSE(IsSystemModuleAddress(reinterpret_cast<const void*>(&AfxWndProc)));
  EXPECT_FALSE(IsSystemModuleAddress(reinterpret_cast<const void*>(uintptr_t{0xFFFF0000})));
  EXPECT_FALSE(IsSystemModuleAddress(reinterpret_cast<const void*>(UINTPTR_MAX - 16)));
  EXPECT_FALSE(IsSystemModuleAddress(nullptr));

  // A second copy of the common controls: both copies' code is system code.
  HMODULE second = Kx2ModuleLoadSecondCopy(u"comctl32");
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(GetModuleHandleW(u"COMCTL32.DLL"), second);
  const void* secondCode = reinterpret_cast<const void*>(GetProcAddress(second, "DllGetVersion"));
  ASSERT_NE(secondCode, comctl);
  EXPECT_TRUE(IsSystemModuleAddress(secondCode));
  EXPECT_TRUE(IsSystemModuleAddress(comctl));
  EXPECT_TRUE(IsSystemModuleAddress(defWindowProc));
  Kx2ModuleResetSwitches();
}

TEST(SystemCode, NothingIsSystemCodeWithoutAModuleList) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("SystemCode.NothingIsSystemCodeWithoutAModuleList");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  const void* defWindowProc = reinterpret_cast<const void*>(Export(u"user32", "DefWindowProcW"));
  Kx2ModuleSetAbsent(u"psapi", TRUE);
  Kx2ModuleSetExportAbsent("CreateToolhelp32Snapshot", TRUE);
  EXPECT_EQ(CKtkSkinManagerModuleList::ProcessKind(), CKtkSkinManagerModuleList::kNone);
  CKtkSkinManagerModuleList list(GetCurrentProcessId());
  HMODULE module = nullptr;
  EXPECT_FALSE(list.First(&module));
  EXPECT_FALSE(list.GetModuleInfo(GetModuleHandleW(u"user32"), nullptr, nullptr, nullptr));
  EXPECT_FALSE(IsSystemModuleAddress(defWindowProc));
  EXPECT_FALSE(IsSystemModuleAddress(reinterpret_cast<const void*>(uintptr_t{0xFFFF0000})));
}

TEST(SystemCode, ToolHelpServesWithoutPsapi) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("SystemCode.ToolHelpServesWithoutPsapi");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  Kx2ModuleSetAbsent(u"psapi", TRUE);
  EXPECT_EQ(CKtkSkinManagerModuleList::ProcessKind(), CKtkSkinManagerModuleList::kToolHelp);
  EXPECT_TRUE(IsSystemModuleAddress(reinterpret_cast<const void*>(Export(u"user32", "DefWindowProcW"))));
}

// The predicates over every version the platform can report.
struct VersionRow {
  const char* winver;
  bool win95, win9x, nt4OrLater, w2000OrLater, exactlyNt4, xpOrLater, vistaOrLater;
};
constexpr VersionRow kVersions[] = {
    {"95", 1, 1, 0, 0, 0, 0, 0},   {"98", 0, 1, 0, 0, 0, 0, 0},    {"me", 0, 1, 0, 0, 0, 0, 0},
    {"nt4", 0, 0, 1, 0, 1, 0, 0},  {"2000", 0, 0, 1, 1, 0, 0, 0},  {"xp", 0, 0, 1, 1, 0, 1, 0},
    {"2003", 0, 0, 1, 1, 0, 1, 0}, {"vista", 0, 0, 1, 1, 0, 1, 1}, {"7", 0, 0, 1, 1, 0, 1, 1},
    {"8", 0, 0, 1, 1, 0, 1, 1},
};

TEST(PlatformVersion, PredicatesOverEveryVersion) {
  if (kx2test::InChild()) {
    const char* winver = std::getenv("KX2_WINVER");
    ASSERT_NE(winver, nullptr);
    for (const VersionRow& row : kVersions) {
      if (std::string(row.winver) != winver) continue;
      EXPECT_EQ(KtkIsWindows95() != 0, row.win95);
      EXPECT_EQ(KtkIsWindows9x() != 0, row.win9x);
      EXPECT_EQ(KtkIsNT4OrLater() != 0, row.nt4OrLater);
      EXPECT_EQ(KtkIsWindows2000OrLater() != 0, row.w2000OrLater);
      EXPECT_EQ(KtkIsExactlyNT4() != 0, row.exactlyNt4);
      EXPECT_EQ(KtkIsXPOrLater() != 0, row.xpOrLater);
      EXPECT_EQ(KtkIsVistaOrLater() != 0, row.vistaOrLater);
      return;
    }
    FAIL() << "no row for " << winver;
  }
  std::vector<std::unique_ptr<kx2test::ChildProcess>> children;
  for (const VersionRow& row : kVersions)
    children.push_back(std::make_unique<kx2test::ChildProcess>("PlatformVersion.PredicatesOverEveryVersion",
                                                               kx2test::Environment{{"KX2_WINVER", row.winver}}));
  for (size_t i = 0; i < children.size(); ++i) {
    const auto& result = children[i]->Wait();
    EXPECT_TRUE(result.Passed()) << kVersions[i].winver << "\n" << result.output;
  }
}

TEST(PlatformVersion, CommonControlsVersion) {
  if (kx2test::InChild()) {
    EXPECT_EQ(KtkGetComCtlVersion(), 0x50052u);
    return;
  }
  EXPECT_EQ(KtkGetComCtlVersion(), 0x6000Au);
  auto child = kx2test::RunInChild("PlatformVersion.CommonControlsVersion", {{"KX2_COMCTL_VERSION", "5.82"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

TEST(ModuleHandle, MinimumVersionsAskTheModulesVersionRecord) {
  CKtkModuleHandle comctl(u"COMCTL32.DLL");
  ASSERT_NE(comctl.GetHandle(), nullptr);
  EXPECT_EQ(comctl.m_origin, CKtkModuleHandle::kFoundLoaded);
  DWORD major = 0, minor = 0;
  ASSERT_TRUE(comctl.GetVersion(&major, &minor));
  EXPECT_EQ(major, 6u);
  EXPECT_EQ(minor, 10u);
  EXPECT_NE(comctl.GetProcAddress("DllGetVersion", 6, 10), nullptr);
  EXPECT_NE(comctl.GetProcAddress("DllGetVersion", 5, 82), nullptr);
  EXPECT_EQ(comctl.GetProcAddress("DllGetVersion", 6, 11), nullptr);
  EXPECT_EQ(comctl.GetProcAddress("DllGetVersion", 7, 0), nullptr);

  // A module without a version record finds its functions only when no minimum is asked.
  CKtkModuleHandle gdi(u"GDI32.DLL");
  ASSERT_NE(gdi.GetHandle(), nullptr);
  EXPECT_FALSE(gdi.GetVersion(&major, &minor));
  EXPECT_NE(gdi.GetProcAddress("BitBlt"), nullptr);
  EXPECT_EQ(gdi.GetProcAddress("BitBlt", 1, 0), nullptr);

  CKtkModuleHandle missing(u"NoSuchLibrary.dll");
  EXPECT_EQ(missing.GetHandle(), nullptr);
  EXPECT_EQ(missing.GetProcAddress("Anything"), nullptr);
}

}  // namespace
