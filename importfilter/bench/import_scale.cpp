// Import at scale, each figure beside its peer in the same run:
//   - generated FreeMind maps of 1,000, 10,000 and 100,000 topics through `vantorel import`
//     (peak memory and whole-process time) beside `xmllint --noout` on the same file;
//   - every real map that imports, in process, beside a bare libxml2 parse of its XML; for
//     a package, beside libzip opening it and inflating every entry the importer reads or
//     stores, with libxml2 parsing each XML entry among them;
//   - a 50 MB package of 400 attachments, in process, beside libzip reading every entry;
//   - a small package whose one 500 MB entry is named by 6 topics, through `vantorel
//     import`: its peak memory and the temporary files it leaves.
// The ratios are counters of the rows that carry them (rss_ratio, time_ratio).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <spawn.h>
#include <strings.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <foliant/freemind/freemind_import.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <foliant/xmind/xmind_import.h>
#include <kx2/PathMap.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A folder for the generated files, gone when the program ends.
const fs::path& Work() {
  struct Folder {
    fs::path path;
    Folder() {
      std::string pattern = (fs::temp_directory_path() / "import_scale_XXXXXX").string();
      if (mkdtemp(pattern.data())) path = pattern;
    }
    ~Folder() {
      std::error_code ec;
      if (!path.empty()) fs::remove_all(path, ec);
    }
  };
  static Folder folder;
  return folder.path;
}

// ---- Child processes --------------------------------------------------------------------

struct ChildRun {
  double seconds = 0;
  double peakMb = 0;
  int exitCode = -1;
};

// Runs a program with its standard output and error thrown away; `environment` entries
// ("NAME=value") come before this process's own.
ChildRun Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {}) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envText = environment;
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  std::vector<char*> env;
  for (std::string& e : envText) env.push_back(e.data());
  env.push_back(nullptr);
  FILE* sink = std::fopen("/dev/null", "w");
  if (!sink) return ChildRun{};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(sink), 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(sink), 2);
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  std::fclose(sink);
  if (spawned != 0) return run;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string Vantorel() { return (fs::path(KX2_BIN_DIR) / "vantorel").string(); }

// ---- Generated FreeMind maps ------------------------------------------------------------

// A map as FreeMind 1.0 writes it, of exactly `topics` nodes: a central topic with ten
// main branches, each a tree of nodes of up to eight children, with the attributes every
// node carries and, now and then, an icon, a font, a folded branch, a link and a note.
fs::path FreeMindMap(int topics) {
  const fs::path path = Work() / ("generated-" + std::to_string(topics) + ".mm");
  if (fs::exists(path)) return path;
  std::ofstream out(path, std::ios::binary);
  out << "<map version=\"1.0.1\">\n"
         "<!-- To view this file, download free mind mapping software FreeMind from "
         "http://freemind.sourceforge.net -->\n";
  int made = 0;
  std::function<void(int, int)> node = [&](int budget, int depth) {
    const int i = made++;
    out << "<node CREATED=\"" << 1300000000000LL + i * 1000LL << "\" ID=\"ID_" << 100000000 + i * 7919
        << "\" MODIFIED=\"" << 1300000500000LL + i * 1000LL << "\"";
    if (depth == 1) out << " POSITION=\"" << (i % 2 ? "right" : "left") << "\"";
    if (i % 97 == 5) out << " FOLDED=\"true\"";
    if (i % 53 == 7) out << " LINK=\"http://example.org/topic/" << i << "\"";
    out << " TEXT=\"Topic " << i << ": a few words on what this part of the plan is about\">\n";
    if (i % 11 == 3) out << "<icon BUILTIN=\"idea\"/>\n";
    if (i % 17 == 4) out << "<font BOLD=\"true\" NAME=\"SansSerif\" SIZE=\"12\"/>\n";
    if (i % 29 == 6) out << "<edge COLOR=\"#cc3300\" STYLE=\"bezier\" WIDTH=\"2\"/>\n";
    if (i % 41 == 8)
      out << "<richcontent TYPE=\"NOTE\"><html>\n  <head>\n\n  </head>\n  <body>\n    <p>\n      Note on topic " << i
          << ", with what to remember.\n    </p>\n  </body>\n</html>\n</richcontent>\n";
    int rest = budget - 1;
    const int children = depth == 0 ? 10 : 8;
    for (int c = 0; c < children && rest > 0; ++c) {
      const int share = (rest + (children - c) - 1) / (children - c);
      node(share, depth + 1);
      rest -= share;
    }
    out << "</node>\n";
  };
  node(topics, 0);
  out << "</map>\n";
  return path;
}

