// The calling process's own memory and modules: reading through the probe, region
// protection, import directories, module snapshots and the module switches.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "kx2/MemoryProbe.h"
#include "kx2/Module.h"
#include "kx2/SoundSink.h"
#include "win/imagehlp.h"
#include "win/kernel.h"
#include "win/memoryapi.h"
#include "win/mmsystem.h"
#include "win/module.h"
#include "win/processthreads.h"
#include "win/psapi.h"
#include "win/tlhelp32.h"

namespace {

TEST(MemoryProbe, ReadsWhatIsMappedAndFailsOnWhatIsNot) {
  const char text[] = "probe me";
  char out[sizeof text] = {};
  EXPECT_TRUE(Kx2ProbeRead(text, out, sizeof text));
  EXPECT_STREQ(out, text);
  void* hole = mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  std::memset(hole, 7, 8192);
  ASSERT_EQ(mprotect(static_cast<char*>(hole) + 4096, 4096, PROT_NONE), 0);
  char buf[16];
  EXPECT_TRUE(Kx2ProbeRead(static_cast<char*>(hole) + 4096 - 16, buf, 16));
  EXPECT_FALSE(Kx2ProbeRead(static_cast<char*>(hole) + 4096 - 8, buf, 16));  // runs into the hole
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
  EXPECT_FALSE(Kx2ProbeRead(nullptr, buf, 1));
  EXPECT_TRUE(Kx2ProbeRead(nullptr, buf, 0));
  munmap(hole, 8192);
}

TEST(VirtualMemory, QueryAndProtectFollowTheMappings) {
  const long page = sysconf(_SC_PAGESIZE);
  auto* region = static_cast<char*>(mmap(nullptr, 3 * page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  MEMORY_BASIC_INFORMATION info{};
  ASSERT_EQ(VirtualQuery(region + page + 5, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.BaseAddress, region + page);
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
  EXPECT_EQ(info.Type, static_cast<DWORD>(MEM_PRIVATE));
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(region + page + 5, 10, PAGE_READWRITE, &old));
  EXPECT_EQ(old, static_cast<DWORD>(PAGE_READONLY));
  region[page + 5] = 'x';  // writable now
  ASSERT_EQ(VirtualQuery(region + page, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
  EXPECT_EQ(info.RegionSize, static_cast<SIZE_T>(page));  // only that page changed
  ASSERT_TRUE(VirtualProtect(region + page, 1, old, &old));
  EXPECT_FALSE(VirtualProtect(region, 1, 0x1234, &old));
  EXPECT_EQ(VirtualQuery(region, &info, 4), 0u);
  munmap(region, 3 * page);
  ASSERT_EQ(VirtualQuery(region + page, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
  EXPECT_FALSE(VirtualProtect(region + page, 1, PAGE_READWRITE, &old));
  ASSERT_EQ(VirtualQuery(reinterpret_cast<const void*>(&GetProcAddress), &info, sizeof info), sizeof info);
  EXPECT_EQ(info.Type, static_cast<DWORD>(MEM_IMAGE));
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
}

TEST(ImageDirectory, ElfModulesHaveNoImportDirectory) {
  MODULEINFO info{};
  ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), GetModuleHandleW(u"kernel32"), &info, sizeof info));
  ULONG size = 1;
  EXPECT_EQ(ImageDirectoryEntryToData(info.lpBaseOfDll, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size), nullptr);
  EXPECT_EQ(ImageDirectoryEntryToData(nullptr, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size), nullptr);
  EXPECT_EQ(size, 1u);
}

TEST(ToolHelp, SnapshotListsWhatPsapiLists) {
  DWORD needed = 0;
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed));
  std::vector<HMODULE> modules(needed / sizeof(HMODULE));
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules.data(), needed, &needed));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  std::vector<HMODULE> listed;
  for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
    listed.push_back(entry.hModule);
    MODULEINFO info{};
    ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), entry.hModule, &info, sizeof info));
    EXPECT_EQ(entry.modBaseAddr, info.lpBaseOfDll);
    EXPECT_EQ(entry.modBaseSize, info.SizeOfImage);
    EXPECT_NE(entry.szModule[0], 0);
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(listed, modules);
  entry.dwSize = 1064;  // the 32-bit system's size is not this build's
  EXPECT_FALSE(Module32FirstW(snapshot, &entry));
  EXPECT_TRUE(CloseHandle(snapshot));
  EXPECT_EQ(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId() + 1), INVALID_HANDLE_VALUE);
}

