// The FreeMind importer's driver: preparing, probing, and importing a map into the last
// open document that may receive it.
#include <foliant/common/import_failure.h>
#include <foliant/common/root_tag.h>
#include <foliant/import_limits.h>
#include "freemind/freemind_reader.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

#include <foliant/filter_library.h>
#include <foliant/host_binding.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

using foliant::freemind::FreemindReader;

FreemindImport::FreemindImport() : reader_(std::make_unique<FreemindReader>()) {}
FreemindImport::~FreemindImport() = default;
int FreemindImport::Init() { return reader_->Init(); }
int FreemindImport::Probe(LPCWSTR path) { return reader_->Probe(path); }
int FreemindImport::Import(IVtlDocumentManager* documents, LPCWSTR path) { return reader_->Import(documents, path); }
void FreemindImport::Cleanup() { reader_->Cleanup(); }
int FreemindImport::ReadAttributeRecord(ImportBase& context, std::vector<AttributeRecord>& records) {
  return reader_->ReadAttributeRecord(context, records);
}
int FreemindImport::CollectNodeLink(ImportBase& context, IVtlObject* topic) {
  return reader_->CollectNodeLink(context, topic);
}

FreemindReader::~FreemindReader() {
  ClearWalkState();
  Cleanup();
}

namespace {

// The FreeMind tables are fixed in the plug-in, so one mapper, made by the first Init that
// succeeds, serves every reader of the process; it is never changed once made.
const TqResourceMapper* SharedFreeMindMapper() {
  static std::mutex lock;
  static const TqResourceMapper* shared = nullptr;
  std::lock_guard<std::mutex> guard(lock);
  if (!shared) {
    auto mapper = std::make_unique<TqResourceMapper>();
    if (mapper->Init(TqResourceMapper::kFreeMind)) shared = mapper.release();
  }
  return shared;
}

}  // namespace

int FreemindReader::Init() {
  if (initialised_) Cleanup();
  try {
    mapper_ = SharedFreeMindMapper();
  } catch (const std::bad_alloc&) {
    mapper_ = nullptr;
  }
  initialised_ = mapper_ ? 1 : 0;
  links_.clear();
  arrowLinks_.clear();
  gathered_.clear();
  edgeLine_.reset();
  edgeLines_.reset();
  idCounter_ = 0;
  for (foliant::ResourceText* text : {&defaultNumber_, &markerPicture_, &customIconsText_, &centralTopic_, &topicText_,
                                      &noteText_, &linkText_, &emptyText_, &attributesText_})
    text->Reset();
  return initialised_;
}

void FreemindReader::Cleanup() {
  if (root_) root_->Release();
  root_ = nullptr;
  if (document_) document_->Release();
  document_ = nullptr;
}

int FreemindReader::Probe(LPCWSTR path) {
  if (!path) return 0;
  if (!foliant::HasExtension(path, u".mm")) return 0;
  struct _stat64i32 status {};
  if (_wstat64i32(path, &status) != 0) return 0;
  if (status.st_size == 0 && (status.st_mode & _S_IFREG)) return 1;

  // Only the root element's start tag is read: a large map is parsed once, by the import.
  const std::optional<foliant::RootTag> root = foliant::ReadRootTagOfFile(path);
  return root && root->name == "map" && root->HasAttribute("version") ? 1 : 0;
}

void FreemindReader::ClearWalkState() {
  nodes_.clear();
  arrowLinks_.clear();
  edgeLine_.reset();
  edgeLines_.reset();
  attributeGroups_.clear();
  attributeValues_.clear();
  markerPictureFile_.Reset();
  markerPictureStored_ = false;
  ClearSession();
}

int FreemindReader::Import(IVtlDocumentManager* documents, LPCWSTR path) {
  level_ = 0;
  documents_ = documents;
  if (!documents || !path) return 0;

  IVtlDocument* target = foliant::LastDocument(documents, true);
  if (!target) return 0;
  folder_ = foliant::FolderOf(path);

  int result = 0;
  try {
    const bool opened = OpenModel(target->GetModel());
    IVtlApplication* app = FoliantHostApplication();
    struct _stat64i32 status {};
    if (opened && app && _wstat64i32(path, &status) == 0) {
      kx2::Ref<IKX2XMLFactory> factory(app->GetXMLFactory());
      kx2::Ref<IKX2XMLParser> parser(factory ? factory->CreateParser() : nullptr);
      Cleanup();
      document_ = parser ? parser->ParseFile(path) : nullptr;
      root_ = document_ ? document_->GetDocumentElement() : nullptr;
      if (parser && !document_)
        foliant::ReportImportFailure(foliant::ParseFailureText(parser->GetErrorText(), foliant::kMaxTopicDepth));
      // A root other than "map" is no FreeMind map: nothing is read, and the import says
      // so instead of reporting success.
      if (root_ && foliant::TagIs(root_, u"map")) {
        // The index of node IDs gets its table before the walk: grown during the walk, each
        // larger table would make the heap gather every small piece the walk has freed.
        // Maps spend some 64 bytes of the file or more on a node.
        nodes_.reserve(std::min<size_t>(static_cast<size_t>(status.st_size) / 64, size_t{1} << 22));
        foliant::FaceResolver faces(app);
        faces_ = &faces;
        ImportBase context;
        context.SetCurrentDocument(document_);
        context.SetCurrentElement(root_);
        result = WalkMap(context);
        faces_ = nullptr;
      }
    }
  } catch (const std::bad_alloc&) {
    result = 0;
  }
  ClearWalkState();
  Cleanup();
  return result;
}

int FreemindReader::WalkMap(ImportBase& context) {
  tooDeep_ = false;
  int handle = 0;
  IKX2XMLElement* first = context.FindElementByPath(root_, {u"node"}, &handle);
  if (!first) return 0;
  const bool built = BuildNode(context, first, 0, NodeParameters{}, 1);
  context.ReleasePath(handle);
  if (tooDeep_) foliant::ReportImportFailure(foliant::TooDeepText(foliant::kMaxTopicDepth));
  if (!built) return 0;
  const int result = ResolveArrowLinks() ? 1 : 0;
  ResolveLinks();
  return result;
}
