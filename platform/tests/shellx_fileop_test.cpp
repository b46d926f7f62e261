// SHFileOperationW: copies, moves, deletes and renames of files and folders, wildcards,
// collisions answered without any user interface, the trash, and links.
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "shellx_test_support.h"
#include "win/shell.h"

namespace {

const std::string kFolder = "<folder>";
const std::string kAbsent = "<absent>";
constexpr FILEOP_FLAGS kQuiet = FOF_SILENT | FOF_NOERRORUI;

struct FileOpCase {
  const char* name;
  UINT func;
  std::u16string from;  // built with List
  std::u16string to;
  FILEOP_FLAGS flags;
  int result;
  std::vector<std::pair<std::string, std::string>> expect;  // path -> content, kFolder or kAbsent
  std::vector<std::string> readOnly = {};                   // made read-only before the call
};

class ShellFileOp : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Fill();
  }
  // src\a.txt "A", src\b.log "B", src\sub\c.txt "C", dst\a.txt "old"; nothing else.
  void Fill() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(root_, ec))
      if (e.path().filename() != "desktop") {
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& f : fs::recursive_directory_iterator(e.path(), ec))
          fs::permissions(f.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(e.path(), ec);
      }
    Put("src/a.txt", "A");
    Put("src/b.log", "B");
    Put("src/sub/c.txt", "C");
    Put("dst/a.txt", "old");
  }
  int Run(UINT func, const std::u16string& from, const std::u16string& to, FILEOP_FLAGS flags,
          SHFILEOPSTRUCTW* op = nullptr) {
    SHFILEOPSTRUCTW local{};
    SHFILEOPSTRUCTW& o = op ? *op : local;
    o.wFunc = func;
    o.pFrom = from.c_str();
    o.pTo = to.empty() ? nullptr : to.c_str();
    o.fFlags = flags;
    o.fAnyOperationsAborted = TRUE;  // a call that is not cancelled clears it
    return SHFileOperationW(&o);
  }
  void Expect(const std::vector<std::pair<std::string, std::string>>& expect, const char* name) {
    for (const auto& [path, want] : expect) {
      if (want == kAbsent)
        EXPECT_FALSE(std::filesystem::symlink_status(Posix(path)).type() != std::filesystem::file_type::not_found)
            << name << ": " << path;
      else if (want == kFolder)
        EXPECT_TRUE(IsFolder(path)) << name << ": " << path;
      else
        EXPECT_EQ(Get(path), want) << name << ": " << path;
    }
  }
};

