// An open document as the collaboration client's book: its topics in tree order are the
// items, each named by a selector derived from its path of child indexes (so two processes
// with the same map agree); an edit sets one topic property from bytes; the lock service
// records which member holds which topic. The objects live until DropCollabBooks and take
// the document's lock, since the client calls them from its network threads too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <vantorel/collab_interfaces.h>
#include <vantorel/host_export.h>

namespace vantorel {

// The property identifier of a topic's text in edits: the data is a text record.
inline constexpr LONG kCollabTopicText = 0;

// The book and host document of open document `number`; null when no such document is open.
VANTOREL_API IVtlCollabBook* CollabBook(int documentNumber);
VANTOREL_API IVtlCollabBookDocument* CollabBookDocument(int documentNumber);
// Forgets every book (their items, edits and locks).
VANTOREL_API void DropCollabBooks();

// A new child topic with the text under the topic at `parentPath` (child indexes from the
// central topic; empty for the central topic); false when there is no such topic.
VANTOREL_API bool AddTopic(int documentNumber, const std::vector<int>& parentPath, const std::u16string& text);
// The selector of the topic at the path; false when there is none.
VANTOREL_API bool TopicSelector(int documentNumber, const std::vector<int>& path, LONG selector[4]);
// The first line of the text of the topic at the path (empty when none).
VANTOREL_API std::u16string TopicText(int documentNumber, const std::vector<int>& path);
VANTOREL_API bool SetTopicText(int documentNumber, const std::vector<int>& path, const std::u16string& text);
// The member holding the lock on the selector's topic, -1 when none.
VANTOREL_API LONG LockHolder(int documentNumber, const LONG selector[4]);
// The member an applied edit of the topic came from, -1 when none has been applied.
VANTOREL_API LONG LastEditor(int documentNumber, const std::vector<int>& path);

// Edit data: a 16-bit value type, then the value (4 bytes for the integer types 2 to 9, 8
// for type 11, UTF-16 units for a text).
VANTOREL_API std::vector<unsigned char> EncodeTextValue(const std::u16string& text);
VANTOREL_API std::vector<unsigned char> EncodeIntValue(WORD type, LONG value);

// The attachment service of the application's file store: an attachment the host keeps in
// its own file, and what the store holds for an identifier (false when nothing).
VANTOREL_API void AddAttachmentFile(const LONG identifier[4], const std::u16string& windowsPath);
VANTOREL_API bool AttachmentBytes(const LONG identifier[4], std::vector<unsigned char>* bytes, bool* adopted);

// An item's data as the host hands it to an item sender: a property identifier and its bytes.
class ItemData : public IVtlCollabItemData {
 public:
  ItemData(LONG property, std::vector<unsigned char> bytes) : property_(property), bytes_(std::move(bytes)) {}
  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  LONG GetValue() override { return property_; }
  void SetSent(LONG sent) override { sent_ = sent; }
  void GetData(const void** data, LONG* length) override {
    *data = bytes_.data();
    *length = static_cast<LONG>(bytes_.size());
  }
  void SetMemberNumber(LONG) override {}
  bool Sent() const { return sent_ != 0; }

 private:
  LONG property_;
  std::vector<unsigned char> bytes_;
  LONG sent_ = 0;
};

}  // namespace vantorel
