// The collaboration book over a document's topic tree. Items are topics named by their path of
// child indexes; every object answers under its book's lock (the document's lock for the
// collaboration client), which the client takes from its network threads too.
#include <vantorel/collab_book.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

#include <kx2/PathMap.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/host_api.h>
#include <vantorel/report_value.h>

#include "app/application.h"
#include "model/property_copy.h"

namespace vantorel::detail {
namespace {

template <class Interface>
class Uncounted : public Interface {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == kIID_IVtlUnknown) {
      *out = static_cast<IUnknown*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
};

using Path = std::vector<int>;

// The state bit that tells a room's receiver an edit is no longer needed.
constexpr int kEditFinished = 0x4;
using Selector = std::array<LONG, 4>;

VtlDocument* FindDocument(int number) {
  for (const auto& doc : TheApplication().documents().documents()) {
    if (doc->number() == number) return doc.get();
  }
  return nullptr;
}

VtlTopic* TopicAt(int documentNumber, const Path& path) {
  VtlDocument* doc = FindDocument(documentNumber);
  VtlTopic* topic = doc && doc->model() ? doc->model()->root() : nullptr;
  for (int index : path) {
    if (!topic || index < 0 || static_cast<size_t>(index) >= topic->children().size()) return nullptr;
    topic = topic->children()[static_cast<size_t>(index)].topic.get();
  }
  return topic;
}

// The depth and three 32-bit hashes of the path: the same map gives the same selectors in
// every process.
Selector SelectorOf(const Path& path) {
  Selector out{static_cast<LONG>(path.size()) + 1, 0, 0, 0};
  const uint32_t seeds[3] = {2166136261u, 0x9E3779B9u, 0x85EBCA6Bu};
  for (int k = 0; k < 3; ++k) {
    uint32_t h = seeds[k];
    for (int index : path) {
      for (int b = 0; b < 4; ++b) {
        h ^= (static_cast<uint32_t>(index) >> (8 * b)) & 0xFFu;
        h *= 16777619u;
      }
      h ^= 0xFFu;  // separates the levels
      h *= 16777619u;
    }
    out[static_cast<size_t>(k) + 1] = static_cast<LONG>(h);
  }
  return out;
}

void PreOrder(VtlTopic* topic, Path& path, std::vector<Path>& out) {
  out.push_back(path);
  for (size_t i = 0; i < topic->children().size(); ++i) {
    path.push_back(static_cast<int>(i));
    PreOrder(topic->children()[i].topic.get(), path, out);
    path.pop_back();
  }
}

std::u16string FirstLine(const std::u16string& text) { return text.substr(0, text.find(u'\n')); }

void WriteText(VtlTopic* topic, const std::u16string& text) {
  VtlObject* object = topic->textObject();
  if (!object) return;
  auto& paragraphs = object->paragraphs();
  paragraphs.clear();
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u'\n', start);
    TextParagraph paragraph;
    paragraph.runs.push_back(TextRun{text.substr(start, end == std::u16string::npos ? end : end - start), {}});
    paragraphs.push_back(std::move(paragraph));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
}

// Decodes edit data (type word, value); false when malformed. A text goes to `text` when one is
// wanted.
bool DecodeValue(LONG property, const unsigned char* data, size_t length, PropertyValue& out, std::u16string* text) {
  if (property < 0 || property > 0xFFFF || !data || length < 2) return false;
  const WORD type = static_cast<WORD>(data[0] | data[1] << 8);
  const unsigned char* value = data + 2;
  const size_t size = length - 2;
  out = {};
  out.type = type;
  if (type == kPropText) {
    if (size % 2 != 0) return false;
    if (text) {
      text->resize(size / 2);
      for (size_t i = 0; i < size / 2; ++i) (*text)[i] = static_cast<char16_t>(value[2 * i] | value[2 * i + 1] << 8);
    }
    return true;
  }
  if (property == kCollabTopicText) return false;
  if (type >= 2 && type <= 9 && size == 4) {
    out.u32 = static_cast<DWORD>(value[0] | value[1] << 8 | value[2] << 16 | static_cast<DWORD>(value[3]) << 24);
    return true;
  }
  if (type == kPropWide && size == 8) {
    ULONGLONG v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | value[i];
    out.u64 = v;
    return true;
  }
  return false;
}

class Book;
class Item;

class Edit final : public Uncounted<IVtlCollabItemData> {
 public:
  Edit(LONG property, const void* original, LONG length)
      : property_(property),
        original_(original),
        length_(length),
        bytes_(static_cast<const unsigned char*>(original), static_cast<const unsigned char*>(original) + length) {}
  LONG GetValue() override { return property_; }
  void SetSent(LONG) override {}
  // The client's own bytes: it finds the edit's packet by them.
  void GetData(const void** data, LONG* length) override {
    *data = original_;
    *length = length_;
  }
  void SetMemberNumber(LONG member) override { member_ = member; }

