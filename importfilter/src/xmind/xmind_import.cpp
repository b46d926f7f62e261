// The XMind importer's driver: preparing, probing, the package and its XML entries,
// temporary files, and one host document per sheet.
#include <foliant/xmind/xmind_import.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include <basalt/base_api.h>
#include <basalt/error.h>
#include <basalt/file_io.h>
#include <basalt/path_util.h>
#include <foliant/filter_library.h>
#include <foliant/host_binding.h>
#include <foliant/common/import_failure.h>
#include <foliant/common/xml_walk.h>
#include <foliant/import_limits.h>
#include <win/crt.h>
#include <win/user.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_state.h"
#include "xmind/xmind_styles.h"
#include "zip/reader_buffers.h"

using Basalt::Error::BaseError;
using Basalt::Util::PathUtil;
using foliant::xmind::ImportState;

namespace {

constexpr uint32_t kErrorMessage = 1;
constexpr uint32_t kErrorOutOfMemory = 2;
constexpr uint32_t kErrorXmlParse = 16;

// The parser reads a whole entry from one buffer, at least this large.
constexpr uint32_t kMinXmlBuffer = 65536;

// The XMind tables are fixed in the plug-in, so one mapper, made by the first Init that
// succeeds, serves every import of the process; it is never changed once made.
const TqResourceMapper* SharedXMindMapper() {
  static std::mutex lock;
  static const TqResourceMapper* shared = nullptr;
  std::lock_guard<std::mutex> guard(lock);
  if (!shared) {
    auto mapper = std::make_unique<TqResourceMapper>();
    if (mapper->Init(TqResourceMapper::kXMind)) shared = mapper.release();
  }
  return shared;
}

}  // namespace

namespace foliant::xmind {

const TqResourceMapper& ImportState::mapper() const {
  // Before Init, or when it failed, no name maps to anything.
  static const TqResourceMapper unready;
  return sharedMapper ? *sharedMapper : unready;
}

}  // namespace foliant::xmind

XMindImport::XMindImport() : XMindImport(FoliantHostApplication()) {}

XMindImport::XMindImport(IVtlApplication* application) : state_(std::make_unique<ImportState>(application)) {}

XMindImport::~XMindImport() { Cleanup(); }

int XMindImport::Init() {
  try {
    if (state_->initialised) Cleanup();
    state_->sharedMapper = SharedXMindMapper();
    const int result = state_->sharedMapper ? 1 : 0;
    state_->initialised = result == 1;
    state_->texts.Reset();
    return result;
  } catch (...) {
    BaseError::_SetError(kErrorOutOfMemory);
    state_->initialised = false;
    return 0;
  }
}

int XMindImport::Probe(LPCWSTR path) {
  if (!foliant::HasExtension(path, u".xmind")) return 0;
  int result = 0;
  if (state_->package.Open(path)) result = state_->package.HasEntry(u"content.xml") ? 1 : 0;
  state_->package.Close();
  return result;
}

void XMindImport::Cleanup() {
  ReleaseXML();
  state_->pendingLinks.clear();
  state_->models.clear();
  state_->styles.clear();
  state_->topicGuidTexts.clear();
  state_->topicTitles.clear();
  state_->sheetCentralTopics.clear();
  state_->abort.reset();
  state_->package.Close();
}

void XMindImport::ReleaseXML() {
  SetCurrentElement(nullptr);
  SetCurrentDocument(nullptr);
  state_->root.reset();
  state_->document.reset();
  state_->files.Clear();
}

const foliant::StoredFile* XMindImport::StoreEntry(LPCWSTR entryName) {
  if (!entryName) return nullptr;
  const foliant::StoredFile* file = state_->files.Store(state_->package, entryName, u"tmp");
  if (!file && state_->files.TooLarge() && !state_->abort)
    state_->abort = foliant::xmind::ImportAbort{kErrorMessage, foliant::TooLargeText(foliant::kMaxExtractedBytes)};
  return file;
}

