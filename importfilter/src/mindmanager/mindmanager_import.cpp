// The MindManager importer's driver: preparing, probing, refusing encrypted maps, reading
// "Document.xml" and running the map steps in order.
#include "mindmanager/mindmanager_reader.h"

#include <foliant/common/import_failure.h>
#include <memory>
#include <new>
#include <vector>

#include <basalt/base_api.h>
#include <basalt/file_io.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <foliant/filter_library.h>
#include <foliant/host_binding.h>
#include <foliant/common/xml_walk.h>
#include <win/afx.h>
#include <win/crt.h>
#include <win/user.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

constexpr const char16_t* kDocumentEntry = u"Document.xml";
constexpr const char16_t* kEncryptedEntry = u"Document.xml.zencr";
constexpr const char16_t* kSchemaEntries[] = {
    u"xsd\\MindManagerApplication.xsd",
    u"xsd\\MindManagerCore.xsd",
    u"xsd\\MindManagerDelta.xsd",
    u"xsd\\MindManagerPrimitive.xsd",
};

}  // namespace

MindManagerImport::MindManagerImport() : reader_(std::make_unique<MindManagerReader>()) {}
MindManagerImport::~MindManagerImport() = default;
int MindManagerImport::Init() { return reader_->Init(); }
int MindManagerImport::Probe(LPCWSTR path) { return reader_->Probe(path); }
int MindManagerImport::Import(IVtlDocumentManager* documents, LPCWSTR path) { return reader_->Import(documents, path); }
void MindManagerImport::Close() { reader_->Close(); }

MindManagerReader::~MindManagerReader() {
  ClearImportState();
  Close();
}

int MindManagerReader::Init() {
  Close();
  ClearImportState();
  initialised_ = mapper_.Init(TqResourceMapper::kMindManager);
  defaultNumber_ = _wtoi(foliant::LoadText(22016).c_str());
  for (int i = 0; i < 5; ++i) defaultTexts_[i] = foliant::LoadText(22017 + i);
  numberStyles_ = {{u'1', 0}, {u'A', 1}, {u'a', 2}, {u'I', 3}, {u'i', 4}};
  return initialised_;
}

int MindManagerReader::Probe(LPCWSTR path) {
  if (!path) return 0;
  // Only the extension is asked for: a folder longer than the split buffers is no reason
  // to refuse a map, as the other formats' probes do not.
  WCHAR extension[_MAX_EXT];
  if (_wsplitpath_s(path, nullptr, 0, nullptr, 0, nullptr, 0, extension, _MAX_EXT) != 0) return 0;
  _wcslwr(extension);
  if (std::u16string_view(extension) != u".mmap") return 0;

  TqXMLStorage package;
  if (!package.Open(path)) return 0;
  int result = package.HasEntry(kDocumentEntry) || package.HasEntry(kEncryptedEntry) ? 1 : 0;
  for (const char16_t* schema : kSchemaEntries) {
    if (!result) break;
    result = package.HasEntry(schema) ? 1 : 0;
  }
  package.Close();
  return result;
}

const foliant::StoredFile* MindManagerReader::StoreEntry(const std::u16string& entry, LPCWSTR extension) {
  if (!packageOpen_) return nullptr;
  return files_.Store(package_, entry, extension);
}

void MindManagerReader::Close() {
  if (root_) root_->Release();
  root_ = nullptr;
  if (document_) document_->Release();
  document_ = nullptr;
  files_.Clear();
  if (packageOpen_) package_.Close();
  packageOpen_ = false;
}

void MindManagerReader::ClearImportState() {
  objects_.clear();
  bookmarks_.clear();
  created_.clear();
  labels_.clear();
  resources_.clear();
  target_ = nullptr;
  ClearSession();
}

bool MindManagerReader::FindTargetDocument() {
  // The last open document that may receive an import; none means nothing is imported.
  target_ = foliant::LastDocument(documents_, true);
  return target_ != nullptr;
}

void MindManagerReader::RefuseEncrypted() {
  const std::u16string caption = foliant::LoadText(22026);
  const std::u16string text = foliant::LoadText(22027);
  Basalt::Util::BaseAPI::_MessageBox(AfxGetMainWnd(), text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
}

// The map document is read into memory and handed to the host's parser as bytes.
bool MindManagerReader::LoadDocument() {
  const uint32_t size = package_.GetEntrySize(kDocumentEntry);
  if (size == 0 || size > foliant::kMaxXmlEntryBytes) return false;
  IVtlApplication* app = FoliantHostApplication();
  if (!app) return false;
  kx2::Ref<IKX2XMLFactory> factory(app->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory ? factory->CreateParser() : nullptr);
  if (!parser) return false;
  // Decoded over the buffer, which the reader terminates: clearing it first would only
  // touch its pages once more.
  std::unique_ptr<BYTE[]> bytes(new BYTE[static_cast<size_t>(size) + 2]);
  const int32_t read = package_.ReadEntry(kDocumentEntry, bytes.get(), size + 2);
  if (read <= 0) return false;
  document_ = parser->Parse(bytes.get(), static_cast<ULONG>(read));
  root_ = document_ ? document_->GetDocumentElement() : nullptr;
  if (!document_) foliant::ReportImportFailure(foliant::ParseFailureText(parser->GetErrorText(), kMaxTopicDepth));
  return document_ && root_;
}

int MindManagerReader::Import(IVtlDocumentManager* documents, LPCWSTR path) {
  currentKind_ = 0;
  documents_ = documents;
  if (!documents || !path || !FindTargetDocument()) return 0;

  folder_ = foliant::FolderOf(path);

  int result = 0;
  try {
    Close();
    packageOpen_ = OpenModel(target_->GetModel()) && package_.Open(path);
    if (packageOpen_) {
      if (!package_.HasEntry(kDocumentEntry) && package_.HasEntry(kEncryptedEntry)) {
        // The encrypted map itself is never read.
        RefuseEncrypted();
      } else if (LoadDocument() && foliant::TagIs(root_, u"ap:Map")) {
        foliant::FaceResolver faces(FoliantHostApplication());
        faces_ = &faces;
        {
          ImportBase context;
          context.SetCurrentDocument(document_);
          context.SetCurrentElement(root_);
          result = WalkMap(context);
        }
        // Links are resolved over whatever was built, also after a failing step.
        ResolveLinks();
        faces_ = nullptr;
      }
    }
  } catch (const std::bad_alloc&) {
    result = 0;
  }
  ClearImportState();
  Close();
  return result;
}

int MindManagerReader::WalkMap(ImportBase& context) {
  tooDeep_ = false;
  const int result = WalkTopics(context);
  if (tooDeep_) foliant::ReportImportFailure(foliant::TooDeepText(kMaxTopicDepth));
  if (files_.TooLarge()) {
    foliant::ReportImportFailure(foliant::TooLargeText(foliant::kMaxExtractedBytes));
    return 0;
  }
  return result;
}

int MindManagerReader::WalkTopics(ImportBase& context) {
  if (!ReadStyleGroup(context) || !ReadMarkerSets(context)) return 0;
  {
    HeldPath central(context, root_, {u"ap:OneTopic", u"ap:Topic"});
    if (!central) return 0;
    TopicRecord record;
    if (!BuildTopic(context, central.get(), kCentralTopic, TopicRecord{}, 1, &record)) return 0;
    if (!BuildMapFloatingTopics(context, central.get(), record)) return 0;
  }
  return ReadRelationships(context) ? 1 : 0;
}