  LONG property() const { return property_; }
  const std::vector<unsigned char>& bytes() const { return bytes_; }
  LONG member() const { return member_; }

 private:
  LONG property_;
  const void* original_;
  LONG length_;
  std::vector<unsigned char> bytes_;  // a copy: the client's packet may go before the edit
  LONG member_ = -1;
};

class Locks : public Uncounted<IVtlCollabLockService> {
 public:
  explicit Locks(std::recursive_mutex& lock) : lock_(lock) {}
  LONG Lock(LONG member, const LONG* selector, LONG) override {
    if (!selector) return 0;
    std::lock_guard hold(lock_);
    Selector key;
    std::copy_n(selector, 4, key.begin());
    auto it = holders_.find(key);
    if (it != holders_.end() && it->second != member) return 0;
    holders_[key] = member;
    return 1;
  }
  LONG Unlock(LONG member, const LONG* selector, LONG, LONG) override {
    if (!selector) return 0;
    std::lock_guard hold(lock_);
    Selector key;
    std::copy_n(selector, 4, key.begin());
    auto it = holders_.find(key);
    if (it == holders_.end() || it->second != member) return 0;
    holders_.erase(it);
    return 1;
  }
  LONG Holder(const Selector& key) {
    std::lock_guard hold(lock_);
    auto it = holders_.find(key);
    return it == holders_.end() ? -1 : it->second;
  }

 private:
  std::recursive_mutex& lock_;
  std::map<Selector, LONG> holders_;
};

class ValueHolder : public Uncounted<IVtlCollabValueHolder> {
 public:
  void SetValue(LONG value) override { values_ = {value, -1}; }
  void SetValues(LONG first, LONG second) override { values_ = {first, second}; }

 private:
  std::array<LONG, 2> values_{-1, -1};
};

class AttachmentList : public Uncounted<IVtlCollabAttachmentList> {
 public:
  explicit AttachmentList(std::recursive_mutex& lock) : lock_(lock) {}
  void AddAttachment(const LONG* identifier) override {
    if (!identifier) return;
    std::lock_guard hold(lock_);
    Selector id;
    std::copy_n(identifier, 4, id.begin());
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) ids_.push_back(id);
  }

 private:
  std::recursive_mutex& lock_;
  std::vector<Selector> ids_;
};