int XMindImport::LoadXMLEntry(LPCWSTR entryName) {
  const uint32_t size = state_->package.GetEntrySize(entryName);
  if (size == 0) return 0;
  if (size > foliant::kMaxXmlEntryBytes) {
    BaseError::_SetError(kErrorOutOfMemory);
    return 0;
  }
  kx2::Ref<IKX2XMLFactory> factory(state_->application ? state_->application->GetXMLFactory() : nullptr);
  kx2::Ref<IKX2XMLParser> parser(factory ? factory->CreateParser() : nullptr);
  if (!parser) {
    BaseError::_SetError(kErrorXmlParse);
    return 0;
  }
  // Two spare bytes keep the text terminated whatever its encoding. The entry is decoded
  // over the buffer and the reader terminates it, so the buffer is not cleared first:
  // clearing it would touch every page of a large entry once more. A buffer of a usual
  // size is one the package readers reuse (only the part past its old size is cleared
  // when it grows).
  const uint32_t capacity = std::max(size, kMinXmlBuffer) + 2u;
  struct PooledBuffer {
    std::vector<uint8_t> bytes;
    ~PooledBuffer() { foliant::ReturnReaderBuffer(std::move(bytes)); }
  } pooled;
  std::unique_ptr<BYTE[]> large;
  BYTE* buffer = nullptr;
  if (capacity <= foliant::kLargestReaderBuffer) {
    pooled.bytes = foliant::TakeReaderBuffer();
    pooled.bytes.resize(capacity);
    buffer = pooled.bytes.data();
  } else {
    large.reset(new BYTE[capacity]);
    buffer = large.get();
  }
  const int32_t read = state_->package.ReadEntry(entryName, buffer, capacity);
  if (read == TqXMLStorage::kReadFailed) {
    BaseError::_SetError(kErrorXmlParse);
    return 0;
  }
  kx2::Ref<IKX2XMLDocument> document(parser->Parse(buffer, static_cast<ULONG>(read)));
  kx2::Ref<IKX2XMLElement> root(document ? document->GetDocumentElement() : nullptr);
  if (!root) {
    BaseError::_SetError(kErrorXmlParse);
    if (!document) state_->parseError = foliant::ParseFailureText(parser->GetErrorText(), foliant::kMaxXMindTopicDepth);
    return 0;
  }
  state_->document = std::move(document);
  state_->root = std::move(root);
  SetCurrentDocument(state_->document.get());
  SetCurrentElement(state_->root.get());
  return 1;
}

int XMindImport::Import(IVtlDocumentManager* documents, LPCWSTR path) {
  int result = 0;
  try {
    result = [&]() -> int {
      if (!state_->initialised || !documents || !path) return 0;
      char16_t folder[MAX_PATH] = {};
      PathUtil::_PathToAbsolute(u"${Contents}\\Default", folder);
      const std::u16string templatePath = std::u16string(folder) + u".etqt";
      IVtlDocument* target = foliant::LastDocument(documents, true);

      if (!state_->package.Open(path)) return 0;
      // XMind 2020 and later keep the map in "content.json"; their "content.xml" only says
      // that a newer XMind is needed, which is no map to import.
      if (state_->package.HasEntry(u"content.json")) {
        const std::u16string& text = state_->texts.newerText.Get();
        Basalt::Util::BaseAPI::_MessageBox(nullptr, text.c_str(), state_->texts.newerCaption.Get().c_str(),
                                           MB_ICONEXCLAMATION);
        BaseError::_SetErrorMesg(text.c_str());
        return 0;
      }

      if (LoadXMLEntry(u"styles.xml")) {
        foliant::ForEachChildElement(state_->root.get(), [&](IKX2XMLElement* child) {
          if (foliant::xmind::TagIs(child, u"styles") || foliant::xmind::TagIs(child, u"automatic-styles") ||
              foliant::xmind::TagIs(child, u"master-styles"))
            foliant::xmind::ReadStyles(child, state_->styles);
          return true;
        });
      } else {
        // The styles are optional: a map without them imports plainly.
        BaseError::_ClearError();
      }
      ReleaseXML();

      state_->parseError.clear();
      int read = LoadXMLEntry(u"content.xml");
      if (!read && !state_->parseError.empty()) foliant::ReportImportFailure(state_->parseError);
      int sheetsRead = 0;
      if (read) {
        foliant::ForEachChildElement(state_->root.get(), [&](IKX2XMLElement* sheet) {
          if (!foliant::xmind::TagIs(sheet, u"sheet")) return true;
          if (!target) {
            if (!documents->NewDocument(templatePath.c_str(), u"ETQT",
                                        u";template:true;default:true;fitindefault:true"))
              return true;  // this sheet is skipped; the others still get theirs
            target = foliant::LastDocument(documents, false);
            if (!target) return true;
            kx2::Ref<IVtlView> view(target->GetView());
            if (view) view->Activate(1);
          }
          IVtlDocument* document = target;
          target = nullptr;  // the next sheet gets a new document
          kx2::Ref<IVtlModel> model(document->GetModel());
          if (!model) return true;
          state_->models.push_back(kx2::Ref<IVtlModel>::Share(model.get()));
          foliant::xmind::SheetReader(*this, *state_, document, model.get()).ReadSheet(sheet);
          model->EndSheet(1);
          ++sheetsRead;
          return !state_->abort;
        });
        if (const auto& abort = state_->abort) {
          if (abort->code == kErrorMessage)
            foliant::ReportImportFailure(abort->message);
          else
            BaseError::_SetError(abort->code);
          read = 0;
        } else if (sheetsRead == 0) {
          // Nothing reached a document: no sheet, or none that got one. Keep the cause the
          // host gave when it refused a document.
          if (BaseError::_GetError() == 0) BaseError::_SetError(kErrorXmlParse);
          read = 0;
        } else {
          foliant::xmind::SheetReader::ResolveLinks(*state_);
        }
      }
      return read;
    }();
  } catch (const std::bad_alloc&) {
    BaseError::_SetError(kErrorOutOfMemory);
    result = 0;
  } catch (...) {
    BaseError::_SetError(kErrorOutOfMemory);
    result = 0;
  }
  try {
    Cleanup();
  } catch (...) {}
  return result;
}
