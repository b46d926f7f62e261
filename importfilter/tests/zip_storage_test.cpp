#include "foliant/zip/tq_xml_storage.h"

#include <gtest/gtest.h>
#include <kx2/Utf.h>

#include <algorithm>
#include <sstream>

#include "zip_fixture.h"

using namespace ziptest;

namespace {

// A package like the ones importers read: deflated and stored entries, a directory
// entry, entry comments and an archive comment.
constexpr const char* kMakePackage = R"PY(
import sys, zipfile, os
d = sys.argv[1]
with zipfile.ZipFile(os.path.join(d, "pkg.zip"), "w") as z:
    z.comment = b"archive comment"
    z.writestr(zipfile.ZipInfo("dir/"), b"")
    i = zipfile.ZipInfo("dir/content.xml"); i.compress_type = zipfile.ZIP_DEFLATED; i.comment = b"entry comment"
    z.writestr(i, b"<xmap-content>" + b"<topic/>" * 2000 + b"</xmap-content>")
    z.writestr(zipfile.ZipInfo("stored.txt"), b"stored bytes")
    z.writestr(zipfile.ZipInfo("Dir/Content.XML"), b"second, same name but case")
    z.writestr(zipfile.ZipInfo("empty.txt"), b"")
    z.writestr(zipfile.ZipInfo("markers//x.png"), b"png")
    z.writestr("\u00e9t\u00e9.txt", b"cp437 name")
    z.writestr("\u65e5\u672c.txt", b"utf-8 name")
)PY";

std::string Text(const std::vector<uint8_t>& buffer, int32_t n) {
  return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
}

}  // namespace

