// The engine library's lifetime: the host's create, reach and destroy exports, the module
// start and stop with the drawing resources, and the in-process server entries.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include <basalt/module.h>
#include <plastrum/format/PlastrumModule.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeKinds.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/present/shell/module_lifecycle.h>
#include <plastrum/present/shell/present_exports.h>

namespace {

// Engines other tests left must not count here, and a test of the table hooks may have left
// the module stopped: a full stop and start puts it back as loading left it.
class PresentShell : public ::testing::Test {
 protected:
  void SetUp() override {
    Present::DestroyAllPresentEngineObjects();
    if (!Present::IsModuleStarted()) {
      Present::StopModule();
      ASSERT_EQ(Present::StartModule(), 0);
    }
  }
  void TearDown() override { Present::DestroyAllPresentEngineObjects(); }
};

TEST_F(PresentShell, ExportsCreateReachAndDestroyTheNewestEngine) {
  EXPECT_EQ(VtlGetPresentEngine(), nullptr);
  DestroyPresentEngine();  // nothing to destroy: no effect

  IPresentEngine* first = CreatePresentEngine();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(VtlGetPresentEngine(), first);

  IPresentEngine* second = CreatePresentEngine();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(VtlGetPresentEngine(), second);

  DestroyPresentEngine();
  EXPECT_EQ(VtlGetPresentEngine(), nullptr);
  DestroyPresentEngine();  // a second call does nothing
  EXPECT_EQ(VtlGetPresentEngine(), nullptr);
  // The first engine is still the module's: the fixture's teardown (as the module stop)
  // destroys it, which the sanitizer build checks for leaks.
}

TEST_F(PresentShell, EngineInterfaceCountsNothingAndFindsNoInterface) {
  IPresentEngine* engine = CreatePresentEngine();
  ASSERT_NE(engine, nullptr);
  const IID ids[] = {IID_IUnknown, IID{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}}};
  for (const IID& id : ids) {
    void* out = engine;
    EXPECT_EQ(engine->QueryInterface(id, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(engine->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(engine->AddRef(), 1u);
  EXPECT_EQ(engine->Release(), 1u);
  EXPECT_EQ(engine->Release(), 1u);
  EXPECT_EQ(VtlGetPresentEngine(), engine);
}

TEST(PresentShellServer, ServesNoClass) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(IID_IUnknown, IID_IUnknown, &out), PLASTRUM_CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DllGetClassObject(IID_IUnknown, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  EXPECT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(DllUnregisterServer(), S_OK);
}

// The drawing-resource calls, in order: S start, C clean up, D shut down.
std::string g_journal;
BOOL g_startupResult = TRUE;
BOOL JournalStartup() {
  g_journal += 'S';
  return g_startupResult;
}
void JournalCleanup() { g_journal += 'C'; }
void JournalShutdown() { g_journal += 'D'; }

int Fault(const char* what) {
  std::fprintf(stderr, "fault: %s\n", what);
  return 1;
}

// Stops the module as loading left it, then starts and stops it again with the journal in
// place of the drawing resources. Returns the number of faults.
int FaultsOfARestart(BOOL startupResult, const char* expectedJournal) {
  int faults = 0;
  PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStop, nullptr, 0);
  if (Present::IsModuleStarted()) faults += Fault("the module still counts as started after its stop");
  if (CreatePresentEngine()) faults += Fault("a stopped module made an engine");

  Present::SetDrawingResourceHooks({&JournalStartup, &JournalCleanup, &JournalShutdown});
  g_startupResult = startupResult;
  g_journal.clear();
  if (PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStart, nullptr, 0) != 0)
    faults += Fault("the start was refused");
  if (Present::DrawingResourcesStarted() != (startupResult == TRUE)) faults += Fault("drawing flag wrong after start");
  if (!CreatePresentEngine()) faults += Fault("a started module made no engine");
  if (!CreatePresentEngine()) faults += Fault("a started module made no second engine");
  PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStop, nullptr, 0);
  if (VtlGetPresentEngine()) faults += Fault("the stop left an engine");
  if (Present::DrawingResourcesStarted()) faults += Fault("drawing flag still set after stop");
  if (g_journal != expectedJournal) {
    std::fprintf(stderr, "journal %s, expected %s\n", g_journal.c_str(), expectedJournal);
    ++faults;
  }
  return faults;
}

struct RestartCase {
  BOOL startup;
  const char* journal;
};

// Each case in a process of its own: the stop empties the tables every other test relies on.
TEST(PresentShellModule, StopCleansUpOnlyWhatTheStartStarted) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const RestartCase cases[] = {{TRUE, "SCD"}, {FALSE, "S"}};
  for (const RestartCase& c : cases) {
    SCOPED_TRACE(c.journal);
    EXPECT_EXIT(_exit(FaultsOfARestart(c.startup, c.journal)), ::testing::ExitedWithCode(0), "");
  }
}

// Engines the host left, one holding a line of its own in the tables, end before the tables
// are emptied; the sanitizer build sees whether anything leaks or is read after its end.
int FaultsOfAStopWithLeftoverEngines() {
  int faults = 0;
  if (!CreatePresentEngine() || !CreatePresentEngine()) faults += Fault("no engine");
  CPresentLine wide = CPresentLine::StandardEntry();
  wide.v.width = 4321;
  const int32_t line = PresentLineTable().Intern(wide);
  if (line < 2) faults += Fault("the line took no identifier of its own");
  // Shapes and a context handed out and never given back hold the line too.
  CPresentShape holder;
  PresentLineTable().Assign(holder.v.lineID, static_cast<uint32_t>(line));
  IPresentEngine* engine = VtlGetPresentEngine();
  if (!engine->NewShape(&holder) || !engine->NewShapeCtx(&holder)) faults += Fault("nothing handed out");
  holder.Clear();
  PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStop, nullptr, 0);
  if (VtlGetPresentEngine()) faults += Fault("an engine survived the stop");
  if (Present::HandedOutShapeObjects() != 0) faults += Fault("handed-out shapes survived the stop");
  if (PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStart, nullptr, 0) != 0) faults += Fault("no restart");
  if (!CreatePresentEngine()) faults += Fault("the restarted module made no engine");
  return faults;
}

TEST(PresentShellModule, StopEndsLeftoverEnginesBeforeTheTables) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(_exit(FaultsOfAStopWithLeftoverEngines()), ::testing::ExitedWithCode(0), "");
}

// A refused table start refuses the module: no engine is made.
int g_refusals = 0;
int RefuseTable() {
  ++g_refusals;
  return 0;
}

int FaultsOfARefusedStart() {
  int faults = 0;
  PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStop, nullptr, 0);
  Present::ShapeTableHooks line = Present::GetShapeTableHooks(Present::kKindLine);
  Present::SetShapeTableHooks(Present::kKindLine, {&RefuseTable, line.free});
  if (PlastrumModuleHook(PlastrumModuleInfo(), 0, kModuleHookStart, nullptr, 0) != -1) faults += Fault("accepted");
  if (g_refusals != 1) faults += Fault("the refusing table was not asked");
  if (CreatePresentEngine()) faults += Fault("a refused module made an engine");
  return faults;
}

TEST(PresentShellModule, RefusedStartMakesNoEngine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(_exit(FaultsOfARefusedStart()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