class EditHolder : public Uncounted<IVtlCollabEditHolder> {
 public:
  EditHolder(Item* item, std::recursive_mutex& lock, Locks* locks) : item_(item), lock_(lock), locks_(locks) {}
  IVtlCollabItem* GetItem() override;
  IVtlCollabLockService* GetLockService() override { return locks_; }
  LONG GetLocalMember() override { return -1; }
  IVtlCollabItemData* MakeEdit(LONG value, const void* data, LONG length) override {
    if (length < 0) return nullptr;
    PropertyValue decoded;
    if (!DecodeValue(value, static_cast<const unsigned char*>(data), static_cast<size_t>(length), decoded, nullptr)) {
      return nullptr;
    }
    std::lock_guard hold(lock_);
    made_.push_back(std::make_unique<Edit>(value, data, length));
    return made_.back().get();
  }
  void BeginBatch() override {
    std::lock_guard hold(lock_);
    batch_.clear();
  }
  void ApplyEdit(IVtlCollabItemData* edit) override;
  // The batch is applied as a whole; the edits made for it go.
  void EndBatch() override;
  void* GetRoom() override;
  LONG ApplyQueuedPosition(LONG, LONG, LONG) override { return 0; }
  void ApplyPositionResult(LONG, LONG) override {}
  LONG QueryPosition(LONG, LONG) override { return 0; }

 private:
  Item* item_;
  std::recursive_mutex& lock_;
  Locks* locks_;
  std::vector<std::unique_ptr<Edit>> made_;
  std::vector<Edit*> batch_;
};

class Item final : public Uncounted<IVtlCollabItem> {
 public:
  Item(int documentNumber, Path path, std::recursive_mutex& lock, Locks* locks)
      : documentNumber_(documentNumber),
        path_(std::move(path)),
        selector_(SelectorOf(path_)),
        lock_(lock),
        holder_(this, lock, locks),
        attachments_(lock) {}
  const LONG* GetSelector() override { return selector_.data(); }
  IVtlCollabValueHolder* GetValueHolder() override { return &values_; }
  LONG GetLockValue(LONG) override { return static_cast<LONG>(path_.size()); }
  IVtlCollabAttachmentList* GetAttachmentList() override { return &attachments_; }
  void SetChanged(LONG changed) override {
    std::lock_guard hold(lock_);
    changes_ += changed != 0 ? 1 : 0;
  }
  IVtlCollabEditHolder* GetEditHolder() override { return &holder_; }
  void SetRoom(void* room) override {
    std::lock_guard hold(lock_);
    room_ = room;
  }
  void SetShared(LONG shared) override {
    std::lock_guard hold(lock_);
    shared_ = shared;
  }
  LONG TakesPart() override { return 1; }

  void* room() {
    std::lock_guard hold(lock_);
    return room_;
  }
  // Sets the property on the topic; the document's lock is held.
  void Apply(const Edit& edit) {
    VtlTopic* topic = TopicAt(documentNumber_, path_);
    if (!topic) return;
    PropertyValue value;
    std::u16string text;
    if (!DecodeValue(edit.property(), edit.bytes().data(), edit.bytes().size(), value, &text)) return;
    if (edit.property() == kCollabTopicText) {
      WriteText(topic, text);
    } else if (value.type == kPropText) {
      value.text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
      topic->SetProperty(static_cast<USHORT>(edit.property()), &value);
      ClearOwnedValue(value);
    } else {
      topic->SetProperty(static_cast<USHORT>(edit.property()), &value);
    }
    lastEditor_ = edit.member();
  }
  LONG lastEditor() const { return lastEditor_; }

 private:
  int documentNumber_;
  Path path_;
  Selector selector_;
  std::recursive_mutex& lock_;
  EditHolder holder_;
  ValueHolder values_;
  AttachmentList attachments_;
  void* room_ = nullptr;
  LONG shared_ = 0;
  LONG changes_ = 0;
  LONG lastEditor_ = -1;
};

IVtlCollabItem* EditHolder::GetItem() { return item_; }
void* EditHolder::GetRoom() { return item_->room(); }

void EditHolder::ApplyEdit(IVtlCollabItemData* edit) {
  std::lock_guard hold(lock_);
  for (auto& made : made_) {
    if (made.get() == edit) batch_.push_back(made.get());
  }
}

