// Any bytes read as an MFC archive (counts, strings, variants, dates, classes and objects)
// either read or end in an archive exception; nothing reads outside the input, and no
// damaged index makes a class pass for an object.
#include <cstdint>
#include <vector>

#include "win/afx.h"

// Every item made while reading, freed at the end (items may refer to each other, or to
// themselves, through the archive's map).
std::vector<CObject*> g_made;

class CFuzzItem : public CObject {
  DECLARE_SERIAL(CFuzzItem)
 public:
  CFuzzItem() { g_made.push_back(this); }
  void Serialize(CArchive& ar) override {
    ar >> value >> text;
    child = ar.ReadObject(nullptr);
  }
  int value = 0;
  CString text;
  CObject* child = nullptr;
};
IMPLEMENT_SERIAL(CFuzzItem, CObject, 1)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> bytes(data, data + size);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load, 128);
  try {
    for (int round = 0; round < 8; ++round) {
      ar.ReadCount();
      CString text;
      ar >> text;
      COleVariant variant;
      ar >> variant;
      COleDateTime date;
      ar >> date;
      date.Format(u"%Y-%d-%mT%H:%M:%S");
      ar.ReadObject(nullptr);
    }
  } catch (CException* e) {
    e->Delete();
  }
  for (CObject* o : g_made) delete o;
  g_made.clear();
  return 0;
}
