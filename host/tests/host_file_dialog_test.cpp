// The host's side of the file dialog: the engine's table of states and folders, the host's
// menu 10003, and vantorel file-dialog run as a program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/Ref.h>
#include <kx2test/TempFiles.h>
#include <kx2test/VantorelRun.h>
#include <vantorel/host_engine.h>
#include <vantorel/object_census.h>
#include <win/afx.h>
#include <win/menu.h>
#include <win/resource.h>

namespace {

TEST(HostEngine, GivesTheFolderOfAStateAndNothingOnceReleased) {
  const size_t before = vantorel::TakeCensus().liveObjects;
  {
    kx2::Ref<IVtlEngine> engine(vantorel::CreateHostEngine());
    ASSERT_TRUE(engine);
    EXPECT_EQ(vantorel::TakeCensus().liveObjects, before + 2);  // the engine and its folders
    IVtlEngineFolders* folders = engine->GetFolders();
    ASSERT_NE(folders, nullptr);
    EXPECT_TRUE(vantorel::SetEngineStateFolder(engine.get(), static_cast<StateID>(3), u"C:\\Maps"));
    std::u16string folder = u"left over";
    folders->GetStateFolder(static_cast<StateID>(3), folder);
    EXPECT_EQ(folder, u"C:\\Maps");
    folders->GetStateFolder(kStateDefault, folder);
    EXPECT_EQ(folder, u"");
    EXPECT_EQ(engine->NotImplementedSlot03(), E_NOTIMPL);
    EXPECT_EQ(folders->NotImplementedSlot15(), E_NOTIMPL);
  }
  EXPECT_EQ(vantorel::TakeCensus().liveObjects, before);
}

TEST(HostEngine, TheHostsResourcesLabelTheOpenChoices) {
  const HINSTANCE previous = vantorel::UseHostResources();
  HINSTANCE holder = AfxFindResourceHandle(MAKEINTRESOURCEW(10003), RT_MENU);
  HMENU menu = holder ? LoadMenuW(holder, MAKEINTRESOURCEW(10003)) : nullptr;
  ASSERT_NE(menu, nullptr);
  for (UINT command : {1u, 10001u, 10002u}) {
    WCHAR label[260] = {};
    EXPECT_GT(GetMenuStringW(menu, command, label, 260, MF_BYCOMMAND), 0) << command;
  }
  DestroyMenu(menu);
  AfxSetResourceHandle(previous);
}

TEST(VantorelFileDialog, PrintsTheChosenPathFormatExtensionAndOpenType) {
  kx2test::TempFolder folder("vantorel-file-dialog");
  std::ofstream(folder.File("plan.map")) << "m";
  std::ofstream(folder.File("notes.xmind")) << "x";
  std::filesystem::create_directory(folder.path / "old");
  const std::string types = " --filter Maps '*.map' MAP map --filter XMind '*.xmind' XMIND xmind";
  const std::string state = " --state 5 '" + folder.path.string() + "'";
  const std::string win =
      kx2test::RunVantorelIn(folder.path.string(), "file-dialog --choices" + types + state +
                                                       " --script 'type 2;select notes.xmind;choice 10001;ok'");
  const std::u16string path16 = kx2test::WinPath(folder.File("notes.xmind"));
  const std::string path(path16.begin(), path16.end());
  EXPECT_EQ(win, "path " + path + "\nformat XMIND\nextension xmind\nopen type 1\nexit 0\n");
  // A folder selected greys the choices: choosing one then is a bad step.
  EXPECT_EQ(kx2test::RunVantorelIn(folder.path.string(),
                                   "file-dialog --choices" + state + " --script 'select old;choice 10002;ok'"),
            "file dialog script: line 2: no item 10002 to choose; the dialog answers Cancel\nexit 1\n");
  EXPECT_EQ(kx2test::RunVantorelIn(folder.path.string(), "file-dialog --save"), "cancelled\nexit 0\n");
  EXPECT_EQ(kx2test::RunVantorelIn(folder.path.string(), "file-dialog --state x y"),
            kx2test::RunVantorelIn(folder.path.string(), "file-dialog --bogus"));
}

}  // namespace
