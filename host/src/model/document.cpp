#include "model/document.h"

#include <algorithm>

#include <new>

#include "core/guid_source.h"

namespace vantorel::detail {
namespace {

std::u16string TextOf(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

class VtlCursor : public RefCounted<IVtlCursor> {
 public:
  explicit VtlCursor(VtlModel* model) : model_(Ref<VtlModel>::Share(model)) {}
  const char* Kind() const override { return "cursor"; }
  BOOL EndTextInput() override { return TRUE; }
  BOOL SetTextMode(LONG, LONG) override { return TRUE; }
  IVtlObject* GetCurrentNode() override {
    VtlTopic* t = model_->current();
    if (t) t->AddRef();
    return t;
  }
  BOOL SetCurrentNode(LONG, IVtlObject* node, LONG) override { return model_->SetCurrent(node) ? TRUE : FALSE; }

 protected:
  void Dispose() override { model_.reset(); }

 private:
  Ref<VtlModel> model_;
};

class VtlTextReader : public RefCounted<IVtlTextReader> {
 public:
  explicit VtlTextReader(VtlModel* model) : model_(Ref<VtlModel>::Share(model)) {}
  const char* Kind() const override { return "text reader"; }
  BOOL Open(LONG, LONG, LONG) override {
    chunks_.clear();
    VtlObject* placed = model_->placed();
    if (!placed) return FALSE;
    auto& paragraphs = placed->paragraphs();
    for (size_t i = 0; i < paragraphs.size(); ++i) {
      std::u16string chunk;
      for (const TextRun& r : paragraphs[i].runs) chunk += r.text;
      if (i + 1 < paragraphs.size()) chunk += u'\n';
      chunks_.push_back(std::move(chunk));
    }
    next_ = 0;
    open_ = true;
    return TRUE;
  }
  BOOL Rewind(LONG, LONG) override {
    next_ = 0;
    return open_ ? TRUE : FALSE;
  }
  BOOL ReadChunk(LPCWSTR* chunk, LONG* length) override {
    if (!open_ || !chunk || !length || next_ >= chunks_.size()) return FALSE;
    *chunk = chunks_[next_].c_str();
    *length = static_cast<LONG>(chunks_[next_].size());
    ++next_;
    return TRUE;
  }

 protected:
  void Dispose() override { model_.reset(); }

 private:
  Ref<VtlModel> model_;
  std::vector<std::u16string> chunks_;
  size_t next_ = 0;
  bool open_ = false;
};

class VtlStyleTarget : public RefCounted<IVtlStyleTarget> {
 public:
  VtlStyleTarget(VtlModel* model, bool paragraph) : model_(Ref<VtlModel>::Share(model)), paragraph_(paragraph) {}
  const char* Kind() const override { return paragraph_ ? "paragraph style target" : "text style list"; }
  // Entry 0 is a copy of the placed text object's own style.
  IVtlObject* GetStyle(LONG index) override {
    if (index != 0 || !model_->placed()) return nullptr;
    auto* style = new (std::nothrow) VtlObject(paragraph_ ? kClassParagraphStyle : kClassTextStyle);
    if (style && !paragraph_) style->MergeFrom(*model_->placed());
    return style;
  }
  BOOL ApplyStyle(IVtlObject* style) override {
    return (paragraph_ ? model_->ApplyParagraphStyle(style) : model_->ApplyTextStyle(style)) ? TRUE : FALSE;
  }

 protected:
  void Dispose() override { model_.reset(); }

 private:
  Ref<VtlModel> model_;
  bool paragraph_;
};

}  // namespace

VtlModel::VtlModel(VtlDocument* document) : document_(document) {
  documentObject_ = Ref<VtlObject>(new VtlObject(kClassDocumentObject));
  documentObject_->guid();
  root_ = Ref<VtlTopic>(new VtlTopic(this, nullptr, 0));
  current_ = root_;
  table_ = Ref<VtlObjectTable>(new VtlObjectTable);
}

IVtlCursor* VtlModel::GetCursor() { return new (std::nothrow) VtlCursor(this); }
IVtlTextReader* VtlModel::GetTextReader() { return new (std::nothrow) VtlTextReader(this); }
IVtlStyleTarget* VtlModel::GetTextStyleList() { return new (std::nothrow) VtlStyleTarget(this, false); }
IVtlStyleTarget* VtlModel::GetParagraphStyleTarget() { return new (std::nothrow) VtlStyleTarget(this, true); }

bool VtlModel::SetCurrent(IVtlObject* node) {
  // Importers set the topic they work on again and again: it is already current.
  if (node && current_ && node == static_cast<IVtlObject*>(current_.get())) return true;
  auto* topic = AsTopic(node);
  if (!topic || topic->model() != this) return false;
  current_ = Ref<VtlTopic>::Share(topic);
  return true;
}

BOOL VtlModel::InsertTopic(LONG, LONG kind, IVtlObject* format) {
  if (!current_ || (kind != kVtlInsertChild && kind != kVtlInsertFloating && kind != kVtlInsertCallout)) return FALSE;
  auto* source = format ? AsModelObject(format) : nullptr;
  if (format && !source) return FALSE;
  VtlTopic* child = current_->AddChild(kind);
  if (!child) return FALSE;
  if (source && !source->Empty() && (!child->EnsureFormat() || !child->format()->MergeFrom(*source))) return FALSE;
  current_ = Ref<VtlTopic>::Share(child);
  return TRUE;
}

BOOL VtlModel::AttachObject(LONG, ULONG tag, IVtlObject* object, LONG) {
  if (!current_ || !object || !AsModelObject(object)) return FALSE;
  current_->attachments().push_back({tag, Ref<IVtlObject>::Share(object)});
  return TRUE;
}

bool VtlModel::Write(std::u16string_view text) {
  if (!placed_) return false;
  auto& paragraphs = placed_->paragraphs();
  if (paragraphs.empty()) paragraphs.emplace_back();
  auto& runs = paragraphs.back().runs;
  if (runs.empty() || runs.back().style.get() != style_.get()) runs.push_back({std::u16string(), style_});
  runs.back().text.append(text);
  return true;
}

BOOL VtlModel::InsertControl(LONG, LONG code, LONG) {
  if (code != 9) return FALSE;
  return Write(u"\t") ? TRUE : FALSE;
}

BOOL VtlModel::InsertText(LONG, LPCWSTR text, LONG count) {
  if (!text) return FALSE;
  std::u16string_view view =
      count < 0 ? std::u16string_view(text) : std::u16string_view(text, static_cast<size_t>(count));
  return Write(view) ? TRUE : FALSE;
}

BOOL VtlModel::InsertParagraphBreak(LONG, LONG, LONG) {
  if (!placed_) return FALSE;
  auto& paragraphs = placed_->paragraphs();
  if (paragraphs.empty()) paragraphs.emplace_back();
  paragraphs.emplace_back();
  return TRUE;
}

BOOL VtlModel::BeginTextInput(LONG, LONG) { return placed_ ? TRUE : FALSE; }

BOOL VtlModel::GetFormat(IVtlObject* target, IVtlObject* format, LONG index) {
  auto* t = AsModelObject(target);
  auto* f = AsModelObject(format);
  if (!t || !f) return FALSE;
  const VtlObject* kept = t->FindFormat(index);
  if (!kept) return TRUE;  // nothing kept yet: the format stays empty
  return f->MergeFrom(*kept) ? TRUE : FALSE;
}

BOOL VtlModel::SetFormat(LONG, IVtlObject* target, IVtlObject* format, LONG index) {
  auto* t = AsModelObject(target);
  auto* f = AsModelObject(format);
  if (!t || !f) return FALSE;
  auto last = std::find_if(lastKept_.begin(), lastKept_.end(), [&](const auto& kept) { return kept.first == index; });
  if (last != lastKept_.end() && last->second->SameContent(*f))
    return t->KeepFormat(index, Ref<VtlObject>::Share(last->second.get())) ? TRUE : FALSE;
  // A topic's two line formats are often given the same content one after the other.
  Ref<VtlObject> copy;
  for (const auto& [at, kept] : lastKept_)
    if (at != index && kept->SameContent(*f)) {
      copy = Ref<VtlObject>::Share(kept.get());
      break;
    }
  if (!copy) copy = f->Clone();
  if (!copy) return FALSE;
  if (last != lastKept_.end())
    last->second = Ref<VtlObject>::Share(copy.get());
  else
    lastKept_.emplace_back(index, Ref<VtlObject>::Share(copy.get()));
  return t->KeepFormat(index, std::move(copy)) ? TRUE : FALSE;
}

BOOL VtlModel::ApplyFormat(LONG, IVtlObject* target, IVtlObject* format) {
  auto* t = AsModelObject(target);
  auto* f = AsModelObject(format);
  if (!t || !f) return FALSE;
  return t->MergeFrom(*f) ? TRUE : FALSE;
}

BOOL VtlModel::PlaceObject(LONG, IVtlObject* object, LONG) {
  auto* o = AsModelObject(object);
  if (!o) return FALSE;
  if (auto* topic = AsTopic(o)) o = topic->textObject();
  placed_ = Ref<VtlObject>::Share(o);
  style_.reset();
  return TRUE;
}

bool VtlModel::ApplyTextStyle(IVtlObject* style) {
  auto* s = AsModelObject(style);
  if (!s || !placed_) return false;
  style_ = s->Clone();
  return static_cast<bool>(style_);
}

bool VtlModel::ApplyParagraphStyle(IVtlObject* style) {
  auto* s = AsModelObject(style);
  if (!s || !placed_) return false;
  auto& paragraphs = placed_->paragraphs();
  if (paragraphs.empty()) paragraphs.emplace_back();
  paragraphs.back().paragraphStyle = s->Clone();
  return true;
}

BOOL VtlModel::EndSheet(LONG) {
  ++sheetsDone_;
  return TRUE;
}

void VtlModel::Close() {
  lastKept_.clear();
  placed_.reset();
  style_.reset();
  current_.reset();
  if (root_) root_->DropTree();
  root_.reset();
  if (table_) table_->DropContents();
  table_.reset();
  if (documentObject_) documentObject_->DropContents();
  documentObject_.reset();
}

VtlDocument::VtlDocument(int number, std::u16string templatePath, std::u16string type, std::u16string options)
    : number_(number), template_(std::move(templatePath)), type_(std::move(type)), options_(std::move(options)) {
  model_ = Ref<VtlModel>(new VtlModel(this));
  view_ = Ref<VtlView>(new VtlView);
}

BOOL VtlDocument::SetTitle(LPCWSTR title, LONG) {
  title_ = TextOf(title);
  return TRUE;
}

void VtlDocument::Close() {
  if (model_) model_->Close();
  model_.reset();
  view_.reset();
}

IVtlDocument* VtlDocumentManager::GetNextDocument(ULONG_PTR* position) {
  if (!position || *position == 0 || *position > documents_.size()) return nullptr;
  VtlDocument* doc = documents_[*position - 1].get();
  *position = *position < documents_.size() ? *position + 1 : 0;
  return doc;
}

BOOL VtlDocumentManager::NewDocument(LPCWSTR templatePath, LPCWSTR type, LPCWSTR options) {
  auto* doc = new (std::nothrow) VtlDocument(nextNumber_, TextOf(templatePath), TextOf(type), TextOf(options));
  if (!doc) return FALSE;
  ++nextNumber_;
  documents_.push_back(Ref<VtlDocument>(doc));
  return TRUE;
}

VtlDocument* VtlDocumentManager::Open() {
  if (!NewDocument(nullptr, nullptr, nullptr)) return nullptr;
  return documents_.back().get();
}

void VtlDocumentManager::CloseAll() {
  auto docs = std::move(documents_);
  documents_.clear();
  for (auto& d : docs) d->Close();
}

}  // namespace vantorel::detail
