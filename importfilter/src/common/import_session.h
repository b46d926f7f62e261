// What every importer keeps while it reads one map into one host document: the document's
// model and cursor, the stack of parent topics, the links waiting for every topic to
// exist, the custom-icon group of the document's object table, the folder of the map and
// the face resolver; and the host operations they all use on it.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <foliant/common/face_resolution.h>
#include <kx2/Ref.h>
#include <vantorel/app_interfaces.h>

namespace foliant {

// A text of the plug-in's language resources, at most 260 units; empty when absent.
std::u16string LoadText(UINT id);

// A text of the plug-in's language resources, read when first asked for: an import reads
// only the texts it uses.
class ResourceText {
 public:
  explicit ResourceText(UINT id) : id_(id) {}
  const std::u16string& Get() {
    if (!loaded_) {
      text_ = LoadText(id_);
      loaded_ = true;
    }
    return text_;
  }
  // Read again when next asked for.
  void Reset() {
    loaded_ = false;
    text_.clear();
  }

 private:
  UINT id_;
  bool loaded_ = false;
  std::u16string text_;
};

// The last open document of the manager's list; with `receptiveOnly`, the last that may
// receive an import. Null when there is none.
IVtlDocument* LastDocument(IVtlDocumentManager* documents, bool receptiveOnly);

// The folder of a Windows path with its trailing backslash; empty when it names none.
std::u16string FolderOf(std::u16string_view path);

// True when the file name of `path` (after its last "\", "/" or ":") ends in `extension`
// (".mm"), from its last dot and compared without regard to ASCII case.
bool HasExtension(LPCWSTR path, std::u16string_view extension);

// A hyperlink read with a topic and resolved once every topic exists.
struct PendingLink {
  kx2::Ref<IVtlObject> topic;
  std::u16string target;      // the link's text as the map writes it
  bool absolute = false;      // the map marks the path absolute
  kx2::Ref<IVtlModel> model;  // the topic's model, where one import fills several
};

class ImportSession {
 public:
  ImportSession() = default;
  virtual ~ImportSession() = default;
  ImportSession(const ImportSession&) = delete;
  ImportSession& operator=(const ImportSession&) = delete;

 protected:
  // Takes the model and its cursor; false when the host gives either as null.
  bool OpenModel(IVtlModel* model);
  // Forgets the model, the cursor and everything read with them.
  void ClearSession();

  // Moves the cursor to a topic; false when there is no cursor or topic, or the host
  // refuses.
  bool SetCurrent(IVtlObject* topic);
  // Attaches an object to the current topic in role `tag`.
  bool Attach(ULONG tag, IVtlObject* object);
  // The group of custom icons in the document's object table, made with `name` the first
  // time an import needs it; false when the table refuses it.
  bool EnsureCustomIconGroup(LPCWSTR name);

  IVtlDocumentManager* documents_ = nullptr;
  kx2::Ref<IVtlModel> model_;
  kx2::Ref<IVtlCursor> cursor_;
  std::vector<kx2::Ref<IVtlObject>> stack_;  // the parent of the topic being placed is last
  // Grown in small blocks: a large block asked for mid-walk makes the heap gather every
  // small piece the walk has freed, which then serves the walk's small asks more slowly.
  std::deque<PendingLink> links_;
  std::map<std::u16string, GUID> customIcons_;  // icon name or signature -> marker entry
  bool haveCustomIconGroup_ = false;
  GUID customIconGroup_{};
  std::u16string folder_;  // of the imported map, with its trailing backslash
  FaceResolver* faces_ = nullptr;
};

}  // namespace foliant