TEST(ZipStorage, ListsAndMatchesNamesIgnoringAsciiCase) {
  TempFolder dir;
  Python(dir, kMakePackage);
  TqXMLStorage storage;
  ASSERT_EQ(storage.Open(WinPath(dir / "pkg.zip").c_str()), 1);

  std::vector<std::u16string> names;
  for (const auto& item : storage.Items()) names.push_back(item.name);
  const std::vector<std::u16string> want = {
      u"dir\\",     u"dir\\content.xml", u"stored.txt",        u"Dir\\Content.XML",
      u"empty.txt", u"markers\\\\x.png", u"\u00e9t\u00e9.txt", u"\u65e5\u672c.txt"};
  EXPECT_EQ(names, want);

  struct Case {
    const char16_t* name;
    int has;
    uint32_t size;
  };
  const Case cases[] = {
      {u"dir\\content.xml", 1, 16029}, {u"DIR\\CONTENT.XML", 1, 16029},  // one rule for both
      {u"dir/content.xml", 0, 0},      {u"stored.txt", 1, 12},
      {u"missing.xml", 0, 0},          {u"\u00c9T\u00c9.txt", 0, 0},  // only ASCII letters fold
      {u"\u00e9T\u00e9.TXT", 1, 10},   {u"markers\\\\X.PNG", 1, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(storage.HasEntry(c.name), c.has) << kx2::Utf16ToUtf8(c.name);
    EXPECT_EQ(storage.GetEntrySize(c.name), c.size) << kx2::Utf16ToUtf8(c.name);
  }
  EXPECT_EQ(storage.HasEntry(nullptr), 0);
}

TEST(ZipStorage, ReadsEntriesWithLengthAndTerminator) {
  TempFolder dir;
  Python(dir, kMakePackage);
  TqXMLStorage storage;
  ASSERT_EQ(storage.Open(WinPath(dir / "pkg.zip").c_str()), 1);

  std::vector<uint8_t> buffer(64, 0xAA);
  ASSERT_EQ(storage.ReadEntry(u"STORED.TXT", buffer.data(), 64), 12);
  EXPECT_EQ(Text(buffer, 12), "stored bytes");
  EXPECT_EQ(buffer[12], 0);
  EXPECT_EQ(buffer[13], 0);
  EXPECT_EQ(buffer[14], 0xAA);

  // The first of two names differing in case wins, in directory order.
  std::vector<uint8_t> big(16031);
  ASSERT_EQ(storage.ReadEntry(u"dir\\content.xml", big.data(), 16031), 16029);
  EXPECT_EQ(Text(big, 14), "<xmap-content>");

  // An empty entry and a directory read as 0 bytes, which is not a failure.
  EXPECT_EQ(storage.ReadEntry(u"empty.txt", buffer.data(), 64), 0);
  EXPECT_EQ(storage.ReadEntry(u"dir\\", buffer.data(), 64), 0);

  // Exactly the entry's size: no room for a terminator, nothing written past it.
  std::vector<uint8_t> exact(13, 0xAA);
  ASSERT_EQ(storage.ReadEntry(u"stored.txt", exact.data(), 12), 12);
  EXPECT_EQ(exact[12], 0xAA);

  EXPECT_EQ(storage.ReadEntry(u"dir\\content.xml", big.data(), 100), TqXMLStorage::kReadFailed);
  EXPECT_EQ(storage.ReadEntry(u"missing", buffer.data(), 64), TqXMLStorage::kReadFailed);
  EXPECT_EQ(storage.ReadEntry(u"stored.txt", nullptr, 64), TqXMLStorage::kReadFailed);
}

TEST(ZipStorage, ExtractsToFileAndReopensCleanly) {
  TempFolder dir;
  Python(dir, kMakePackage);
  TqXMLStorage storage;
  ASSERT_EQ(storage.Open(WinPath(dir / "pkg.zip").c_str()), 1);
  const auto target = dir / "out.xml";
  ASSERT_EQ(storage.ExtractEntry(u"Dir\\Content.xml", WinPath(target).c_str()), 1);
  EXPECT_EQ(ReadFile(target).size(), 16029u);
  EXPECT_EQ(storage.ExtractEntry(u"stored.txt", nullptr), 0);
  EXPECT_EQ(storage.ExtractEntry(u"nothing", WinPath(target).c_str()), 0);

  // A second open replaces the list instead of appending to it.
  ASSERT_EQ(storage.Open(WinPath(dir / "pkg.zip").c_str()), 1);
  EXPECT_EQ(storage.Items().size(), 8u);
  EXPECT_EQ(storage.Open(WinPath(dir / "absent.zip").c_str()), 0);
  EXPECT_TRUE(storage.Items().empty());
  EXPECT_EQ(storage.HasEntry(u"stored.txt"), 0);
}

// A new file is made only under a free name: a file there in any case is left as it is,
// and a new file that could not be filled whole goes again.
TEST(ZipStorage, ExtractsIntoNewFilesOnly) {
  TempFolder dir;
  Python(dir, kMakePackage);
  TqXMLStorage storage;
  ASSERT_EQ(storage.Open(WinPath(dir / "pkg.zip").c_str()), 1);
  WriteFile(dir / "taken.tmp", {'m', 'i', 'n', 'e'});
  for (const char* name : {"taken.tmp", "TAKEN.tmp"}) {
    EXPECT_EQ(storage.ExtractEntryToNewFile(u"Dir\\Content.xml", WinPath(dir / name).c_str()), TqXMLStorage::kNameTaken)
        << name;
    EXPECT_EQ(ReadFile(dir / "taken.tmp").size(), 4u) << name;
  }
  EXPECT_EQ(storage.ExtractEntryToNewFile(u"Dir\\Content.xml", WinPath(dir / "new.tmp").c_str()),
            TqXMLStorage::kExtracted);
  EXPECT_EQ(ReadFile(dir / "new.tmp").size(), 16029u);
  EXPECT_EQ(storage.ExtractEntryToNewFile(u"nothing", WinPath(dir / "none.tmp").c_str()), TqXMLStorage::kNotExtracted);
  EXPECT_FALSE(std::filesystem::exists(dir / "none.tmp"));

  // An entry that fails its check half way leaves no file behind.
  Python(dir, R"PY(
import sys, zipfile, os
d = sys.argv[1]
with zipfile.ZipFile(os.path.join(d, "bad.zip"), "w", zipfile.ZIP_STORED) as z: z.writestr("s.txt", b"abc" * 1000)
raw = bytearray(open(os.path.join(d, "bad.zip"), "rb").read()); raw[100] ^= 1
open(os.path.join(d, "bad.zip"), "wb").write(raw)
)PY");
  TqXMLStorage bad;
  ASSERT_EQ(bad.Open(WinPath(dir / "bad.zip").c_str()), 1);
  EXPECT_EQ(bad.ExtractEntryToNewFile(u"s.txt", WinPath(dir / "half.tmp").c_str()), TqXMLStorage::kNotExtracted);
  EXPECT_FALSE(std::filesystem::exists(dir / "half.tmp"));
}

TEST(ZipStorage, ArchivesThatDoNotOpen) {
  TempFolder dir;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int opens;
    size_t entries;
  };
  std::vector<uint8_t> empty = {0x50, 0x4b, 0x05, 0x06};
  empty.resize(22, 0);
  std::vector<uint8_t> commented = empty;
  commented[20] = 3;
  for (char c : std::string("abc")) commented.push_back(static_cast<uint8_t>(c));
  const Case cases[] = {
      {"empty.zip", empty, 1, 0},
      {"comment.zip", commented, 1, 0},
      {"short.zip", std::vector<uint8_t>(empty.begin(), empty.begin() + 21), 0, 0},
      {"noise.zip", std::vector<uint8_t>(5000, 0x37), 0, 0},
      {"nothing.zip", {}, 0, 0},
  };
  for (const Case& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    TqXMLStorage storage;
    EXPECT_EQ(storage.Open(WinPath(dir / c.name).c_str()), c.opens) << c.name;
    EXPECT_EQ(storage.Items().size(), c.entries) << c.name;
  }
}

