// Structured storage: documents on byte arrays and files, their elements and modes.
#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/ole.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <kx2test/TempFiles.h>

#include "ole_test_support.h"

using namespace ole_test;

namespace {

// A document in memory: the byte array stays with the test, so that the document can be
// opened again after its storage is released.
struct MemoryDocument {
  MemoryDocument() { EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK); }
  HRESULT Create(DWORD mode, IStorage** out) { return StgCreateDocfileOnILockBytes(bytes.get(), mode, 0, out); }
  HRESULT Open(DWORD mode, IStorage** out) {
    return StgOpenStorageOnILockBytes(bytes.get(), nullptr, mode, nullptr, 0, out);
  }
  uint64_t Size() {
    STATSTG stat = {};
    bytes->Stat(&stat, STATFLAG_NONAME);
    return stat.cbSize.QuadPart;
  }
  kx2::Ref<ILockBytes> bytes;
};

std::vector<std::u16string> Names(IStorage* storage) {
  std::vector<std::u16string> names;
  kx2::Ref<IEnumSTATSTG> items;
  if (storage->EnumElements(0, nullptr, 0, items.put()) != S_OK) return names;
  STATSTG stat;
  while (items->Next(1, &stat, nullptr) == S_OK) {
    names.push_back(stat.pwcsName);
    CoTaskMemFree(stat.pwcsName);
  }
  return names;
}

TEST(OleStorage, StreamsOfEverySizeAndNestedStoragesRoundTrip) {
  // Sizes around the mini-sector, mini-stream and sector boundaries, and a large stream.
  const size_t sizes[] = {0, 1, 63, 64, 65, 511, 512, 4095, 4096, 4097, 70000, 3 * 1024 * 1024 + 7};
  MemoryDocument doc;
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
    uint32_t seed = 1;
    for (size_t size : sizes) {
      const std::u16string name = u"s" + std::u16string(1, static_cast<char16_t>(u'A' + seed));
      WriteStream(root.get(), name.c_str(), Pattern(size, seed++));
    }
    kx2::Ref<IStorage> sub, deeper;
    ASSERT_EQ(root->CreateStorage(u"Sub", kCreate, 0, 0, sub.put()), S_OK);
    ASSERT_EQ(sub->CreateStorage(u"Deeper", kCreate, 0, 0, deeper.put()), S_OK);
    WriteStream(sub.get(), u"Inner", Pattern(100, 99));
    WriteStream(deeper.get(), u"Leaf", Pattern(5000, 98));
    const CLSID clsid = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
    ASSERT_EQ(sub->SetClass(clsid), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
  uint32_t seed = 1;
  for (size_t size : sizes) {
    const std::u16string name = u"s" + std::u16string(1, static_cast<char16_t>(u'A' + seed));
    EXPECT_EQ(ReadStream(root.get(), name.c_str()), Pattern(size, seed++)) << size;
  }
  kx2::Ref<IStorage> sub, deeper;
  ASSERT_EQ(root->OpenStorage(u"sub", nullptr, kRead, nullptr, 0, sub.put()), S_OK);  // names ignore case
  ASSERT_EQ(sub->OpenStorage(u"Deeper", nullptr, kRead, nullptr, 0, deeper.put()), S_OK);
  EXPECT_EQ(ReadStream(sub.get(), u"Inner"), Pattern(100, 99));
  EXPECT_EQ(ReadStream(deeper.get(), u"Leaf"), Pattern(5000, 98));
  STATSTG stat = {};
  ASSERT_EQ(sub->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.clsid.Data1, 0x12345678u);
  EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STORAGE));
  // Enumeration in the format's order: shorter names first.
  const std::vector<std::u16string> names = Names(root.get());
  ASSERT_EQ(names.size(), std::size(sizes) + 1);
  EXPECT_EQ(names.back(), u"Sub");
}