void EditHolder::EndBatch() {
  std::lock_guard hold(lock_);
  for (Edit* edit : batch_) item_->Apply(*edit);
  // Applied edits are kept nowhere else (this host has no undo): the room's receiver may let
  // their packets go.
  if (auto* room = static_cast<IMeetingRoom*>(item_->room())) {
    ItemSelector selector;
    std::copy_n(item_->GetSelector(), 4, selector.values);
    IItemReceiver* receiver = room->GetCoEditManager()->GetItemReceiver(selector);
    for (Edit* edit : batch_) receiver->MarkEdit(edit, kEditFinished);
  }
  batch_.clear();
  made_.clear();
}

class Book final : public Uncounted<IVtlCollabBook> {
 public:
  explicit Book(int documentNumber) : documentNumber_(documentNumber), locks_(lock_) {}

  ULONG_PTR GetFirstPosition() override {
    std::lock_guard hold(lock_);
    order_.clear();
    if (VtlTopic* root = TopicAt(documentNumber_, {})) {
      Path path;
      PreOrder(root, path, order_);
    }
    return order_.empty() ? 0 : 1;
  }
  IVtlCollabItem* GetNextItem(ULONG_PTR* position) override {
    std::lock_guard hold(lock_);
    if (!position || *position == 0 || *position > order_.size()) return nullptr;
    Item* item = ItemFor(order_[*position - 1]);
    *position = *position < order_.size() ? *position + 1 : 0;
    return item;
  }
  IVtlCollabItem* FindItem(const LONG* selector) override {
    if (!selector) return nullptr;
    std::lock_guard hold(lock_);
    VtlTopic* root = TopicAt(documentNumber_, {});
    if (!root) return nullptr;
    std::vector<Path> all;
    Path path;
    PreOrder(root, path, all);
    for (const Path& p : all) {
      const Selector s = SelectorOf(p);
      if (std::equal(s.begin(), s.end(), selector)) return ItemFor(p);
    }
    return nullptr;
  }
  IVtlApplication* GetApplication() override { return &TheApplication(); }
  LONG SaveTo(LPCWSTR path, LPCWSTR, LPCWSTR) override {
    if (!path) return 0;
    auto posix = kx2::ToPosixPath(path);
    if (!posix) return 0;
    std::lock_guard hold(lock_);
    std::ofstream out(*posix, std::ios::binary | std::ios::trunc);
    out << FormatJson(DescribeDocuments({}));
    return out ? 1 : 0;
  }

  Item* ItemFor(const Path& path) {
    auto& slot = items_[path];
    if (!slot) slot = std::make_unique<Item>(documentNumber_, path, lock_, &locks_);
    return slot.get();
  }
  std::recursive_mutex& lock() { return lock_; }
  Locks& locks() { return locks_; }

 private:
  int documentNumber_;
  std::recursive_mutex lock_;
  Locks locks_;
  std::vector<Path> order_;
  std::map<Path, std::unique_ptr<Item>> items_;
};

// The host document a book belongs to: it keeps the book files it is handed by name.
class BookDocument final : public Uncounted<IVtlCollabBookDocument> {
 public:
  LONG AdoptBookFile(LPCWSTR bookName, LPCWSTR path, LONG) override {
    if (!bookName || !path) return -1;
    auto posix = kx2::ToPosixPath(path);
    std::ifstream in(posix ? *posix : std::string(), std::ios::binary);
    if (!in) return -1;
    std::lock_guard hold(lock_);
    books_[bookName] = std::string(std::istreambuf_iterator<char>(in), {});
    return 0;
  }
  LONG OpenBook(LPCWSTR bookName) override {
    std::lock_guard hold(lock_);
    return bookName && books_.count(bookName) ? 1 : -1;
  }

 private:
  std::mutex lock_;
  std::map<std::u16string, std::string> books_;
};

struct Registry {
  std::mutex lock;
  std::map<int, std::unique_ptr<Book>> books;
  std::map<int, std::unique_ptr<BookDocument>> documents;
};

Registry& Books() {
  static Registry registry;
  return registry;
}

