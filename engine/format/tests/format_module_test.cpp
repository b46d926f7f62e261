// The shape library registers itself with the foundation when it loads: its record stands in
// the module table and every format table has its fixed entries before anything else runs.
#include <plastrum/format/PlastrumModule.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include <basalt/module.h>
#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentGradient.h>
#include <plastrum/format/PresentHatch.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentPicture.h>
#include <plastrum/format/PresentShadow.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/PresentTexture.h>
#include <plastrum/format/ShapeTableRegistry.h>

namespace {

using Basalt::Base::Module;

bool InModuleTable(const tagModuleInfo* record) {
  void* position = Module::_GetFirstModule();
  while (position)
    if (Module::_GetNextModule(&position) == record) return true;
  return false;
}

// Faults found, one line each on standard error; 0 when the library stands as loaded.
int FaultsOfTheLoadedLibrary() {
  int faults = 0;
  auto fault = [&faults](const char* what) {
    std::fprintf(stderr, "fault: %s\n", what);
    ++faults;
  };
  const tagModuleInfo* record = PlastrumModuleInfo();
  if (!InModuleTable(record)) fault("the record is not in the module table");
  if (Module::_GetModuleDef(244) != record) fault("module id 244 does not find the record");
  if (record->flags != kModuleFlagOwnResources) fault("flags are not 1");
  if (!record->instance) fault("the record has no instance");
  if (Module::_GetSubModuleFunc(const_cast<tagModuleInfo*>(record), 0) != &PlastrumModuleHook)
    fault("sub-module 0 is not the start and stop hook");

  auto fixed = [&fault](int32_t count, bool hasDefault, const char* kind) {
    if (count < (hasDefault ? 2 : 1)) fault(kind);
  };
  fixed(PresentGradientTable().GetCount(), true, "gradient table without entry 1");
  fixed(PresentTextureTable().GetCount(), true, "texture table without entry 1");
  fixed(PresentHatchTable().GetCount(), true, "hatch table without entry 1");
  fixed(PresentFillTable().GetCount(), true, "fill table without entry 1");
  fixed(PresentLineTable().GetCount(), true, "line table without entry 1");
  fixed(PresentShadowTable().GetCount(), true, "shadow table without entry 1");
  fixed(PresentPictureTable().GetCount(), true, "picture table without entry 1");
  fixed(Present3DFormatTable().GetCount(), true, "3-D format table without entry 1");
  fixed(PresentShapeTable().GetCount(), true, "shape table without entry 1");
  fixed(PresentColorTable().GetCount(), false, "colour table without entry 0");

  // The default shape's line is the standard line, not the first line a user interns.
  CPresentLine wide = CPresentLine::StandardEntry();
  wide.v.width = 1234;
  const int32_t id = PresentLineTable().Intern(wide);
  if (id < 2) fault("a user's line took a fixed identifier");
  PresentLineTable().Release(static_cast<uint32_t>(id));
  const CPresentShape* shape = PresentShapeTable().GetCount() >= 2 ? PresentShapeTable().GetEntry(1) : nullptr;
  const CPresentLine* line = shape ? PresentLineTable().GetEntry(shape->v.lineID) : nullptr;
  if (!line || shape->v.lineID != 1 || line->v.width != 200) fault("the default shape's line is not the standard line");
  return faults;
}

// Runs in a process of its own (the test binary started again), so that nothing another
// test did to the tables counts.
TEST(FormatModule, LoadingTheLibraryRegistersItAndFillsEveryTable) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(_exit(FaultsOfTheLoadedLibrary()), ::testing::ExitedWithCode(0), "");
}

int RefuseStart() { return 0; }

TEST(FormatModule, AFailingInitialiserFailsTheRegistration) {
  tagModuleInfo* record = PlastrumModuleInfo();
  HINSTANCE instance = record->instance;
  ASSERT_TRUE(PlastrumDllMain(instance, PLASTRUM_PROCESS_DETACH, nullptr));
  EXPECT_FALSE(InModuleTable(record));
  EXPECT_EQ(PresentShapeTable().GetCount(), 0) << "unloading empties the tables";

  const Present::ShapeTableHooks fill = Present::SetShapeTableHooks(Present::kKindFill, {&RefuseStart, nullptr});
  EXPECT_FALSE(PlastrumDllMain(instance, PLASTRUM_PROCESS_ATTACH, nullptr));
  EXPECT_FALSE(InModuleTable(record));
  EXPECT_NE(record->flags & kModuleFlagFailed, 0u);
  Present::SetShapeTableHooks(Present::kKindFill, fill);

  // Unloading and loading again starts afresh.
  ASSERT_TRUE(PlastrumDllMain(instance, PLASTRUM_PROCESS_DETACH, nullptr));
  EXPECT_TRUE(PlastrumDllMain(instance, PLASTRUM_PROCESS_ATTACH, nullptr));
  EXPECT_TRUE(InModuleTable(record));
  EXPECT_EQ(record->flags, kModuleFlagOwnResources);
  EXPECT_GE(PresentShapeTable().GetCount(), 2);
  EXPECT_GE(PresentLineTable().GetCount(), 2);
}

}  // namespace