void SetChildCounters(benchmark::State& state, const ChildRun& run, int64_t bytes) {
  state.SetIterationTime(run.seconds);
  state.counters["peak_MB"] = run.peakMb;
  state.counters["file_MB"] = static_cast<double>(bytes) / (1 << 20);
  if (run.exitCode != 0) state.SkipWithError(("exit " + std::to_string(run.exitCode)).c_str());
}

void BM_VantorelImport(benchmark::State& state) {
  const fs::path map = FreeMindMap(static_cast<int>(state.range(0)));
  const ChildRun peer = Run({"xmllint", "--noout", map.string()});
  ChildRun run;
  for (auto _ : state) {
    run = Run({Vantorel(), "import", map.string(), "--json"});
    SetChildCounters(state, run, static_cast<int64_t>(fs::file_size(map)));
  }
  if (peer.exitCode == 0 && peer.peakMb > 0 && peer.seconds > 0) {
    state.counters["rss_ratio"] = run.peakMb / peer.peakMb;
    state.counters["time_ratio"] = run.seconds / peer.seconds;
  }
}

void BM_XmllintNoout(benchmark::State& state) {
  const fs::path map = FreeMindMap(static_cast<int>(state.range(0)));
  for (auto _ : state)
    SetChildCounters(state, Run({"xmllint", "--noout", map.string()}), static_cast<int64_t>(fs::file_size(map)));
}

// ---- Real maps in process ---------------------------------------------------------------

std::vector<uint8_t> ZipEntry(const fs::path& package, const char* name) {
  std::vector<uint8_t> bytes;
  int error = 0;
  zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
  if (!archive) return bytes;
  zip_stat_t st;
  if (zip_stat(archive, name, ZIP_FL_NOCASE, &st) == 0) {
    bytes.resize(st.size);
    if (zip_file_t* f = zip_fopen(archive, name, ZIP_FL_NOCASE)) {
      if (zip_fread(f, bytes.data(), st.size) != static_cast<zip_int64_t>(st.size)) bytes.clear();
      zip_fclose(f);
    }
  }
  zip_close(archive);
  return bytes;
}

// One import of a map into a fresh document: 1 when it imported.
int ImportOnce(const fs::path& map) {
  const std::u16string path = kx2::ToWindowsPath(map.string());
  const std::string extension = map.extension().string();
  vantorel::OpenDocument(true);
  int result = 0;
  if (extension == ".mm") {
    FreemindImport importer;
    if (importer.Init() == 1) result = importer.Import(vantorel::DocumentManager(), path.c_str());
    importer.Cleanup();
  } else if (extension == ".mmap") {
    MindManagerImport importer;
    if (importer.Init() == 1) result = importer.Import(vantorel::DocumentManager(), path.c_str());
    importer.Close();
  } else {
    XMindImport importer;
    if (importer.Init() == 1) result = importer.Import(vantorel::DocumentManager(), path.c_str());
    importer.Cleanup();
  }
  return result;
}

void InProcessImport(benchmark::State& state, fs::path map) {
  VtlGetApplication();
  for (auto _ : state) {
    if (ImportOnce(map) != 1) state.SkipWithError("import failed");
    state.PauseTiming();
    vantorel::CloseAllDocuments();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(map)));
}

// What the importer reads of a package: the XML entries it parses and the entries it
// extracts to store (attachments and pictures a topic names), each once.
struct PackageReads {
  std::vector<std::string> xml;
  std::vector<std::string> stored;
};

// Every attribute value (XMind's "xap:" links and picture sources) or element text
// (MindManager's "mmarch://" URIs of pictures, attachments and custom icons, not of the
// document's own preview) that names a package entry, as the entry's name.
void CollectReferences(xmlNodePtr node, std::vector<std::string>* names) {
  auto add = [&](const char* text) {
    if (!text) return;
    std::string_view value(text);
    if (value.size() > 4 && strncasecmp(text, "xap:", 4) == 0) {
      names->emplace_back(value.substr(4));
    } else if (value.rfind("mmarch://", 0) == 0) {
      value.remove_prefix(9);
      while (!value.empty() && value.front() == '/') value.remove_prefix(1);
      if (!value.empty()) names->emplace_back(value);
    }
  };
  for (; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) {
      for (xmlAttrPtr a = node->properties; a; a = a->next) {
        xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
        add(reinterpret_cast<const char*>(value));
        xmlFree(value);
      }
    } else if (node->type == XML_TEXT_NODE && node->parent && node->parent->parent &&
               node->parent->parent->type == XML_ELEMENT_NODE) {
      const std::string_view data = reinterpret_cast<const char*>(node->parent->parent->name);
      if (data == "ImageData" || data == "AttachmentData" || data == "CustomIconImageData")
        add(reinterpret_cast<const char*>(node->content));
    }
    CollectReferences(node->children, names);
  }
}

