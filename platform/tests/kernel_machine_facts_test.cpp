// The machine facts the usage report reads: adapter table, processor architecture, locale
// names in 8 bits; and MFC's program start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "kx2/Module.h"
#include "win/afx_winmain.h"
#include "win/iphlpapi.h"
#include "win/module.h"
#include "win/nls_ansi.h"
#include "win/sysinfo.h"

namespace {

TEST(MachineFacts, AdapterTableGivesItsSizeThenRows) {
  ULONG size = 0;
  ASSERT_EQ(GetIfTable(nullptr, &size, FALSE), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GE(size, sizeof(MIB_IFTABLE));
  EXPECT_EQ(GetIfTable(nullptr, nullptr, FALSE), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
  ULONG small = size - 1;
  EXPECT_EQ(GetIfTable(table, &small, TRUE), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_EQ(GetIfTable(table, &size, TRUE), static_cast<DWORD>(NO_ERROR));
  bool loopback = false;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IFROW& row = table->table[i];
    EXPECT_TRUE(row.dwPhysAddrLen == 0 || row.dwPhysAddrLen == 6);
    if (i > 0) {
      EXPECT_LE(table->table[i - 1].dwIndex, row.dwIndex);
    }
    if (row.dwType == MIB_IF_TYPE_LOOPBACK) {
      loopback = true;
      EXPECT_EQ(row.dwPhysAddrLen, 0u);
    } else if (row.dwPhysAddrLen == 6) {
      // The address the link entry gives is the one the system shows.
      char text[18];
      std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", row.bPhysAddr[0], row.bPhysAddr[1],
                    row.bPhysAddr[2], row.bPhysAddr[3], row.bPhysAddr[4], row.bPhysAddr[5]);
      std::ifstream sys("/sys/class/net/" + std::string(reinterpret_cast<const char*>(row.bDescr)) + "/address");
      std::string shown;
      std::getline(sys, shown);
      EXPECT_EQ(shown, text) << row.bDescr;
    }
  }
  if (table->dwNumEntries > 0) {
    EXPECT_TRUE(loopback) << "every Linux system has lo";
  }
}

TEST(MachineFacts, ProcessorArchitectureAlsoByNameInKernel32) {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  // Read from the system's list of online processors, as the C library counts them.
  EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN)));
  HMODULE kernel = LoadLibraryW(u"Kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  auto native = kx2::ProcAs<void (*)(LPSYSTEM_INFO)>(GetProcAddress(kernel, "GetNativeSystemInfo"));
  ASSERT_NE(native, nullptr);
  SYSTEM_INFO byName{};
  native(&byName);
  EXPECT_EQ(byName.wProcessorArchitecture, info.wProcessorArchitecture);
  FreeLibrary(kernel);
}

TEST(MachineFacts, LocaleNamesInEightBits) {
  char language[256] = {}, country[256] = {};
  EXPECT_GT(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, language, 256), 1);
  EXPECT_GT(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO3166CTRYNAME, country, 256), 1);
  EXPECT_EQ(std::strlen(language), 2u);
  char tiny[1];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, tiny, 1), 0);
}

class RecordingApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    steps += "init:" + std::to_string(__argc) + ":" + __argv[1] + ";";
    return FALSE;
  }
  int ExitInstance() override {
    steps += "exit;";
    return 3;
  }
  std::string steps;
};

TEST(MachineFacts, ProgramStartRunsInitThenExit) {
  RecordingApp app;
  char name[] = "Fennic.exe", first[] = "Taloria";
  char* argv[] = {name, first, nullptr};
  EXPECT_EQ(AfxWinMain(app, 2, argv), 3);
  EXPECT_EQ(app.steps, "init:2:Taloria;exit;");
}

}  // namespace