Book* BookOf(int documentNumber) {
  if (!FindDocument(documentNumber)) return nullptr;
  Registry& r = Books();
  std::lock_guard hold(r.lock);
  auto& slot = r.books[documentNumber];
  if (!slot) slot = std::make_unique<Book>(documentNumber);
  return slot.get();
}

}  // namespace
}  // namespace vantorel::detail

namespace vantorel {

using detail::Books;

IVtlCollabBook* CollabBook(int documentNumber) { return detail::BookOf(documentNumber); }

IVtlCollabBookDocument* CollabBookDocument(int documentNumber) {
  if (!detail::FindDocument(documentNumber)) return nullptr;
  std::lock_guard hold(Books().lock);
  auto& slot = Books().documents[documentNumber];
  if (!slot) slot = std::make_unique<detail::BookDocument>();
  return slot.get();
}

void DropCollabBooks() {
  std::lock_guard hold(Books().lock);
  Books().books.clear();
  Books().documents.clear();
}

bool AddTopic(int documentNumber, const std::vector<int>& parentPath, const std::u16string& text) {
  detail::Book* book = detail::BookOf(documentNumber);
  if (!book) return false;
  std::lock_guard hold(book->lock());
  detail::VtlTopic* parent = detail::TopicAt(documentNumber, parentPath);
  detail::VtlTopic* child = parent ? parent->AddChild(kVtlInsertChild) : nullptr;
  if (!child) return false;
  detail::WriteText(child, text);
  return true;
}

bool TopicSelector(int documentNumber, const std::vector<int>& path, LONG selector[4]) {
  if (!detail::TopicAt(documentNumber, path)) return false;
  const detail::Selector s = detail::SelectorOf(path);
  std::copy(s.begin(), s.end(), selector);
  return true;
}

std::u16string TopicText(int documentNumber, const std::vector<int>& path) {
  detail::Book* book = detail::BookOf(documentNumber);
  if (!book) return {};
  std::lock_guard hold(book->lock());
  detail::VtlTopic* topic = detail::TopicAt(documentNumber, path);
  return topic && topic->textObject() ? detail::FirstLine(topic->textObject()->PlainText()) : std::u16string();
}

bool SetTopicText(int documentNumber, const std::vector<int>& path, const std::u16string& text) {
  detail::Book* book = detail::BookOf(documentNumber);
  if (!book) return false;
  std::lock_guard hold(book->lock());
  detail::VtlTopic* topic = detail::TopicAt(documentNumber, path);
  if (!topic) return false;
  detail::WriteText(topic, text);
  return true;
}

LONG LockHolder(int documentNumber, const LONG selector[4]) {
  detail::Book* book = detail::BookOf(documentNumber);
  if (!book || !selector) return -1;
  detail::Selector key;
  std::copy_n(selector, 4, key.begin());
  return book->locks().Holder(key);
}

LONG LastEditor(int documentNumber, const std::vector<int>& path) {
  detail::Book* book = detail::BookOf(documentNumber);
  if (!book) return -1;
  std::lock_guard hold(book->lock());
  return book->ItemFor(path)->lastEditor();
}

std::vector<unsigned char> EncodeTextValue(const std::u16string& text) {
  std::vector<unsigned char> out{static_cast<unsigned char>(kPropText), 0};
  for (char16_t c : text) {
    out.push_back(static_cast<unsigned char>(c & 0xFF));
    out.push_back(static_cast<unsigned char>(c >> 8));
  }
  return out;
}

std::vector<unsigned char> EncodeIntValue(WORD type, LONG value) {
  std::vector<unsigned char> out{static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<DWORD>(value) >> (8 * i)));
  return out;
}

void AddAttachmentFile(const LONG identifier[4], const std::u16string& windowsPath) {
  detail::TheApplication().files().AddOwnAttachment(identifier, windowsPath);
}

bool AttachmentBytes(const LONG identifier[4], std::vector<unsigned char>* bytes, bool* adopted) {
  return detail::TheApplication().files().AttachmentBytes(identifier, bytes, adopted);
}

}  // namespace vantorel