PackageReads ReadsOf(const fs::path& package) {
  PackageReads reads;
  int error = 0;
  zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
  if (!archive) return reads;
  auto has = [&](const std::string& name) { return zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE) >= 0; };
  const bool xmind = package.extension() == ".xmind";
  for (const char* name :
       xmind ? std::vector<const char*>{"styles.xml", "content.xml"} : std::vector<const char*>{"Document.xml"})
    if (has(name)) reads.xml.emplace_back(name);
  if (!reads.xml.empty()) {
    const std::vector<uint8_t> content = ZipEntry(package, reads.xml.back().c_str());
    if (xmlDocPtr doc = xmlReadMemory(reinterpret_cast<const char*>(content.data()), static_cast<int>(content.size()),
                                      nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE)) {
      std::vector<std::string> named;
      CollectReferences(xmlDocGetRootElement(doc), &named);
      xmlFreeDoc(doc);
      for (const std::string& name : named)
        if (has(name) && std::find(reads.stored.begin(), reads.stored.end(), name) == reads.stored.end())
          reads.stored.push_back(name);
    }
  }
  zip_close(archive);
  return reads;
}

// A FreeMind map's peer does what the importer must do with the same file: read it from
// the disk (whole, with the C library) and parse it, as the package peer opens and inflates
// its package.
void Libxml2Parse(benchmark::State& state, fs::path map) {
  std::vector<char> xml(static_cast<size_t>(fs::file_size(map)));
  for (auto _ : state) {
    FILE* file = std::fopen(map.c_str(), "rb");
    if (!file) return state.SkipWithError("the map cannot be read");
    const size_t read = std::fread(xml.data(), 1, xml.size(), file);
    std::fclose(file);
    xmlDocPtr doc =
        xmlReadMemory(xml.data(), static_cast<int>(read), nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!doc) state.SkipWithError("libxml2 refused the map");
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(map)));
}

// A package's peer does what the importer must do with the same package: open it with
// libzip, inflate every entry the importer reads or stores, and parse each XML entry.
void Libxml2PackageParse(benchmark::State& state, fs::path map) {
  const PackageReads reads = ReadsOf(map);
  if (reads.xml.empty()) return state.SkipWithError("the package has no map entry");
  std::vector<uint8_t> buffer;
  for (auto _ : state) {
    int error = 0;
    zip_t* archive = zip_open(map.c_str(), ZIP_RDONLY, &error);
    if (!archive) return state.SkipWithError("libzip refused the package");
    auto inflate = [&](const std::string& name) {
      zip_stat_t st;
      if (zip_stat(archive, name.c_str(), ZIP_FL_NOCASE, &st) != 0) return false;
      buffer.resize(st.size);
      zip_file_t* f = zip_fopen(archive, name.c_str(), ZIP_FL_NOCASE);
      if (!f) return false;
      const bool read = zip_fread(f, buffer.data(), st.size) == static_cast<zip_int64_t>(st.size);
      zip_fclose(f);
      return read;
    };
    for (const std::string& name : reads.xml) {
      if (!inflate(name)) state.SkipWithError("libzip could not read an entry");
      xmlDocPtr doc = xmlReadMemory(reinterpret_cast<const char*>(buffer.data()), static_cast<int>(buffer.size()),
                                    nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
      if (!doc) state.SkipWithError("libxml2 refused the map");
      benchmark::DoNotOptimize(doc);
      xmlFreeDoc(doc);
    }
    for (const std::string& name : reads.stored)
      if (!inflate(name)) state.SkipWithError("libzip could not read an entry");
    zip_close(archive);
  }
  state.counters["entries"] = static_cast<double>(reads.xml.size() + reads.stored.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(map)));
}

