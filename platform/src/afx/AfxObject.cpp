// Run-time classes: the process's list of registered classes, creation and derivation.
#include <win/afx.h>

#include <cstring>
#include <mutex>
#include <new>

#include <win/nls.h>

namespace {

std::mutex& ClassLock() {
  static std::mutex lock;
  return lock;
}

// The registered classes, newest first (linked through m_pNextClass).
CRuntimeClass*& ClassList() {
  static CRuntimeClass* first = nullptr;
  return first;
}

}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(&CObject::classCObject);

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass) : class_(newClass) {
  std::lock_guard<std::mutex> guard(ClassLock());
  newClass->m_pNextClass = ClassList();
  ClassList() = newClass;
}

AFX_CLASSINIT::~AFX_CLASSINIT() {
  // A library going away takes its classes off the list, so that no name lookup reaches
  // memory that is gone.
  std::lock_guard<std::mutex> guard(ClassLock());
  for (CRuntimeClass** link = &ClassList(); *link; link = &(*link)->m_pNextClass) {
    if (*link == class_) {
      *link = class_->m_pNextClass;
      break;
    }
  }
}

CObject* CRuntimeClass::CreateObject() const {
  if (!m_pfnCreateObject) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  if (!base) return FALSE;
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
    if (c == base) return TRUE;
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
  if (!className) return nullptr;
  std::lock_guard<std::mutex> guard(ClassLock());
  for (CRuntimeClass* c = ClassList(); c; c = c->m_pNextClass)
    if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
  return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(LPCWSTR className) {
  if (!className) return nullptr;
  char narrow[256];
  const int n = WideCharToMultiByte(CP_ACP, 0, className, -1, narrow, sizeof narrow, nullptr, nullptr);
  if (n <= 0) return nullptr;
  return FromName(narrow);
}

void CRuntimeClass::Store(CArchive& ar) const {
  const WORD length = static_cast<WORD>(std::strlen(m_lpszClassName));
  ar << static_cast<WORD>(m_wSchema) << length;
  ar.Write(m_lpszClassName, length);
}

CRuntimeClass* CRuntimeClass::Load(CArchive& ar, UINT* schema) {
  WORD wSchema, length;
  ar >> wSchema >> length;
  if (schema) *schema = wSchema;
  char name[64];
  if (length >= sizeof name || ar.Read(name, length) != length) return nullptr;
  name[length] = 0;
  return FromName(name);
}

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

CObject* AfxDynamicDownCast(CRuntimeClass* cls, CObject* object) {
  return object && object->IsKindOf(cls) ? object : nullptr;
}

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

DWORD CCmdTarget::InternalRelease() {
  const DWORD left = --m_dwRef;
  if (left == 0) OnFinalRelease();
  return left;
}
