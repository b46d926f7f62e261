// The font configuration state: initialisation and shutdown, the configuration files, the
// default faces, classes and substitution rules with their cache, and the font queries.
#include <plastrum/present/text/FontConfig.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/nls.h>
#include <win/registry.h>

#include <basalt/error.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/string_util.h>
#include <plastrum/present/text/FontConfigFile.h>

#include "FontConfigLoad.h"
#include "TextCachesDetail.h"

namespace Present::Text {
namespace {

using Basalt::Util::PathUtil;
using Basalt::Util::StringUtil;

constexpr const char16_t* kHeader1 = u"; ORVANT FONT CONFIGURATION1 VER 1.0.0";
constexpr const char16_t* kHeader2 = u"; ORVANT FONT CONFIGURATION2 VER 1.0.0";
constexpr int kSubstBuckets = 100;

struct SubstEntry {
  WCHAR face[kFaceUnits] = {};
  bool found = false;
  WCHAR substitute[kFaceUnits] = {};
  int rule = -1;
  int entry = -1;
};

struct ClassCursor {
  std::u16string face;
  int classIndex = -1;
  size_t position = 0;
};

struct FontState {
  bool initialised = false;
  std::u16string folders;
  int folderCount = 0;
  std::vector<std::u16string> addedFonts;
  std::array<DefaultFace, 2> defaults{};
  std::array<std::vector<FaceListItem>, 2> candidates;
  std::vector<FontClass> classes;
  std::vector<SubstRule> rules;
  std::array<std::vector<std::unique_ptr<SubstEntry>>, kSubstBuckets> substCache;
  ClassCursor cursor;
  HDC probeDc = nullptr;
};

FontState& State() {
  detail::EnsureFontConfiguration();
  // Never destroyed: the library's stop, which runs after static destructors, still uses it.
  static FontState* state = new FontState();
  return *state;
}

// The absolute Tools folder the start named, kept until the load.
std::u16string& PendingToolsFolder() {
  static auto* folder = new std::u16string();
  return *folder;
}

// Face names of lists compare over their first 64 units, exactly.
bool SameFace(const WCHAR* a, const WCHAR* b) {
  for (int i = 0; i < kFaceUnits; ++i) {
    if (a[i] != b[i]) return false;
    if (!a[i]) return true;
  }
  return true;
}

uint32_t SubstHash(const WCHAR* face) {
  uint32_t h = 0;
  for (int i = 0; i < kFaceUnits && face[i]; ++i) h = h * 33 + face[i];
  return h % kSubstBuckets;
}

SubstEntry* CachedSubst(const WCHAR* face) {
  for (auto& e : State().substCache[SubstHash(face)])
    if (SameFace(e->face, face)) return e.get();
  return nullptr;
}

// True when the substitutes already settled lead from a face back to `start`: choosing it
// would make the chain of substitutes a circle.
bool LeadsBackTo(const WCHAR* face, const WCHAR* start) {
  const WCHAR* at = face;
  for (int steps = 0; steps < 1024; ++steps) {
    const SubstEntry* e = CachedSubst(at);
    if (!e || !e->found) return false;
    if (SameFace(e->substitute, start)) return true;
    at = e->substitute;
  }
  return true;
}

FaceListItem MakeItem(const std::u16string& face) {
  FaceListItem item;
  CopyFaceName(item.faceName, face.c_str(), kFaceUnits);
  item.sortedIndex = FindFace(item.faceName);
  return item;
}

std::vector<FaceListItem> MakeList(const std::u16string& value) {
  std::vector<FaceListItem> list;
  for (const auto& face : FontConfigFile::SplitList(value)) list.push_back(MakeItem(face));
  return list;
}

std::u16string FolderPath(const WCHAR* folder) {
  WCHAR path[MAX_PATH] = {};
  PathUtil::_PathToAbsolute(folder, path);
  std::u16string out = path;
  if (!out.empty() && out.back() != u'\\' && out.back() != u'/') out += u'\\';
  return out;
}

void AddFolderFonts(FontState& s, const std::u16string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + u"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::u16string name = data.cFileName;
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) continue;
    std::u16string ext = name.substr(dot);
    for (auto& c : ext)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (ext != u".ttf" && ext != u".otf" && ext != u".ttc") continue;
    const std::u16string file = folder + name;
    if (AddFontResourceExW(file.c_str(), FR_PRIVATE, nullptr) > 0) s.addedFonts.push_back(file);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

// The Tools folder and every existing folder of the machine's "Font Path" value.
void BuildFolderList(FontState& s, const std::u16string& tools) {
  s.folders = tools + u";";
  s.folderCount = 1;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Taloria\\Shared\\Fonts", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  DWORD type = 0, size = 0;
  std::u16string value;
  if (RegQueryValueExW(key, u"Font Path", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size >= 2 &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    value.resize(size / 2 + 1);
    if (RegQueryValueExW(key, u"Font Path", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
      value.clear();
    value.resize(std::min(value.size(), value.find(u'\0') == std::u16string::npos ? value.size() : value.find(u'\0')));
  }
  RegCloseKey(key);
  size_t at = 0;
  while (at < value.size()) {
    size_t semi = value.find(u';', at);
    if (semi == std::u16string::npos) semi = value.size();
    const std::u16string part = value.substr(at, semi - at);
    at = semi + 1;
    if (part.empty() || part.size() >= MAX_PATH || !PathUtil::_ExistDir(part.c_str())) continue;
    s.folders += part + u";";
    ++s.folderCount;
  }
}

void AddFontsOfFolders(FontState& s) {
  size_t at = 0;
  while (at < s.folders.size()) {
    size_t semi = s.folders.find(u';', at);
    if (semi == std::u16string::npos) semi = s.folders.size();
    std::u16string folder = s.folders.substr(at, semi - at);
    at = semi + 1;
    if (folder.empty()) continue;
    if (folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    AddFolderFonts(s, folder);
  }
}

// The face of the system's default GUI font, when it is TrueType.
bool GuiFontFace(WCHAR* out) {
  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  LOGFONTW lf{};
  if (!gui || GetObjectW(gui, sizeof lf, &lf) == 0) return false;
  HDC dc = FontProbeDc();
  HGDIOBJ old = SelectObject(dc, gui);
  TEXTMETRICW tm{};
  const bool trueType = GetTextMetricsW(dc, &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(dc, old);
  if (!trueType) return false;
  CopyFaceName(out, lf.lfFaceName, kFaceUnits);
  if (StringUtil::Ustricmp(out, u"MS Shell Dlg 2") == 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
      WCHAR value[kFaceUnits] = {};
      DWORD type = 0, size = sizeof value - sizeof(WCHAR);
      if (RegQueryValueExW(key, u"MS Shell Dlg 2", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
              ERROR_SUCCESS &&
          type == REG_SZ && value[0])
        CopyFaceName(out, value, kFaceUnits);
      RegCloseKey(key);
    }
  }
  return true;
}

bool ChooseDefault(FontState& s, int which) {
  DefaultFace& d = s.defaults[static_cast<size_t>(which)];
  d = DefaultFace{};
  const bool sub = which == kSubFace;
  const auto& list = s.candidates[static_cast<size_t>(which)];
  const FontEntry* chosen = nullptr;
  if (!list.empty()) {
    const FontEntry* first = FontAt(FindFace(list[0].faceName));
    if (first && (!sub || IsEastAsianCapable(first->charsetMask))) chosen = first;
  }
  if (!chosen)
    for (const FontEntry& e : FontTableEntries())
      if (!sub || IsEastAsianCapable(e.charsetMask)) {
        chosen = &e;
        break;
      }
  if (chosen) {
    CopyFaceName(d.faceName, chosen->faceName, kFaceUnits);
  } else if (!GuiFontFace(d.faceName)) {
    return false;
  }
  d.flag = 1;
  d.sortedIndex = FindFace(d.faceName);
  return true;
}

void ReadConfiguration1(FontState& s, const FontConfigFile& file) {
  WCHAR ext[8] = {};
  Basalt::Base::Module::_GetResourceExt(static_cast<unsigned short>(GetSystemDefaultLCID()), ext);
  const std::u16string localeKey = std::u16string(u"REGULAR ") + ext;
  const char16_t* sections[2] = {u"MAIN", u"SUB"};
  for (int i = 0; i < 2; ++i) {
    std::vector<std::u16string> lines;
    if (!file.ReadSection(sections[i], &lines)) continue;
    std::u16string value;
    std::vector<FaceListItem> list;
    if (FontConfigFile::FindValue(lines, localeKey.c_str(), &value)) list = MakeList(value);
    if (list.empty() && FontConfigFile::FindValue(lines, u"REGULAR", &value)) list = MakeList(value);
    s.candidates[static_cast<size_t>(i)] = std::move(list);
  }
}

int FindClass(const FontState& s, const std::u16string& name) {
  for (size_t i = 0; i < s.classes.size(); ++i)
    if (StringUtil::Ustricmp(s.classes[i].name, name.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

void ReadConfiguration2(FontState& s, const FontConfigFile& file) {
  std::vector<std::u16string> lines;
  if (file.ReadSection(u"REGULAR", &lines)) {
    for (const auto& line : lines) {
      std::u16string key, value;
      if (!FontConfigFile::SplitLine(line, &key, &value) || key.empty()) continue;
      if (key.size() > 63) key.resize(63);
      if (FindClass(s, key) >= 0) continue;
      FontClass c;
      CopyFaceName(c.name, key.c_str(), kFaceUnits);
      c.members = MakeList(value);
      s.classes.push_back(std::move(c));
    }
  }
  if (file.ReadSection(u"SUBST", &lines)) {
    for (const auto& line : lines) {
      std::u16string key, value;
      if (!FontConfigFile::SplitLine(line, &key, &value)) continue;
      SubstRule rule;
      if (key == u"mapFont" || key == u"mapAllFont") {
        rule.mode = key == u"mapFont" ? kMapFont : kMapAllFont;
        rule.faces = MakeList(value);
      } else if (key == u"mapFontClass") {
        const auto items = FontConfigFile::SplitList(value);
        if (items.size() < 2) continue;
        const int c = FindClass(s, items[1]);
        if (c < 0) continue;
        rule.mode = c;
        rule.faces.push_back(MakeItem(items[0]));
      } else {
        continue;
      }
      if (!rule.faces.empty()) s.rules.push_back(std::move(rule));
    }
  }
}

// The lists, defaults, classes and rules from the two files (either may be absent). The
// defaults are chosen even without a usable file, so that text can still be drawn.
bool ApplyConfiguration(const FontConfigFile* one, const FontConfigFile* two) {
  FontState& s = State();
  for (auto& list : s.candidates) list.clear();
  s.classes.clear();
  s.rules.clear();
  for (auto& bucket : s.substCache) bucket.clear();
  s.cursor = ClassCursor{};
  if (one) ReadConfiguration1(s, *one);
  bool ok = true;
  for (int which : {kMainFace, kSubFace})
    if (!ChooseDefault(s, which)) ok = false;
  if (two) ReadConfiguration2(s, *two);
  return ok;
}

}  // namespace

int ApplyFontConfigurationBytes(const uint8_t* one, size_t oneSize, const uint8_t* two, size_t twoSize) {
  FontConfigFile a, b;
  const bool readA = a.Load(one, oneSize, kHeader1);
  const bool readB = b.Load(two, twoSize, kHeader2);
  const bool ok = ApplyConfiguration(readA ? &a : nullptr, readB ? &b : nullptr);
  return readA && readB && ok ? 0 : -1;
}

HDC FontProbeDc() {
  FontState& s = State();
  if (!s.probeDc) s.probeDc = CreateCompatibleDC(nullptr);
  return s.probeDc;
}

namespace detail {

std::atomic<bool> g_fontConfigurationPending{false};

namespace {

std::mutex& LoadLock() {
  static auto* lock = new std::mutex();
  return *lock;
}

// Set on the thread that runs the load: the load reads the state it builds.
thread_local bool t_loading = false;

}  // namespace

void LoadPendingFontConfiguration() {
  if (t_loading) return;
  std::lock_guard<std::mutex> guard(LoadLock());
  if (!g_fontConfigurationPending.load(std::memory_order_relaxed)) return;  // another thread loaded it
  const std::u16string folder = PendingToolsFolder();
  Basalt::Error::tagKx2ErrorBuf error{};
  Basalt::Error::BaseError::_StoreError(&error);
  const DWORD lastError = GetLastError();
  t_loading = true;
  InitFontConfiguration(folder.c_str());
  t_loading = false;
  SetLastError(lastError);
  Basalt::Error::BaseError::_RestoreError(&error);
  PendingToolsFolder().clear();
  g_fontConfigurationPending.store(false, std::memory_order_release);
}

}  // namespace detail

void StartFontConfiguration(const WCHAR* toolsFolder) {
  FreeFontConfiguration();
  // The folder as it is now: the load may come after "${App}" has moved.
  PendingToolsFolder() = FolderPath(toolsFolder ? toolsFolder : u"${App}\\Tools\\");
  detail::g_fontConfigurationPending.store(true, std::memory_order_release);
}

int InitFontConfiguration(const WCHAR* toolsFolder) {
  FreeFontConfiguration();
  FontState& s = State();
  s.initialised = true;
  bool ok = true;
  const std::u16string tools = FolderPath(toolsFolder ? toolsFolder : u"${App}\\Tools\\");
  if (tools.size() <= 1) ok = false;
  BuildFolderList(s, tools);
  AddFontsOfFolders(s);
  if (!detail::BuildFontTable()) ok = false;
  if (!detail::CreateTextCaches()) ok = false;
  FontConfigFile one, two;
  const bool read1 = one.Open((tools + u"ConfigFont1.cfg").c_str(), kHeader1);
  if (!read1) ok = false;
  const bool read2 = two.Open((tools + u"ConfigFont2.cfg").c_str(), kHeader2);
  if (!read2) ok = false;
  if (!ApplyConfiguration(read1 ? &one : nullptr, read2 ? &two : nullptr)) ok = false;
  return ok ? 0 : -1;
}

void FreeFontConfiguration() {
  // Nothing is loaded only to be freed; the load itself starts by freeing, and keeps the
  // flag set until it is done so that other threads wait for it.
  if (!detail::t_loading) {
    detail::g_fontConfigurationPending.store(false, std::memory_order_release);
    PendingToolsFolder().clear();
  }
  FontState& s = State();
  detail::DestroyTextCaches();
  detail::FreeFontTable();
  for (const auto& file : s.addedFonts) RemoveFontResourceExW(file.c_str(), FR_PRIVATE, nullptr);
  if (s.probeDc) DeleteDC(s.probeDc);
  FontConfigFile::ClearSectionCache();
  s = FontState();
}

bool FontConfigurationInitialised() {
  return detail::g_fontConfigurationPending.load(std::memory_order_acquire) || State().initialised;
}

const DefaultFace& GetDefaultFace(int which) { return State().defaults[which == kSubFace ? 1 : 0]; }

const std::vector<FaceListItem>& CandidateFaces(int which) { return State().candidates[which == kSubFace ? 1 : 0]; }

const std::vector<FontClass>& FontClasses() { return State().classes; }

const std::vector<SubstRule>& SubstRules() { return State().rules; }

const std::u16string& FontFolderList() { return State().folders; }

int FontFolderCount() { return State().folderCount; }

bool IsSubstitutionCached(const WCHAR* face) {
  if (!face) return false;
  WCHAR name[kFaceUnits];
  CopyFaceName(name, face, kFaceUnits);
  return CachedSubst(name) != nullptr;
}

int SubstituteFace(const WCHAR* face, WCHAR* out, int outUnits, int* rule, int* entry) {
  if (!face) return 0;
  FontState& s = State();
  WCHAR name[kFaceUnits];
  CopyFaceName(name, face, kFaceUnits);
  const SubstEntry* hit = CachedSubst(name);
  if (!hit) {
    auto e = std::make_unique<SubstEntry>();
    CopyFaceName(e->face, name, kFaceUnits);
    for (size_t r = 0; r < s.rules.size() && !e->found; ++r) {
      const SubstRule& sr = s.rules[r];
      int matched = -1;
      const size_t matchable = sr.mode == kMapAllFont ? sr.faces.size() : 1;
      for (size_t i = 0; i < matchable && matched < 0; ++i)
        if (sr.faces[i].faceName[0] == name[0] && SameFace(sr.faces[i].faceName, name)) matched = static_cast<int>(i);
      if (matched < 0) continue;
      const std::vector<FaceListItem>& list =
          sr.mode >= 0 && static_cast<size_t>(sr.mode) < s.classes.size() ? s.classes[sr.mode].members : sr.faces;
      for (size_t i = 0; i < list.size(); ++i) {
        if (sr.mode < 0 && static_cast<int>(i) == matched) continue;
        if (sr.mode == kMapFont && i == 0) continue;
        const FaceListItem& c = list[i];
        if (c.sortedIndex < 0 || SameFace(c.faceName, name)) continue;
        if (LeadsBackTo(c.faceName, name)) continue;
        e->found = true;
        CopyFaceName(e->substitute, c.faceName, kFaceUnits);
        e->rule = static_cast<int>(r);
        e->entry = static_cast<int>(i);
        break;
      }
    }
    auto& bucket = s.substCache[SubstHash(name)];
    bucket.push_back(std::move(e));
    hit = bucket.back().get();
  }
  if (!hit->found) return 0;
  if (out) CopyFaceName(out, hit->substitute, outUnits);
  if (rule) *rule = hit->rule;
  if (entry) *entry = hit->entry;
  return 1;
}

int QueryCharset(uint32_t flags, FontCharsetQuery* record) {
  if (!record || flags == 0) return 0;
  if (flags & kQueryFace) {
    if (!record->faceName[0]) return 0;
    record->charsetMask = CharsetMaskOf(record->faceName);
    record->charset = PrimaryCharset(record->charsetMask);
  } else if (flags & (kQueryMaskCharset | kQueryMaskCharsetToo)) {
    record->charset = PrimaryCharset(record->charsetMask);
  }
  const int row = record->charset <= 0xFF ? CharsetRowOf(static_cast<BYTE>(record->charset)) : -1;
  record->codePage = row >= 0 ? CharsetTable()[row].codePage : 0;
  return 1;
}

int EnumerateFaces(bool eastAsianOnly, FaceEnumProc callback, LONG_PTR user) {
  if (!callback) return 0;
  int answer = 1;
  // A copy: the callback may ask the font service anything.
  const std::vector<FontEntry> table = FontTableEntries();
  for (const FontEntry& e : table) {
    if (eastAsianOnly && !IsEastAsianCapable(e.charsetMask)) continue;
    answer = callback(e.faceName, user);
    if (!answer) break;
  }
  return answer;
}

int NextClassMember(const WCHAR* face, bool eastAsianOnly, WCHAR* out, int outUnits) {
  if (!face) return 0;
  FontState& s = State();
  ClassCursor& c = s.cursor;
  if (c.classIndex < 0 || StringUtil::Ustricmp(c.face.c_str(), face) != 0) {
    c = ClassCursor{};
    for (size_t i = 0; i < s.classes.size() && c.classIndex < 0; ++i)
      for (const auto& m : s.classes[i].members)
        if (StringUtil::Ustricmp(m.faceName, face) == 0) {
          c.classIndex = static_cast<int>(i);
          break;
        }
    if (c.classIndex < 0) return 0;
    c.face = face;
  }
  const auto& members = s.classes[static_cast<size_t>(c.classIndex)].members;
  while (c.position < members.size()) {
    const FaceListItem& m = members[c.position++];
    const FontEntry* e = FontAt(FindFace(m.faceName));
    if (!e || (eastAsianOnly && !IsEastAsianCapable(e->charsetMask))) continue;
    if (out) CopyFaceName(out, e->faceName, outUnits);
    return 1;
  }
  c = ClassCursor{};
  return 0;
}

namespace {

// The full names of the font made for a face name, with its own face as the DC reports it.
bool FullNamesOf(const WCHAR* face, std::vector<FontNameRecord>* names, WCHAR* systemFace) {
  HFONT font = CreateProbeFont(face);
  if (!font) return false;
  HDC dc = FontProbeDc();
  HGDIOBJ old = SelectObject(dc, font);
  std::vector<uint8_t> bytes;
  bool ok = ReadFontTable(dc, "name", &bytes) && ReadFullNames(bytes.data(), bytes.size(), names);
  if (systemFace) {
    systemFace[0] = 0;
    GetTextFaceW(dc, LF_FACESIZE, systemFace);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  return ok;
}

}  // namespace

int GetFontFullName(const WCHAR* face, FontFullName* out) {
  if (!face || !out) return 0;
  std::vector<FontNameRecord> names;
  if (!FullNamesOf(face, &names, nullptr) || names.empty()) return 0;
  const FontNameRecord* best = nullptr;
  for (const auto& n : names)
    if (n.language == 1033) {
      best = &n;
      break;
    }
  if (!best)
    for (const auto& n : names)
      if (!best || n.language < best->language) best = &n;
  CopyFaceName(out->name, best->name.c_str(), kFaceUnits);
  out->language = best->language;
  return 1;
}

int FaceForFullName(const WCHAR* fullName, WCHAR* out, int outUnits) {
  if (!fullName || !fullName[0]) return 0;
  std::vector<FontNameRecord> names;
  WCHAR system[LF_FACESIZE + 1] = {};
  if (!FullNamesOf(fullName, &names, system)) return 0;
  for (const auto& n : names)
    if (StringUtil::Ustricmp(n.name.c_str(), fullName) == 0) {
      if (out) CopyFaceName(out, system, outUnits);
      return 1;
    }
  return 0;
}

}  // namespace Present::Text