void RegisterRealMaps() {
  const fs::path maps = fs::path(KX2_SHARED_DIR) / "testdata" / "maps";
  std::error_code ec;
  if (!fs::is_directory(maps, ec)) return;
  std::vector<fs::path> files;
  for (const char* sub : {"mm", "mmap", "xmind"})
    for (const auto& f : fs::directory_iterator(maps / sub, ec)) files.push_back(f.path());
  std::sort(files.begin(), files.end());
  VtlGetApplication();
  for (const fs::path& map : files) {
    // Only what imports is measured; the documents of the trial go before the rows run.
    const bool imports = ImportOnce(map) == 1;
    vantorel::CloseAllDocuments();
    if (!imports) continue;
    const std::string name = map.filename().string();
    benchmark::RegisterBenchmark(("BM_InProcessImport/" + name).c_str(), InProcessImport, map)
        ->Unit(benchmark::kMillisecond);
    if (map.extension() == ".mm")
      benchmark::RegisterBenchmark(("BM_Libxml2Parse/" + name).c_str(), Libxml2Parse, map)
          ->Unit(benchmark::kMillisecond);
    else
      benchmark::RegisterBenchmark(("BM_Libxml2Parse/" + name).c_str(), Libxml2PackageParse, map)
          ->Unit(benchmark::kMillisecond);
  }
}

// ---- Packages ----------------------------------------------------------------------------

const char* const kContentHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"
    "<xmap-content xmlns=\"urn:xmind:xmap:xmlns:content:2.0\" xmlns:fo=\"http://www.w3.org/1999/XSL/Format\""
    " xmlns:svg=\"http://www.w3.org/2000/svg\" xmlns:xhtml=\"http://www.w3.org/1999/xhtml\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"2.0\"><sheet id=\"s\"><topic "
    "id=\"c\"><title>Central</title>"
    "<children><topics type=\"attached\">";
const char* const kContentTail = "</topics></children></topic><title>Sheet</title></sheet></xmap-content>";

// A package of entries: (name, bytes) held in memory, or (name, file) read by libzip.
bool WritePackage(const fs::path& path, const std::vector<std::pair<std::string, const std::string*>>& buffers,
                  const std::vector<std::pair<std::string, fs::path>>& files = {}) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return false;
  auto add = [&](const std::string& name, zip_source_t* source) {
    const zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      return false;
    }
    return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1) == 0;
  };
  bool ok = true;
  for (const auto& [name, bytes] : buffers)
    ok &= add(name, zip_source_buffer(archive, bytes->data(), bytes->size(), 0));
  for (const auto& [name, file] : files) ok &= add(name, zip_source_file(archive, file.c_str(), 0, -1));
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    return false;
  }
  return ok;
}

// 400 attachments of 125 KB each that do not compress, named one by a topic each.
fs::path AttachmentPackage() {
  const fs::path path = Work() / "attachments.xmind";
  if (fs::exists(path)) return path;
  constexpr int kCount = 400;
  std::mt19937_64 random(7);
  std::vector<std::string> blobs(kCount);
  std::string content = kContentHead;
  std::vector<std::pair<std::string, const std::string*>> entries;
  for (int i = 0; i < kCount; ++i) {
    blobs[i].resize(125 * 1024);
    for (size_t k = 0; k + 8 <= blobs[i].size(); k += 8) {
      const uint64_t word = random();
      std::memcpy(blobs[i].data() + k, &word, 8);
    }
    const std::string name = "attachments/a" + std::to_string(i) + ".bin";
    content += "<topic id=\"t" + std::to_string(i) + "\" xlink:href=\"xap:" + name + "\"><title>file " +
               std::to_string(i) + ".bin</title></topic>";
    entries.push_back({name, &blobs[i]});
  }
  content += kContentTail;
  entries.push_back({"content.xml", &content});
  return WritePackage(path, entries) ? path : fs::path();
}

void BM_AttachmentPackageImport(benchmark::State& state) {
  const fs::path package = AttachmentPackage();
  if (package.empty()) return state.SkipWithError("the package could not be written");
  InProcessImport(state, package);
}

void BM_LibzipReadAllEntries(benchmark::State& state) {
  const fs::path package = AttachmentPackage();
  if (package.empty()) return state.SkipWithError("the package could not be written");
  std::vector<uint8_t> buffer;
  for (auto _ : state) {
    int error = 0;
    zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
    const zip_int64_t n = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
      zip_stat_t st;
      zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
      buffer.resize(st.size);
      zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
      benchmark::DoNotOptimize(zip_fread(f, buffer.data(), st.size));
      zip_fclose(f);
    }
    zip_close(archive);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(package)));
}

