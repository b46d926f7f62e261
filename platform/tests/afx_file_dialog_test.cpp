// MFC's Vista-style CFileDialog over the item dialog: the record handed over and written
// back, the '|' filter form, the path's parts, and a path too long for the buffer.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "kx2/FileDialogScript.h"
#include "kx2/Ref.h"
#include "kx2/ShellIids.h"
#include "kx2test/TempFiles.h"
#include "win/afx.h"
#include "win/shobjidl.h"

namespace {

using kx2test::WinPath;

TEST(AfxFileDialog, RunsTheItemDialogFromTheRecordAndWritesThePathBack) {
  kx2test::TempFolder folder("afx-file-dialog");
  std::ofstream(folder.File("report.csv")) << "r";
  const std::u16string dir = WinPath(folder.path.string());
  CFileDialog dialog(FALSE, u"txt", u"report", OFN_OVERWRITEPROMPT, u"Text (*.txt)|*.txt|Values (*.csv)|*.csv||");
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CCommonDialog)));
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrFilter), u"Text (*.txt)");
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrFilter + 13), u"*.txt");
  kx2::Ref<IFileSaveDialog> save(dialog.GetIFileSaveDialog());
  EXPECT_TRUE(save);
  EXPECT_EQ(dialog.GetIFileOpenDialog(), nullptr);
  dialog.m_ofn.lpstrInitialDir = dir.c_str();
  dialog.m_ofn.nFilterIndex = 2;
  Kx2SetFileDialogScript("ok");  // the name box holds "report"; type 2 gives it ".csv"
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(std::u16string(dialog.GetPathName()), dir + u"\\report.csv");
  EXPECT_EQ(std::u16string(dialog.GetFileName()), u"report.csv");
  EXPECT_EQ(std::u16string(dialog.GetFileExt()), u"csv");
  EXPECT_EQ(std::u16string(dialog.GetFileTitle()), u"report");
  EXPECT_EQ(std::u16string(dialog.GetFolderPath()), dir);
  EXPECT_EQ(dialog.m_ofn.nFilterIndex, 2u);
  EXPECT_EQ(dialog.m_ofn.nFileOffset, dir.size() + 1);
  EXPECT_EQ(dialog.m_ofn.nFileExtension, dir.size() + 8);

  // A path longer than the caller's buffer is not cut: the dialog answers IDCANCEL.
  WCHAR small[8] = u"x";
  dialog.m_ofn.lpstrFile = small;
  dialog.m_ofn.nMaxFile = 8;
  Kx2SetFileDialogScript("name report.csv\nok");
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_nExtendedError, static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  Kx2SetFileDialogScript(nullptr);
}

}  // namespace