TEST(OleStorage, ModifyInPlaceKeepsEverythingElse) {
  MemoryDocument doc;
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
    WriteStream(root.get(), u"Keep", Pattern(6000, 1));
    WriteStream(root.get(), u"Change", Pattern(300, 2));
    WriteStream(root.get(), u"Drop", Pattern(10, 3));
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Open(kReadWrite, root.put()), S_OK);
    kx2::Ref<IStream> change;
    ASSERT_EQ(root->OpenStream(u"Change", nullptr, kReadWrite, 0, change.put()), S_OK);
    LARGE_INTEGER at;
    at.QuadPart = 100;
    ASSERT_EQ(change->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
    ULONG written = 0;
    ASSERT_EQ(change->Write("patched", 7, &written), S_OK);
    change.reset();
    ASSERT_EQ(root->DestroyElement(u"Drop"), S_OK);
    EXPECT_EQ(root->DestroyElement(u"Drop"), STG_E_FILENOTFOUND);
    WriteStream(root.get(), u"Added", Pattern(5000, 4));
    ASSERT_EQ(root->RenameElement(u"Added", u"Renamed"), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Keep"), Pattern(6000, 1));
  std::vector<uint8_t> changed = Pattern(300, 2);
  std::copy_n("patched", 7, changed.begin() + 100);
  EXPECT_EQ(ReadStream(root.get(), u"Change"), changed);
  EXPECT_EQ(ReadStream(root.get(), u"Renamed"), Pattern(5000, 4));
  EXPECT_EQ(Names(root.get()), (std::vector<std::u16string>{u"Keep", u"Change", u"Renamed"}));
}

TEST(OleStorage, TransactedChangesWaitForCommit) {
  MemoryDocument doc;
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Create(kCreate | STGM_TRANSACTED, root.put()), S_OK);
    WriteStream(root.get(), u"First", Pattern(10, 1));
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    WriteStream(root.get(), u"Second", Pattern(10, 2));
    ASSERT_EQ(root->Revert(), S_OK);
    EXPECT_EQ(Names(root.get()), std::vector<std::u16string>{u"First"});
    WriteStream(root.get(), u"Third", Pattern(10, 3));
  }  // released without Commit: Third is dropped
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
  EXPECT_EQ(Names(root.get()), std::vector<std::u16string>{u"First"});
}

TEST(OleStorage, DirectWritesReachTheBytesWhenTheRootGoes) {
  MemoryDocument doc;
  kx2::Ref<IStream> survivor;
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
    WriteStream(root.get(), u"Header", Pattern(128, 5));
    ASSERT_EQ(root->CreateStream(u"Open", kCreate, 0, 0, survivor.put()), S_OK);
  }  // no Commit
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
    EXPECT_EQ(ReadStream(root.get(), u"Header"), Pattern(128, 5));
  }
  // A stream stays usable after its root is released; its writes land when it goes.
  ULONG written = 0;
  ASSERT_EQ(survivor->Write("late", 4, &written), S_OK);
  survivor.reset();
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Open"), (std::vector<uint8_t>{'l', 'a', 't', 'e'}));
}

TEST(OleStorage, StreamSeekStatCloneAndSize) {
  MemoryDocument doc;
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
  kx2::Ref<IStream> stream;
  ASSERT_EQ(root->CreateStream(u"S", kCreate, 0, 0, stream.put()), S_OK);
  STATSTG stat = {};
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(std::u16string(stat.pwcsName), u"S");
  EXPECT_EQ(stat.grfMode, kCreate);
  CoTaskMemFree(stat.pwcsName);
  LARGE_INTEGER move;
  ULARGE_INTEGER position;
  move.QuadPart = 10;
  ASSERT_EQ(stream->Seek(move, STREAM_SEEK_SET, &position), S_OK);
  ULONG done = 0;
  ASSERT_EQ(stream->Write("x", 1, &done), S_OK);  // past the end: the gap reads as zeros
  move.QuadPart = -1;
  EXPECT_EQ(stream->Seek(move, STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
  move.QuadPart = 0;
  ASSERT_EQ(stream->Seek(move, STREAM_SEEK_SET, nullptr), S_OK);
  kx2::Ref<IStream> clone;
  ASSERT_EQ(stream->Clone(clone.put()), S_OK);
  uint8_t bytes[16] = {};
  ASSERT_EQ(clone->Read(bytes, 16, &done), S_OK);
  EXPECT_EQ(done, 11u);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[10], 'x');
  ASSERT_EQ(clone->Read(bytes, 16, &done), S_OK);
  EXPECT_EQ(done, 0u);
  ULARGE_INTEGER size;
  size.QuadPart = 3;
  ASSERT_EQ(stream->SetSize(size), S_OK);
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 3u);
}