TEST(ZipStorage, RefusesHostileAndUnsupportedEntries) {
  TempFolder dir;
  Python(dir, R"PY(
import sys, zipfile, os, struct
d = sys.argv[1]
data = b"hello zip " * 300
def make(name, entries, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(os.path.join(d, name), "w", method) as z:
        for n, b in entries: z.writestr(n, b)
make("good.zip", [("a.txt", data), ("b.txt", b"stored?")])
raw = bytearray(open(os.path.join(d, "good.zip"), "rb").read())
cd = raw.rfind(b"PK\x01\x02", 0, raw.rfind(b"PK\x01\x02"))
# Wrong CRC in the directory.
bad = bytearray(raw); bad[cd + 16] ^= 0xFF; open(os.path.join(d, "crc.zip"), "wb").write(bad)
# Declared uncompressed size smaller than what inflates (a bomb in miniature).
bomb = bytearray(raw); struct.pack_into("<I", bomb, cd + 24, 100); open(os.path.join(d, "bomb.zip"), "wb").write(bomb)
# Damaged Deflate data.
dmg = bytearray(raw); dmg[40] ^= 0x55; dmg[41] ^= 0x55; open(os.path.join(d, "deflate.zip"), "wb").write(dmg)
# A stored entry with one changed byte.
make("stored.zip", [("s.txt", data)], zipfile.ZIP_STORED)
st = bytearray(open(os.path.join(d, "stored.zip"), "rb").read()); st[50] ^= 1
open(os.path.join(d, "stored-bad.zip"), "wb").write(st)
# A 300-byte name does not fit the directory's name field.
make("longname.zip", [("n" * 300, b"x")])
)PY");
  RunCapture("cd " + dir.path().string() +
             " && printf 'secret' > s.txt && zip -q -P pw enc.zip s.txt"
             " && printf 'zip64' | zip -q -fz z64.zip - && printf 'described' | zip -q -fz- desc.zip -");

  std::vector<uint8_t> buffer(8192);
  {
    TqXMLStorage s;
    ASSERT_EQ(s.Open(WinPath(dir / "good.zip").c_str()), 1);
    EXPECT_EQ(s.ReadEntry(u"a.txt", buffer.data(), 8192), 3000);
  }
  const struct {
    const char* file;
    const char16_t* entry;
  } refused[] = {{"crc.zip", u"a.txt"},
                 {"bomb.zip", u"a.txt"},
                 {"deflate.zip", u"a.txt"},
                 {"stored-bad.zip", u"s.txt"},
                 {"enc.zip", u"s.txt"}};
  for (const auto& r : refused) {
    TqXMLStorage s;
    ASSERT_EQ(s.Open(WinPath(dir / r.file).c_str()), 1) << r.file;
    EXPECT_EQ(s.ReadEntry(r.entry, buffer.data(), 8192), TqXMLStorage::kReadFailed) << r.file;
    EXPECT_EQ(s.ExtractEntry(r.entry, WinPath(dir / "x.out").c_str()), 0) << r.file;
  }
  TqXMLStorage zip64;
  EXPECT_EQ(zip64.Open(WinPath(dir / "z64.zip").c_str()), 0);
  TqXMLStorage longName;
  EXPECT_EQ(longName.Open(WinPath(dir / "longname.zip").c_str()), 0);

  // Streamed input makes zip write a data descriptor after the data; the directory's
  // sizes rule, so it reads normally.
  TqXMLStorage described;
  ASSERT_EQ(described.Open(WinPath(dir / "desc.zip").c_str()), 1);
  EXPECT_EQ(described.ReadEntry(u"-", buffer.data(), 8192), 9);
  EXPECT_EQ(Text(buffer, 9), "described");
}

TEST(ZipStorage, RealPackagesReadLikePythonZipfile) {
  const std::filesystem::path maps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps";
  if (!std::filesystem::exists(maps)) GTEST_SKIP() << "real map files not found at " << maps;
  TempFolder dir;
  int packages = 0;
  for (const char* sub : {"xmind", "mmap"}) {
    for (const auto& file : std::filesystem::directory_iterator(maps / sub)) {
      // Python dumps each entry as <index>.bin and lists "index<TAB>name" lines.
      const auto out = dir / file.path().stem().string();
      std::filesystem::create_directories(out);
      const std::string listing = RunCapture(
          "/usr/bin/python3 -c \"import sys, zipfile, os\n"
          "z = zipfile.ZipFile(sys.argv[1])\n"
          "for i, info in enumerate(z.infolist()):\n"
          "    open(os.path.join(sys.argv[2], str(i) + '.bin'), 'wb').write(z.read(info))\n"
          "    print(i, info.filename.replace('/', chr(92)), sep=chr(9))\" '" +
          file.path().string() + "' '" + out.string() + "'");
      TqXMLStorage storage;
      ASSERT_EQ(storage.Open(WinPath(file.path()).c_str()), 1) << file.path();
      std::istringstream lines(listing);
      std::string line;
      size_t count = 0;
      while (std::getline(lines, line)) {
        const auto tab = line.find('\t');
        const std::string index = line.substr(0, tab);
        const std::u16string name = kx2::Utf8ToUtf16(line.substr(tab + 1));
        ASSERT_LT(count, storage.Items().size());
        EXPECT_EQ(storage.Items()[count].name, name) << file.path();
        const auto want = ReadFile(out / (index + ".bin"));
        std::vector<uint8_t> got(want.size() + 2);
        // Names may repeat with another case; compare through the item's own index.
        if (storage.Items()[count].name == name &&
            std::find_if(storage.Items().begin(), storage.Items().begin() + count, [&](const auto& it) {
              return kx2::EqualsI16(it.name, name);
            }) == storage.Items().begin() + count) {
          ASSERT_EQ(storage.ReadEntry(name.c_str(), got.data(), static_cast<uint32_t>(got.size())),
                    static_cast<int32_t>(want.size()))
              << file.path() << " " << line;
          EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin())) << file.path() << " " << line;
        }
        ++count;
      }
      EXPECT_EQ(count, storage.Items().size()) << file.path();
      ++packages;
    }
  }
  EXPECT_EQ(packages, 14);
}

