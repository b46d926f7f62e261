// MFC's stdio file over a drive-mapped folder: lines in the ANSI code page with either line
// end, binary reads and writes, lengths and seeks, and opening what is not there.
#include <gtest/gtest.h>

#include <string>

#include "file_test_support.h"
#include "win/afx.h"

namespace {

using AfxStdioFile = TempDriveTest;

TEST_F(AfxStdioFile, ReadsLinesWithEitherEndAndTheLastWithoutOne) {
  Put("lines.ini", "[Button]\r\nImageFile = caf\xE9.bmp\nlast");
  CStdioFile file;
  ASSERT_TRUE(file.Open(u"C:\\lines.ini", CFile::modeRead | CFile::typeText));
  CString line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(std::u16string(line.GetString()), u"[Button]");
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(std::u16string(line.GetString()), u"ImageFile = caf\u00E9.bmp");  // code page 1252
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(std::u16string(line.GetString()), u"last");
  EXPECT_FALSE(file.ReadString(line));
  EXPECT_EQ(file.GetLength(), 35u);
}

TEST_F(AfxStdioFile, WritesReadsSeeksAndTruncates) {
  CStdioFile file;
  ASSERT_TRUE(file.Open(u"C:\\out.bin", CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary));
  file.WriteString(u"abc\u00E9");
  const unsigned char bytes[] = {0, 1, 2};
  file.Write(bytes, 3);
  EXPECT_EQ(file.GetPosition(), 7u);
  EXPECT_EQ(file.Seek(1, CFile::begin), 1u);
  char got[3] = {};
  EXPECT_EQ(file.Read(got, 3), 3u);
  EXPECT_EQ(std::string(got, 3), "bc\xE9");
  file.SetLength(2);
  EXPECT_EQ(file.GetLength(), 2u);
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(Get("out.bin"), "ab");
  // Keeping what is there.
  ASSERT_TRUE(file.Open(u"C:\\out.bin", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
  EXPECT_EQ(file.GetLength(), 2u);
}

TEST_F(AfxStdioFile, OpeningWhatIsNotThereFailsAndSeekingClosedThrows) {
  CStdioFile file;
  EXPECT_FALSE(file.Open(u"C:\\missing.ini", CFile::modeRead));
  EXPECT_FALSE(file.Open(u"", CFile::modeRead));
  EXPECT_EQ(file.Read(nullptr, 4), 0u);
  try {
    file.Seek(0, CFile::begin);
    ADD_FAILURE() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badSeek);
    e->Delete();
  }
}

}  // namespace
