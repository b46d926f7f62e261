// MFC's object base, run-time classes (names, creation, derivation) and the reference
// counted command target (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/types.h"

class CArchive;
class CObject;

// A class described at run time. Classes declared with the DECLARE_/IMPLEMENT_ macros
// below register themselves while their library is loaded, so that FromName (and so
// CArchive::ReadClass) finds them by name.
struct KX2_API CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;  // 0xFFFF: not serializable
  CObject* (*m_pfnCreateObject)();
  CRuntimeClass* m_pBaseClass;
  CRuntimeClass* m_pNextClass;

  // A new object of the class; null when the class cannot create objects (or memory ran
  // out).
  CObject* CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* base) const;

  // A registered class by name (case-sensitive); null when none.
  static CRuntimeClass* FromName(LPCSTR className);
  // The wide name is converted from the ANSI code page.
  static CRuntimeClass* FromName(LPCWSTR className);

  // The archive form: schema (WORD), name length (WORD), name bytes.
  void Store(CArchive& ar) const;
  // Reads that form; null when the name is unknown or too long (64 bytes or more).
  static CRuntimeClass* Load(CArchive& ar, UINT* schema);
};

// Registers a class for the lifetime of this object (a static of the class's library).
struct KX2_API AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* newClass);
  ~AFX_CLASSINIT();
  AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
  AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;

 private:
  CRuntimeClass* class_;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)       \
 public:                                  \
  static CRuntimeClass class##class_name; \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define KX2_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, creator)                      \
  CRuntimeClass class_name::class##class_name = {                                                     \
      #class_name, sizeof(class_name), (schema), (creator), RUNTIME_CLASS(base_class_name), nullptr}; \
  static AFX_CLASSINIT _init_##class_name(&class_name::class##class_name);                            \
  CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  KX2_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)
#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  KX2_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)
#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)    \
  CObject* class_name::CreateObject() { return new class_name; } \
  KX2_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)

class KX2_API CObject {
 public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  // Writes or reads the object's state; the base does nothing.
  virtual void Serialize(CArchive& ar);
  BOOL IsKindOf(const CRuntimeClass* cls) const;
  BOOL IsSerializable() const;

  static CRuntimeClass classCObject;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// The object when it is of the class (or derives from it), else null.
KX2_API CObject* AfxDynamicDownCast(CRuntimeClass* cls, CObject* object);

// A reference-counted object: it starts with one reference and deletes itself (through
// OnFinalRelease) when the last one goes.
class KX2_API CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  DWORD InternalAddRef() { return ++m_dwRef; }
  DWORD InternalRelease();
  DWORD ExternalAddRef() { return InternalAddRef(); }
  DWORD ExternalRelease() { return InternalRelease(); }
  virtual void OnFinalRelease() { delete this; }

 protected:
  DWORD m_dwRef = 1;
};
