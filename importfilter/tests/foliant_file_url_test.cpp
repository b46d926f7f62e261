// "file:" URLs as every importer's links name local files.
#include <gtest/gtest.h>

#include <foliant/common/file_url.h>

namespace {

TEST(FoliantFileUrl, LocalPaths) {
  const struct {
    const char16_t* url;
    const char16_t* path;
  } cases[] = {
      {u"file:///C:/x", u"C:\\x"},
      {u"FILE:/C:/docs/a%20b.txt", u"C:\\docs\\a b.txt"},
      {u"file:/C|/x", u"C:\\x"},
      {u"file:C:%5Cdir%5Cx.doc", u"C:\\dir\\x.doc"},
      {u"file://localhost/C:/x", u"C:\\x"},
      {u"file://server/share/a.txt", u"\\\\server\\share\\a.txt"},
      {u"file:////abc/ef", u"\\\\abc\\ef"},
      {u"file:///Users/me/%E3%81%A7.txt", u"Z:\\Users\\me\\\u3067.txt"},
      {u"file:///home/x?query#frag", u"Z:\\home\\x"},
      {u"file:../docs/a.txt", u"..\\docs\\a.txt"},
      {u"file:///C:/100%/x", u"C:\\100%\\x"},
  };
  for (const auto& c : cases) {
    const auto path = foliant::LocalPathFromFileUrl(c.url);
    ASSERT_TRUE(path) << std::u16string_view(c.url).size();
    EXPECT_EQ(*path, c.path);
  }
  EXPECT_FALSE(foliant::LocalPathFromFileUrl(u"http://example.org/"));
  EXPECT_FALSE(foliant::LocalPathFromFileUrl(u"fil"));
}

}  // namespace