TEST_F(ShellFileOp, TableOfOperations) {
  const FileOpCase cases[] = {
      // Copies.
      {"collision is not answered yes",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst"}),
       kQuiet,
       ERROR_CANCELLED,
       {{"dst/a.txt", "old"}}},
      {"collision with NOCONFIRMATION replaces",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst"}),
       kQuiet | FOF_NOCONFIRMATION,
       0,
       {{"dst/a.txt", "A"}, {"src/a.txt", "A"}}},
      {"a read-only target is replaced too",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst"}),
       FOF_NOCONFIRMATION,
       0,
       {{"dst/a.txt", "A"}},
       {"dst/a.txt"}},
      {"collision with RENAMEONCOLLISION",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst"}),
       kQuiet | FOF_RENAMEONCOLLISION,
       0,
       {{"dst/a.txt", "old"}, {"dst/a (2).txt", "A"}}},
      {"a folder with everything below it",
       FO_COPY,
       List({u"C:\\src"}),
       List({u"C:\\dst"}),
       kQuiet,
       0,
       {{"dst/src/a.txt", "A"}, {"dst/src/sub/c.txt", "C"}, {"src/sub/c.txt", "C"}}},
      {"NORECURSION takes the files only",
       FO_COPY,
       List({u"C:\\src"}),
       List({u"C:\\dst"}),
       FOF_NORECURSION,
       0,
       {{"dst/src/a.txt", "A"}, {"dst/src/sub", kAbsent}}},
      {"a wildcard into a folder that is made",
       FO_COPY,
       List({u"C:\\src\\*.txt"}),
       List({u"C:\\new"}),
       kQuiet,
       0,
       {{"new/a.txt", "A"}, {"new/b.log", kAbsent}}},
      {"FILESONLY leaves matching folders",
       FO_COPY,
       List({u"C:\\src\\*"}),
       List({u"C:\\new"}),
       FOF_FILESONLY,
       0,
       {{"new/a.txt", "A"}, {"new/b.log", "B"}, {"new/sub", kAbsent}}},
      {"a wildcard matching nothing", FO_COPY, List({u"C:\\src\\*.zzz"}), List({u"C:\\new"}), 0, 0, {{"new", kAbsent}}},
      {"one file to a new name in new folders",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\deep\\x\\renamed.txt"}),
       kQuiet,
       0,
       {{"deep/x/renamed.txt", "A"}}},
      {"several items into a new folder",
       FO_COPY,
       List({u"C:\\src\\a.txt", u"C:\\src\\sub"}),
       List({u"C:\\two"}),
       0,
       0,
       {{"two/a.txt", "A"}, {"two/sub/c.txt", "C"}}},
      {"MULTIDESTFILES pairs the names",
       FO_COPY,
       List({u"C:\\src\\a.txt", u"C:\\src\\b.log"}),
       List({u"C:\\m1.txt", u"C:\\m2.txt"}),
       FOF_MULTIDESTFILES,
       0,
       {{"m1.txt", "A"}, {"m2.txt", "B"}}},
      {"MULTIDESTFILES with too few names",
       FO_COPY,
       List({u"C:\\src\\a.txt", u"C:\\src\\b.log"}),
       List({u"C:\\m1.txt"}),
       FOF_MULTIDESTFILES,
       DE_MANYDEST,
       {{"m1.txt", kAbsent}}},
      {"a missing item stops everything before it starts",
       FO_COPY,
       List({u"C:\\src\\a.txt", u"C:\\src\\nope"}),
       List({u"C:\\out"}),
       0,
       ERROR_FILE_NOT_FOUND,
       {{"out", kAbsent}}},
      {"a folder into its own subtree",
       FO_COPY,
       List({u"C:\\src"}),
       List({u"C:\\src\\sub"}),
       0,
       DE_DESTSUBTREE,
       {{"src/sub/src", kAbsent}}},
      {"a file onto itself",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\src"}),
       0,
       DE_SAMEFILE,
       {{"src/a.txt", "A"}}},
      {"a file onto itself with RENAMEONCOLLISION",
       FO_COPY,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\src"}),
       FOF_RENAMEONCOLLISION,
       0,
       {{"src/a (2).txt", "A"}}},
      {"a folder onto a file",
       FO_COPY,
       List({u"C:\\src\\sub"}),
       List({u"C:\\dst\\a.txt"}),
       FOF_NOCONFIRMATION,
       DE_FLDDESTISFILE,
       {{"dst/a.txt", "old"}}},
      {"no destination", FO_COPY, List({u"C:\\src\\a.txt"}), u"", 0, DE_INVALIDFILES, {}},
      // Moves.
      {"a file to a new name",
       FO_MOVE,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\moved.txt"}),
       0,
       0,
       {{"moved.txt", "A"}, {"src/a.txt", kAbsent}}},
      {"contents merge into a folder",
       FO_MOVE,
       List({u"C:\\src\\*"}),
       List({u"C:\\dst"}),
       FOF_NOCONFIRMATION,
       0,
       {{"dst/a.txt", "A"}, {"dst/b.log", "B"}, {"dst/sub/c.txt", "C"}, {"src", kFolder}, {"src/a.txt", kAbsent}}},
      {"a move that would replace is cancelled",
       FO_MOVE,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst"}),
       0,
       ERROR_CANCELLED,
       {{"src/a.txt", "A"}, {"dst/a.txt", "old"}}},
      {"a folder into its own subtree",
       FO_MOVE,
       List({u"C:\\src"}),
       List({u"C:\\src\\sub"}),
       0,
       DE_DESTSUBTREE,
       {{"src/a.txt", "A"}}},
      // Deletes.
      {"a folder with everything below it", FO_DELETE, List({u"C:\\src"}), u"", kQuiet, 0, {{"src", kAbsent}}},
      {"a read-only file is not deleted unasked",
       FO_DELETE,
       List({u"C:\\src"}),
       u"",
       kQuiet,
       ERROR_CANCELLED,
       {{"src/b.log", "B"}},
       {"src/b.log"}},
      {"a read-only file with NOCONFIRMATION",
       FO_DELETE,
       List({u"C:\\src"}),
       u"",
       FOF_NOCONFIRMATION,
       0,
       {{"src", kAbsent}},
       {"src/b.log", "src/sub"}},
      {"a wildcard", FO_DELETE, List({u"C:\\src\\*.txt"}), u"", 0, 0, {{"src/a.txt", kAbsent}, {"src/b.log", "B"}}},
      {"a drive root never", FO_DELETE, List({u"C:\\"}), u"", FOF_NOCONFIRMATION, DE_ROOTDIR, {{"src/a.txt", "A"}}},
      {"a missing item", FO_DELETE, List({u"C:\\nope"}), u"", 0, ERROR_FILE_NOT_FOUND, {}},
      // Renames.
      {"a bare new name stays in the folder",
       FO_RENAME,
       List({u"C:\\src\\a.txt"}),
       List({u"z.txt"}),
       0,
       0,
       {{"src/z.txt", "A"}, {"src/a.txt", kAbsent}}},
      {"a change of case only",
       FO_RENAME,
       List({u"C:\\src\\a.txt"}),
       List({u"A.TXT"}),
       0,
       0,
       {{"src/A.TXT", "A"}, {"src/a.txt", kAbsent}}},
      {"into another folder",
       FO_RENAME,
       List({u"C:\\src\\a.txt"}),
       List({u"C:\\dst\\z.txt"}),
       0,
       DE_DIFFDIR,
       {{"src/a.txt", "A"}}},
      {"onto an existing name",
       FO_RENAME,
       List({u"C:\\src\\a.txt"}),
       List({u"b.log"}),
       FOF_NOCONFIRMATION,
       ERROR_ALREADY_EXISTS,
       {{"src/b.log", "B"}}},
      {"two items at once",
       FO_RENAME,
       List({u"C:\\src\\a.txt", u"C:\\src\\b.log"}),
       List({u"z"}),
       0,
       DE_MANYSRC1DEST,
       {}},
      {"an unknown function", 9, List({u"C:\\src\\a.txt"}), u"", 0, ERROR_INVALID_PARAMETER, {{"src/a.txt", "A"}}},
  };
  for (const FileOpCase& c : cases) {
    Fill();
    for (const std::string& rel : c.readOnly) MakeReadOnly(rel);
    SHFILEOPSTRUCTW op{};
    EXPECT_EQ(Run(c.func, c.from, c.to, c.flags, &op), c.result) << c.name;
    EXPECT_EQ(op.fAnyOperationsAborted, c.result == ERROR_CANCELLED) << c.name;
    EXPECT_EQ(op.hNameMappings, nullptr) << c.name;
    Expect(c.expect, c.name);
  }
}