TEST(OleStorage, RefusalsTable) {
  MemoryDocument doc;
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
  WriteStream(root.get(), u"Exists", Pattern(5, 1));
  kx2::Ref<IStream> held;
  ASSERT_EQ(root->OpenStream(u"Exists", nullptr, kReadWrite, 0, held.put()), S_OK);

  kx2::Ref<IStream> stream;
  kx2::Ref<IStorage> storage;
  const std::u16string longName(32, u'n');
  struct Case {
    const char* what;
    HRESULT got, expected;
  } cases[] = {
      {"existing name", root->CreateStream(u"Exists", kReadWrite, 0, 0, stream.put()), STG_E_FILEALREADYEXISTS},
      {"opened twice", root->OpenStream(u"Exists", nullptr, kRead, 0, stream.put()), STG_E_ACCESSDENIED},
      {"missing", root->OpenStream(u"Missing", nullptr, kRead, 0, stream.put()), STG_E_FILENOTFOUND},
      {"stream as storage", root->OpenStorage(u"Exists", nullptr, kRead, nullptr, 0, storage.put()),
       STG_E_FILENOTFOUND},
      {"32 units", root->CreateStream(longName.c_str(), kCreate, 0, 0, stream.put()), STG_E_INVALIDNAME},
      {"separator", root->CreateStream(u"a/b", kCreate, 0, 0, stream.put()), STG_E_INVALIDNAME},
      {"empty", root->CreateStream(u"", kCreate, 0, 0, stream.put()), STG_E_INVALIDNAME},
      {"shared stream", root->CreateStream(u"X", STGM_CREATE | STGM_READWRITE, 0, 0, stream.put()), STG_E_INVALIDFLAG},
      {"bad access", root->CreateStream(u"X", STGM_CREATE | 3 | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()),
       STG_E_INVALIDFLAG},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  // A storage opened for reading refuses every change.
  MemoryDocument other;
  {
    kx2::Ref<IStorage> created;
    ASSERT_EQ(other.Create(kCreate, created.put()), S_OK);
  }
  kx2::Ref<IStorage> reader;
  ASSERT_EQ(other.Open(kRead, reader.put()), S_OK);
  EXPECT_EQ(reader->CreateStream(u"X", kCreate, 0, 0, stream.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(reader->CreateStorage(u"X", kCreate, 0, 0, storage.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(reader->DestroyElement(u"X"), STG_E_ACCESSDENIED);

  // An element destroyed while open: its object answers STG_E_REVERTED.
  ASSERT_EQ(root->DestroyElement(u"Exists"), S_OK);
  ULONG done = 0;
  uint8_t byte;
  EXPECT_EQ(held->Read(&byte, 1, &done), STG_E_REVERTED);
}

TEST(OleStorage, CopyToAndMoveElementTo) {
  MemoryDocument doc;
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
  kx2::Ref<IStorage> a, b;
  ASSERT_EQ(root->CreateStorage(u"A", kCreate, 0, 0, a.put()), S_OK);
  ASSERT_EQ(root->CreateStorage(u"B", kCreate, 0, 0, b.put()), S_OK);
  WriteStream(a.get(), u"One", Pattern(50, 1));
  WriteStream(a.get(), u"Two", Pattern(5000, 2));
  ASSERT_EQ(a->CopyTo(0, nullptr, nullptr, b.get()), S_OK);
  EXPECT_EQ(ReadStream(b.get(), u"Two"), Pattern(5000, 2));
  EXPECT_EQ(b->CopyTo(0, nullptr, nullptr, b.get()), STG_E_ACCESSDENIED);
  ASSERT_EQ(a->MoveElementTo(u"One", root.get(), u"Moved", STGMOVE_MOVE), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Moved"), Pattern(50, 1));
  EXPECT_EQ(Names(a.get()), std::vector<std::u16string>{u"Two"});
}

class OleStorageFiles : public TempDrive {};

TEST_F(OleStorageFiles, CreateOpenAndTheErrorsOfFiles) {
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(StgCreateDocfile(u"T:\\doc.stg", kCreate, 0, root.put()), S_OK);
    WriteStream(root.get(), u"DocumentCore", Pattern(128, 7));
  }
  EXPECT_EQ(StgIsStorageFile(u"T:\\doc.stg"), S_OK);
  kx2::Ref<IStorage> root;
  ASSERT_EQ(StgOpenStorage(u"T:\\doc.stg", nullptr, kRead, nullptr, 0, root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"DocumentCore"), Pattern(128, 7));
  STATSTG stat = {};
  ASSERT_EQ(root->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(std::u16string(stat.pwcsName), u"T:\\doc.stg");
  CoTaskMemFree(stat.pwcsName);
  root.reset();

  WriteHost("plain.txt", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'o', 'c'});
  struct Case {
    const char* what;
    HRESULT got, expected;
  } cases[] = {
      {"not a compound file", StgOpenStorage(u"T:\\plain.txt", nullptr, kRead, nullptr, 0, root.put()),
       STG_E_FILEALREADYEXISTS},
      {"missing", StgOpenStorage(u"T:\\missing.stg", nullptr, kRead, nullptr, 0, root.put()), STG_E_FILENOTFOUND},
      {"exists without STGM_CREATE",
       StgCreateDocfile(u"T:\\doc.stg", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, root.put()), STG_E_FILEALREADYEXISTS},
      {"create for reading", StgCreateDocfile(u"T:\\new.stg", STGM_CREATE | STGM_SHARE_EXCLUSIVE, 0, root.put()),
       STG_E_INVALIDFLAG},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
  EXPECT_EQ(StgIsStorageFile(u"T:\\plain.txt"), S_FALSE);

  // Open exclusively: a second opener in this process meets a sharing violation.
  kx2::Ref<IStorage> first, second;
  ASSERT_EQ(StgOpenStorage(u"T:\\doc.stg", nullptr, kReadWrite, nullptr, 0, first.put()), S_OK);
  EXPECT_EQ(StgOpenStorage(u"T:\\doc.stg", nullptr, kRead, nullptr, 0, second.put()), STG_E_SHAREVIOLATION);
}

TEST_F(OleStorageFiles, TemporaryDocumentGoesWithItsRoot) {
  kx2test::ScopedEnvironment environment;
  environment.SetTemporaryFolder(folder_);
  kx2::Ref<IStorage> root;
  ASSERT_EQ(StgCreateDocfile(nullptr, kCreate, 0, root.put()), S_OK);
  STATSTG stat = {};
  ASSERT_EQ(root->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  const std::u16string path(stat.pwcsName);
  CoTaskMemFree(stat.pwcsName);
  EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  root.reset();
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

namespace {

TEST(OleStorage, MoreThan109FatSectorsUseTheDifat) {
  // 109 FAT sectors cover 109 x 128 sectors of 512 bytes (about 6.8 MB).
  const std::vector<uint8_t> big = Pattern(8 * 1024 * 1024, 5);
  MemoryDocument doc;
  {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(doc.Create(kCreate, root.put()), S_OK);
    WriteStream(root.get(), u"Big", big);
  }
  uint8_t header[76] = {};
  ULONG got = 0;
  ASSERT_EQ(doc.bytes->ReadAt(ULARGE_INTEGER{}, header, sizeof(header), &got), S_OK);
  EXPECT_GT(header[44] | (header[45] << 8), 109);  // FAT sectors
  EXPECT_EQ(header[72], 1);                        // one DIFAT sector
  kx2::Ref<IStorage> root;
  ASSERT_EQ(doc.Open(kRead, root.put()), S_OK);
  EXPECT_EQ(ReadStream(root.get(), u"Big"), big);
}

}  // namespace
