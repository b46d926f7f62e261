// Basalt::XMLRegistry: a registry-like settings store kept in XML files under the user's
// program-information folder. An instance opens one key of one file, reads and writes
// typed values of that key, enumerates it, deletes keys and values, and writes its changes
// back when it is flushed (ExistKey) or destroyed after a change.
//
// Several instances, in this process or others, may work on one file: a save takes the
// file's inter-process lock, reads the file as it is now and writes this instance's
// changes onto it, so instances changing different values lose nothing; the same value
// changed by two ends as the last save left it.
//
// File layout: the root element "XMLRegistry"; a key is an element with IsKey="TRUE",
// nested as the path nests, with cumulative names (the key VTL\Option is the element
// VTLOption inside VTL); a value is an element without attributes whose text is the value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <basalt/export.h>
#include <basalt/xml/node.h>

namespace Basalt {

// Which settings file an instance works on.
enum HROOT_KEY {
  HROOT_XMLREGISTRY = 0,      // "${ProgramInfo}\XMLRegistry.xml"
  HROOT_XMLUSERREGISTRY = 1,  // "${ProgramInfo}\XMLUserRegistry.xml"
  HROOT_XML3RDREGISTRY = 2,   // "${ProgramInfo}\XML3rdRegistry.xml"
};

class BASALT_API XMLRegistry {
 public:
  XMLRegistry();
  XMLRegistry(const char16_t* keyPath, HROOT_KEY root);
  // A copy has its own tree; its current and enumerated keys are the same places in it.
  XMLRegistry(const XMLRegistry& other);
  XMLRegistry& operator=(const XMLRegistry& other);
  // Saves a changed tree.
  virtual ~XMLRegistry();

  // Chooses the file and makes keyPath the current key, creating missing keys. Moving to
  // another file first saves a changed tree to the old one, then reads the new one.
  int SetXMLKey(const char16_t* keyPath, HROOT_KEY root);

  int GetWordValue(const char16_t* name, unsigned short* value);
  int GetDwordValue(const char16_t* name, uint32_t* value);
  int GetQwordValue(const char16_t* name, uint64_t* value);
  // Copies the text and its terminator when it is shorter than size units.
  int GetStringValue(const char16_t* name, char16_t* buffer, int size);
  // 0 also for an empty text.
  int GetStringValue(const char16_t* name, std::u16string& out);
  // Decodes a binary value. With *data null a buffer is allocated with malloc (the caller
  // frees it); otherwise *size on entry is the capacity of *data, and a value that does
  // not fit gives 0 with *size set to the bytes needed. *size gets the byte count; 1 when
  // it is not zero.
  int GetBinaryValue(const char16_t* name, unsigned char** data, unsigned* size);
  int GetBinaryValue(const char16_t* name, unsigned char* buffer, unsigned* size);

  int WriteWordValue(const char16_t* name, unsigned short value);
  int WriteDwordValue(const char16_t* name, uint32_t value);
  int WriteQwordValue(const char16_t* name, uint64_t value);
  int WriteStringValue(const char16_t* name, const char16_t* text);
  int WriteBinaryValue(const char16_t* name, const unsigned char* bytes, unsigned size);

  int DeleteEntry(const char16_t* name);
  int DeleteEntry(const char16_t* keyPath, const char16_t* name);
  int DeleteKey(const char16_t* keyPath);

  int InitEnumeration();
  // Next subkey (element name) of the current key; a name that does not fit with its
  // terminator gives 0 and is offered again on the next call.
  int GetNextSubkeyName(char16_t* buffer, int size);
  int GetNextEntryName(char16_t* buffer, int size);

  // Saves a changed tree; 1 when there was nothing to save or the save succeeded.
  int ExistKey();

  int32_t dirty = 0;
  int32_t root = 0;
  std::u16string filePath;
  XMLDom::XMLNode tree;
  std::vector<std::u16string> keyNames;
  std::u16string keyPath;
  XMLDom::XMLNode* keyNode = nullptr;
  XMLDom::XMLNode* enumNode = nullptr;
  uint32_t subkeyIndex = 0;
  uint32_t entryIndex = 0;

 private:
  // One change since the last save, replayed onto the file's content when saving.
  struct Change {
    enum Kind { kKey, kValue, kDeleteEntry, kDeleteKey } kind;
    std::vector<std::u16string> keyNames;
    std::u16string name;
    std::u16string text;
  };
  std::vector<Change> changes_;

  void Record(Change::Kind kind, const std::vector<std::u16string>& names, const char16_t* name,
              const std::u16string& text);
  // Writes the changes onto the file's current content, under the file's lock.
  int SaveChanges();
  static std::vector<std::u16string> _SplitNodeToString(const char16_t* keyPath);
  XMLDom::XMLNode* _FindSubKeyNode(const std::vector<std::u16string>& names, bool create);
  XMLDom::XMLNode* _GetChild(const char16_t* name) const;
  int StoreValue(const char16_t* name, const std::u16string& text);
  void Forget(const XMLDom::XMLNode* removed);
};

}  // namespace Basalt