// The end record is looked for in a short tail first and the directory read in one piece
// of its declared size: a long archive comment and a directory larger than its end record
// says must both still be found whole. A deflated entry spans several output blocks, a
// stored one several reads of the file.
TEST(ZipStorage, FindsTheDirectoryBehindLongCommentsAndPastItsDeclaredSize) {
  TempFolder dir;
  Python(dir, R"PY(
import sys, zipfile, os, struct
d = sys.argv[1]
names = ["e%03d.txt" % i for i in range(300)]
noise = bytes((i * 7919 + (i >> 7) * 31) & 0xFF for i in range(200000))
def make(name, comment):
    with zipfile.ZipFile(os.path.join(d, name), "w", zipfile.ZIP_DEFLATED) as z:
        z.comment = comment
        z.writestr(zipfile.ZipInfo("noise.bin"), noise)
        for i, n in enumerate(names): z.writestr(n, (n + " ") * (1 + i * 50))
make("comment.zip", b"c" * 60000)
make("plain.zip", b"")
raw = bytearray(open(os.path.join(d, "plain.zip"), "rb").read())
end = raw.rfind(b"PK\x05\x06")
struct.pack_into("<I", raw, end + 12, 100)
open(os.path.join(d, "understated.zip"), "wb").write(raw)
)PY");
  for (const char* file : {"comment.zip", "understated.zip", "plain.zip"}) {
    TqXMLStorage storage;
    ASSERT_EQ(storage.Open(WinPath(dir / file).c_str()), 1) << file;
    ASSERT_EQ(storage.Items().size(), 301u) << file;
    EXPECT_EQ(storage.Items().back().name, u"e299.txt") << file;
    std::vector<uint8_t> buffer(200002);
    const std::string want = [] {
      std::string text;
      for (int k = 0; k < 1 + 299 * 50; ++k) text += "e299.txt ";
      return text;
    }();
    ASSERT_EQ(storage.ReadEntry(u"e299.txt", buffer.data(), static_cast<uint32_t>(buffer.size())),
              static_cast<int32_t>(want.size()))
        << file;
    EXPECT_EQ(Text(buffer, static_cast<int32_t>(want.size())), want) << file;
    // A stored entry larger than what the reader holds at a time, checked by its CRC.
    EXPECT_EQ(storage.ReadEntry(u"noise.bin", buffer.data(), static_cast<uint32_t>(buffer.size())), 200000) << file;
    EXPECT_EQ(buffer[199999], static_cast<uint8_t>((199999 * 7919 + (199999 >> 7) * 31) & 0xFF)) << file;
  }
}