TEST(OwnProcess, OpenedHandleServesTheModuleList) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
  ASSERT_NE(process, nullptr);
  DWORD needed = 0;
  EXPECT_TRUE(EnumProcessModules(process, nullptr, 0, &needed));
  EXPECT_GT(needed, 0u);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_FALSE(EnumProcessModules(process, nullptr, 0, &needed));
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId() + 1), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(ModuleSwitches, AbsentLibrariesAndExportsAndNewHandles) {
  HMODULE psapi = LoadLibraryW(u"psapi.dll");
  ASSERT_NE(psapi, nullptr);
  Kx2ModuleSetAbsent(u"PSAPI.DLL", TRUE);
  EXPECT_EQ(LoadLibraryW(u"C:\\Windows\\System32\\psapi.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleW(u"psapi"), nullptr);
  Kx2ModuleSetExportAbsent("MonitorFromPoint", TRUE);
  HMODULE user32 = GetModuleHandleW(u"user32");
  EXPECT_EQ(GetProcAddress(user32, "MonitorFromPoint"), nullptr);
  EXPECT_EQ(GetProcAddress(psapi, "MonitorFromPoint"), nullptr);
  EXPECT_EQ(Kx2ModuleAbsentLookups("MonitorFromPoint"), 2u);
  EXPECT_NE(GetProcAddress(user32, "MonitorFromRect"), nullptr);

  const DWORD generation = Kx2ModuleGeneration();
  HMODULE uxtheme = GetModuleHandleW(u"uxtheme.dll");
  HMODULE again = Kx2ModuleReloadSystemLibrary(u"uxtheme");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, uxtheme);
  EXPECT_NE(Kx2ModuleGeneration(), generation);
  EXPECT_EQ(GetModuleHandleW(u"UXTHEME.DLL"), again);
  EXPECT_EQ(GetProcAddress(again, "IsThemeActive"), GetProcAddress(uxtheme, "IsThemeActive"));
  EXPECT_NE(GetProcAddress(again, "IsThemeActive"), nullptr);

  Kx2ModuleResetSwitches();
  EXPECT_EQ(GetModuleHandleW(u"psapi"), psapi);
  EXPECT_EQ(GetModuleHandleW(u"uxtheme"), uxtheme);
  EXPECT_NE(GetProcAddress(user32, "MonitorFromPoint"), nullptr);
  EXPECT_EQ(Kx2ModuleAbsentLookups("MonitorFromPoint"), 0u);
  FreeLibrary(psapi);
}

TEST(ModuleSwitches, SecondCopyOfTheCommonControls) {
  HMODULE first = GetModuleHandleW(u"comctl32");
  ASSERT_NE(first, nullptr);
  HMODULE second = Kx2ModuleLoadSecondCopy(u"comctl32.dll");
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(GetModuleHandleW(u"COMCTL32.DLL"), second);
  FARPROC a = GetProcAddress(first, "DllGetVersion"), b = GetProcAddress(second, "DllGetVersion");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(Kx2ModuleFromAddress(reinterpret_cast<const void*>(b)), second);
  EXPECT_NE(GetProcAddress(second, "GetSysColor"), nullptr);  // the platform's exports too
  Kx2ModuleResetSwitches();
  EXPECT_EQ(GetModuleHandleW(u"comctl32"), first);
  EXPECT_EQ(Kx2ModuleLoadSecondCopy(u"gdi32"), nullptr);
}

TEST(Sound, PlaySoundRecordsItsRequests) {
  kx2::TakeSounds();
  EXPECT_TRUE(PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS | SND_ASYNC));
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, SND_PURGE));
  auto sounds = kx2::TakeSounds();
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[0].sound, u"MenuPopup");
  EXPECT_EQ(sounds[0].flags, static_cast<DWORD>(SND_ALIAS | SND_ASYNC));
  EXPECT_TRUE(sounds[1].sound.empty());
  EXPECT_EQ(kx2::PendingSounds(), 0u);
}

}  // namespace
