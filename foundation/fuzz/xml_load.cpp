// Fuzz target of the XML reader: XMLDocument::Load under every combination of parse
// options, LoadFile on the same text, then writing, copying and reading back the result,
// and moving parts of it out of a document that is then freed.
//
// Input: when it starts like XML text ("<", white space or a UTF-8 byte-order mark) it is
// UTF-8 text parsed with the default options, so real map files serve as seeds as they
// are. Otherwise the first byte chooses the options and the rest is the text.
//
// The real FreeMind maps of the shared test data are added as seeds (-seed_inputs) unless
// the command line names seeds itself.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <basalt/xml_dom.h>
#include <kx2/Utf.h>

using namespace Basalt::XMLDom;

namespace {

enum : uint8_t {
  kTrim = 1,
  kNoDecode = 2,
  kTolerate = 4,
  kEscape = 8,
  kCustomEntities = 16,
  kUtf8 = 32,
  kThroughFile = 64,
  kFlatWriter = 128,
};

std::string g_file;  // a scratch file for LoadFile, in POSIX and Windows form
std::u16string g_winFile;

const XmlEntiry kCustom[] = {{u'\u00e9', u"#e;", 3}, {u'&', u"&amp;", 5}, {u'x', u"", 0}};
XMLEntitys g_custom(kCustom, 3);

bool LooksLikeText(uint8_t b) { return b == '<' || b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == 0xEF; }

void Exercise(const std::u16string& text, uint8_t flags) {
  ParseInfo pi;
  pi.trim = flags & kTrim;
  pi.decodeEntities = !(flags & kNoDecode);
  pi.tolerateMismatch = flags & kTolerate;
  pi.escapeChar = (flags & kEscape) ? u'\\' : 0;
  if (flags & kCustomEntities) pi.entities = &g_custom;

  XMLDocument doc;
  const char16_t* end = doc.Load(text.c_str(), &pi);
  if (end && (end < text.c_str() || end > text.c_str() + text.size())) __builtin_trap();
  if (pi.errorOccurred && (pi.errorOffset < 0 || static_cast<size_t>(pi.errorOffset) > text.size())) __builtin_trap();

  DispOption opt;
  if (flags & kFlatWriter) {
    opt.newline = 0;
    opt.quote = '\'';
  }
  if (flags & kCustomEntities) opt.entities = &g_custom;
  std::u16string xml = doc.GetXML(&opt);
  (void)doc.GetText(&opt);

  XMLDocument again;
  again.Load(xml.c_str(), &pi);

  XMLDocument copy(doc);
  if (XMLNode* root = copy.GetRoot()) {
    if (XMLNode* first = root->GetChild(0u)) *root = *first;  // from its own descendant
    (void)root->Find(u"node");
  }

  // Branches and attributes taken out of a document, or moved to another, outlive it.
  XMLNode* taken = nullptr;
  XMLAttr* attr = nullptr;
  {
    XMLDocument scratch(doc);
    if (XMLNode* root = scratch.GetRoot()) {
      if (XMLNode* c = root->GetChild(0u)) taken = root->DetachChild(c);
      if (XMLNode* c = root->GetChild(0u); c && again.GetRoot()) again.GetRoot()->AppendChild(c);
      if (XMLAttr* a = root->GetAttr(0u)) attr = root->DetachAttr(a);
      if (XMLAttr* a = root->GetAttr(0u); a && again.GetRoot()) again.GetRoot()->AppendAttr(a);
    }
  }
  if (taken) {
    taken->value += u"changed";
    (void)taken->GetXML(&opt);
    delete taken;
  }
  if (attr) {
    attr->value += u"changed";
    delete attr;
  }
  (void)again.GetXML(&opt);

  if ((flags & kThroughFile) && !g_file.empty()) {
    if (FILE* f = fopen(g_file.c_str(), "wb")) {
      fwrite(text.data(), sizeof(char16_t), text.size(), f);
      fclose(f);
      XMLNode n;
      n.LoadFile(g_winFile.c_str());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  char tmpl[] = "/tmp/kx2_fuzz_xml_XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd >= 0) {
    close(fd);
    g_file = tmpl;
    g_winFile = u"Z:" + kx2::Utf8ToUtf16(g_file);
    for (char16_t& c : g_winFile)
      if (c == u'/') c = u'\\';
  }

  for (int i = 1; i < *argc; ++i)
    if (std::strncmp((*argv)[i], "-seed_inputs=", 13) == 0) return 0;
  std::string seeds;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(std::string(KX2_SHARED_DIR) + "/testdata/maps/mm", ec)) {
    if (!seeds.empty()) seeds += ',';
    seeds += e.path().string();
  }
  if (seeds.empty()) return 0;
  static std::vector<char*> args(*argv, *argv + *argc);
  static std::string flag = "-seed_inputs=" + seeds;
  args.insert(args.begin() + 1, flag.data());
  args.push_back(nullptr);
  *argv = args.data();
  *argc = static_cast<int>(args.size()) - 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  std::u16string text;
  uint8_t flags = 0;
  if (LooksLikeText(data[0])) {
    text = kx2::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  } else {
    flags = data[0];
    ++data;
    --size;
    if (flags & kUtf8) {
      text = kx2::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    } else {
      text.resize(size / 2);
      std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    }
  }
  Exercise(text, flags);
  return 0;
}
