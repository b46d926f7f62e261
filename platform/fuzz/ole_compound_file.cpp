// Any bytes opened as a compound file are read whole or refused; a document that opens
// survives two commits to a file (the second laid beside the first) and reads back the
// same, and nothing reads outside the input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <win/ole.h>

namespace {

using Contents = std::map<std::u16string, std::vector<uint8_t>>;

template <class T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// Reads every stream of a storage; false when something does not read.
bool Walk(IStorage* storage, const std::u16string& prefix, Contents* out, int depth = 0) {
  if (depth > 8) return true;
  IEnumSTATSTG* elements = nullptr;
  if (storage->EnumElements(0, nullptr, 0, &elements) != S_OK) return false;
  bool ok = true;
  STATSTG stat = {};
  while (ok && elements->Next(1, &stat, nullptr) == S_OK) {
    const std::u16string name = prefix + stat.pwcsName;
    if (stat.type == STGTY_STORAGE) {
      IStorage* sub = nullptr;
      ok = storage->OpenStorage(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &sub) == S_OK &&
           Walk(sub, name + u"/", out, depth + 1);
      Release(sub);
    } else {
      IStream* stream = nullptr;
      ok = storage->OpenStream(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream) == S_OK;
      if (ok) {
        std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
        ULONG got = 0;
        ok = bytes.empty() || stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got) == S_OK;
        bytes.resize(got);
        (*out)[name] = std::move(bytes);
      }
      Release(stream);
    }
    CoTaskMemFree(stat.pwcsName);
  }
  Release(elements);
  return ok;
}

// Drops what lies under the top-level name "Added" in any case: the commits replace it.
void DropAdded(Contents* contents) {
  for (auto it = contents->begin(); it != contents->end();) {
    std::u16string top = it->first.substr(0, it->first.find(u'/'));
    for (char16_t& c : top)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    it = top == u"ADDED" ? contents->erase(it) : std::next(it);
  }
}

struct Scratch {
  Scratch() {
    const char* shm = "/dev/shm";
    folder = (std::filesystem::is_directory(shm) ? std::string(shm) : std::string("/tmp")) + "/kx2-fuzz-ole-" +
             std::to_string(getpid());
    std::filesystem::create_directories(folder);
    setenv("KX2_DRIVES", ("T=" + folder).c_str(), 1);
  }
  ~Scratch() { std::filesystem::remove_all(folder); }
  std::string folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  const std::string file = scratch.folder + "/doc.stg";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  IStorage* root = nullptr;
  if (StgOpenStorage(u"T:\\doc.stg", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root) != S_OK)
    return 0;
  Contents before;
  const bool readable = Walk(root, u"", &before);
  if (readable) {
    DropAdded(&before);
    // The first commit lays the document after what the file holds, the second in front.
    IStream* added = nullptr;
    if (root->CreateStream(u"Added", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &added) == S_OK) {
      ULONG written = 0;
      added->Write(data, static_cast<ULONG>(size < 5000 ? size : 5000), &written);
      before[u"Added"] = std::vector<uint8_t>(data, data + written);
    }
    Release(added);
    if (root->Commit(STGC_DEFAULT) != S_OK) __builtin_trap();
    root->DestroyElement(u"Added");
    DropAdded(&before);
    if (root->Commit(STGC_DEFAULT) != S_OK) __builtin_trap();
  }
  Release(root);
  if (!readable) return 0;
  if (StgOpenStorage(u"T:\\doc.stg", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root) != S_OK)
    __builtin_trap();
  Contents after;
  if (!Walk(root, u"", &after) || after != before) __builtin_trap();
  Release(root);
  return 0;
}