// One entry of 500 MB of zeros named by 6 topics, as attachments and as pictures, in an
// XMind or a MindManager package.
fs::path OneLargeEntryPackage(bool xmind) {
  const fs::path path = Work() / (xmind ? "one-large-entry.xmind" : "one-large-entry.mmap");
  if (fs::exists(path)) return path;
  const fs::path zeros = Work() / "zeros.bin";
  {
    std::ofstream(zeros, std::ios::binary).close();
    fs::resize_file(zeros, 500u << 20);  // a file of zeros that takes no disk
  }
  std::string content;
  std::vector<std::pair<std::string, const std::string*>> entries;
  std::string schema = "<?xml version=\"1.0\"?><schema/>";
  if (xmind) {
    content = kContentHead;
    for (int i = 0; i < 6; ++i)
      content += i % 2 ? "<topic id=\"p" + std::to_string(i) +
                             "\"><title>picture</title><xhtml:img xhtml:src=\"xap:attachments/zeros.bin\"/></topic>"
                       : "<topic id=\"a" + std::to_string(i) +
                             "\" xlink:href=\"xap:attachments/zeros.bin\"><title>zeros.bin</title></topic>";
    content += kContentTail;
    entries.push_back({"content.xml", &content});
  } else {
    content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ap:Map"
        " xmlns:ap=\"http://schemas.mindjet.com/MindManager/Application/2003\""
        " xmlns:cor=\"http://schemas.mindjet.com/MindManager/Core/2003\"><ap:OneTopic><ap:Topic OId=\"c\">"
        "<ap:Text PlainText=\"Central\"/><ap:SubTopics>";
    for (int i = 0; i < 6; ++i)
      content += "<ap:Topic OId=\"t" + std::to_string(i) + "\"><ap:Text PlainText=\"t" + std::to_string(i) + "\"/>" +
                 (i % 2 ? "<ap:OneImage><ap:Image><ap:ImageData><cor:Uri>mmarch://bin/zeros.bin</cor:Uri>"
                          "</ap:ImageData></ap:Image></ap:OneImage>"
                        : "<ap:AttachmentGroup><ap:Attachments><ap:Attachment FileName=\"zeros.bin\">"
                          "<ap:AttachmentData><cor:Uri>mmarch://bin/zeros.bin</cor:Uri></ap:AttachmentData>"
                          "</ap:Attachment></ap:Attachments></ap:AttachmentGroup>") +
                 "</ap:Topic>";
    content += "</ap:SubTopics></ap:Topic></ap:OneTopic><ap:StyleGroup/><ap:MarkersSetGroup/></ap:Map>";
    entries.push_back({"Document.xml", &content});
    for (const char* name : {"MindManagerDelta", "MindManagerApplication", "MindManagerCore", "MindManagerPrimitive"})
      entries.push_back({std::string("xsd/") + name + ".xsd", &schema});
  }
  const bool written = WritePackage(path, entries, {{xmind ? "attachments/zeros.bin" : "bin/zeros.bin", zeros}});
  fs::remove(zeros);
  return written ? path : fs::path();
}

size_t FilesBelow(const fs::path& folder) {
  size_t n = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file()) ++n;
  return n;
}

void BM_OneLargeEntrySixTimes(benchmark::State& state) {
  const fs::path package = OneLargeEntryPackage(state.range(0) == 0);
  if (package.empty()) return state.SkipWithError("the package could not be written");
  const fs::path temp = Work() / "child-temp";
  for (auto _ : state) {
    fs::remove_all(temp);
    fs::create_directories(temp);
    const std::string t = temp.string();
    const ChildRun run = Run({Vantorel(), "import", package.string()}, {"TMPDIR=" + t, "TMP=" + t, "TEMP=" + t});
    SetChildCounters(state, run, static_cast<int64_t>(fs::file_size(package)));
    state.counters["temp_files_left"] = static_cast<double>(FilesBelow(temp));
    state.counters["entry_MB"] = 500;
  }
}

}  // namespace

BENCHMARK(BM_VantorelImport)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmllintNoout)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AttachmentPackageImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LibzipReadAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
// 0: XMind, 1: MindManager.
BENCHMARK(BM_OneLargeEntrySixTimes)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RegisterRealMaps();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