TEST_F(ShellFileOp, NameMappingsListTheRenamedItems) {
  SHFILEOPSTRUCTW op{};
  ASSERT_EQ(Run(FO_COPY, List({u"C:\\src\\a.txt", u"C:\\src\\b.log"}), List({u"C:\\dst"}),
                FOF_RENAMEONCOLLISION | FOF_WANTMAPPINGHANDLE, &op),
            0);
  ASSERT_NE(op.hNameMappings, nullptr);
  auto* header = static_cast<SHNAMEMAPPINGHEADERW*>(op.hNameMappings);
  ASSERT_EQ(header->cNumOfMappings, 1u);  // b.log had no namesake
  EXPECT_EQ(std::u16string(header->lpNM[0].pszOldPath), u"C:\\dst\\a.txt");
  EXPECT_EQ(std::u16string(header->lpNM[0].pszNewPath), u"C:\\dst\\a (2).txt");
  EXPECT_EQ(header->lpNM[0].cchNewPath, 16);
  SHFreeNameMappings(op.hNameMappings);
  EXPECT_EQ(Get("dst/b.log"), "B");
}

TEST_F(ShellFileOp, AllowUndoMovesToTheTrash) {
  Put("src/my file.txt", "M");
  ASSERT_EQ(Run(FO_DELETE, List({u"C:\\src\\my file.txt", u"C:\\src\\sub"}), u"", FOF_ALLOWUNDO), 0);
  EXPECT_FALSE(Exists("src/my file.txt"));
  EXPECT_EQ(Get("data/Trash/files/my file.txt"), "M");
  EXPECT_EQ(Get("data/Trash/files/sub/c.txt"), "C");
  std::string info = Get("data/Trash/info/my file.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
  EXPECT_NE(info.find("/src/my%20file.txt\nDeletionDate="), std::string::npos) << info;

  // A second item of the same name gets a name of its own in the trash.
  Put("src/my file.txt", "N");
  ASSERT_EQ(Run(FO_DELETE, List({u"C:\\src\\my file.txt"}), u"", FOF_ALLOWUNDO), 0);
  EXPECT_EQ(Get("data/Trash/files/my file.2.txt"), "N");
  EXPECT_TRUE(Exists("data/Trash/info/my file.2.txt.trashinfo"));

  // The folder that holds the trash cannot go into it.
  EXPECT_EQ(Run(FO_DELETE, List({u"C:\\data"}), u"", FOF_ALLOWUNDO), DE_DESTSUBTREE);
  EXPECT_EQ(Get("data/Trash/files/my file.txt"), "M");
}

TEST_F(ShellFileOp, LinksAreDeletedButNeverFollowed) {
  Put("outside/keep.txt", "K");
  ASSERT_EQ(symlink(Posix("outside").c_str(), Posix("src/link").c_str()), 0);
  ASSERT_EQ(Run(FO_DELETE, List({u"C:\\src"}), u"", FOF_NOCONFIRMATION), 0);
  EXPECT_FALSE(Exists("src"));
  EXPECT_EQ(Get("outside/keep.txt"), "K");
}

TEST_F(ShellFileOp, ACopyStopsAtALinkBackToItsOwnFolder) {
  ASSERT_EQ(symlink(Posix("src").c_str(), Posix("src/sub/loop").c_str()), 0);
  EXPECT_EQ(Run(FO_COPY, List({u"C:\\src"}), List({u"C:\\copy"}), FOF_NOCONFIRMATION), ERROR_CANT_RESOLVE_FILENAME);
  EXPECT_FALSE(Exists("copy/src/sub/loop/sub"));
}

TEST_F(ShellFileOp, FoldersMoveAcrossFileSystems) {
  struct stat tmp, shm;
  if (stat("/dev/shm", &shm) != 0 || stat(root_.c_str(), &tmp) != 0 || tmp.st_dev == shm.st_dev)
    GTEST_SKIP() << "needs /dev/shm on a file system apart from the temporary folder";
  char pattern[] = "/dev/shm/kx2_shell_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string other = pattern;
  setenv("KX2_DRIVES", ("C=" + root_ + ";D=" + other).c_str(), 1);
  MakeReadOnly("src/b.log");
  EXPECT_EQ(Run(FO_MOVE, List({u"C:\\src"}), List({u"D:\\"}), 0), 0);
  EXPECT_FALSE(Exists("src"));
  EXPECT_TRUE(std::filesystem::exists(other + "/src/sub/c.txt"));
  std::error_code ec;
  std::filesystem::permissions(other + "/src/b.log", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(other, ec);
}

}  // namespace
