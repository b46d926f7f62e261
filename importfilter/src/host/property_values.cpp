#include <foliant/property_values.h>

#include <new>

#include <win/ole.h>

BOOL InitPropertyValue(PropertyValue* value, WORD type) { return InitPropertyValue(value, type, DWORD{0}, DWORD{0}); }

BOOL InitPropertyValue(PropertyValue* value, WORD type, LONG payload) {
  return InitPropertyValue(value, type, static_cast<DWORD>(payload));
}

BOOL InitPropertyValue(PropertyValue* value, WORD type, DWORD payload) {
  return InitPropertyValue(value, type, payload, DWORD{0});
}

BOOL InitPropertyValue(PropertyValue* value, WORD type, DWORD low, DWORD high) {
  if (!value) return FALSE;
  value->type = type;
  value->flags = 0;
  value->u64 = (static_cast<ULONGLONG>(high) << 32) | low;
  value->owner = nullptr;
  return TRUE;
}

BOOL InitPropertyString(PropertyValue* value, LPCWSTR text) {
  if (!value) return FALSE;
  BSTR copy = SysAllocString(text ? text : u"");
  if (!copy) return FALSE;
  InitPropertyValue(value, vantorel::kPropText);
  value->text = copy;
  return TRUE;
}

BOOL InitPropertyGuid(PropertyValue* value, REFGUID guid) {
  if (!value) return FALSE;
  GUID* copy = new (std::nothrow) GUID(guid);
  if (!copy) return FALSE;
  InitPropertyValue(value, vantorel::kPropGuid);
  value->guid = copy;
  return TRUE;
}

BOOL InitPropertyObject(PropertyValue* value, ULONG_PTR payload, IVtlKeyOwner* owner, BOOL raw) {
  if (!value || !owner) return FALSE;
  InitPropertyValue(value, vantorel::kPropKey);
  value->key = (!raw && payload) ? owner->KeyForValue(payload) : payload;
  value->owner = owner;
  return TRUE;
}

void ResetPropertyValue(PropertyValue* value) {
  if (!value) return;
  value->type = 0;
  value->u64 = 0;
  value->owner = nullptr;
}

void ClearPropertyValue(PropertyValue* value) {
  if (!value) return;
  if (!(value->flags & vantorel::kPropFlagNotOwned)) {
    switch (value->type) {
      case vantorel::kPropText:
        SysFreeString(value->text);
        break;
      case vantorel::kPropGuid:
        delete value->guid;
        break;
      case vantorel::kPropUnknown:
      case vantorel::kPropDispatch:
        if (value->iface) value->iface->Release();
        break;
      case vantorel::kPropKey:
        if (value->key && value->owner) value->owner->DropKey(value->key);
        break;
      default:
        break;
    }
  }
  value->type = 0;
  value->flags = 0;
  value->u64 = 0;
  value->owner = nullptr;
}

LONG GetPropertyInt32(const PropertyValue* value) {
  return (value && value->type >= 2 && value->type <= 9) ? value->i32 : 0;
}

int CompareWide(LPCWSTR a, LPCWSTR b) {
  if (!a) a = u"";
  if (!b) b = u"";
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (!*a) return 0;
  }
}

bool EqualWide(LPCWSTR a, LPCWSTR b) { return CompareWide(a, b) == 0; }

PropertyHolder::~PropertyHolder() {
  if (object_) object_->Release();
}

PropertyHolder& PropertyHolder::operator=(IVtlObject* adopted) {
  // The caller hands over a reference; for the object already held it is one too many.
  if (object_) object_->Release();
  object_ = adopted;
  return *this;
}

IVtlObject* PropertyHolder::Detach() {
  IVtlObject* o = object_;
  object_ = nullptr;
  return o;
}

BOOL PropertyHolder::Set(USHORT id, PropertyValue* filled) {
  BOOL result = object_->SetProperty(id, filled);
  ClearPropertyValue(filled);
  return result;
}

BOOL PropertyHolder::SetElement(LONG index, PropertyValue* filled) {
  BOOL result = object_->SetListElement(index, filled);
  ClearPropertyValue(filled);
  return result;
}

BOOL PropertyHolder::SetPropertyValue(USHORT id, WORD type, DWORD payload) {
  return SetPropertyValue(id, type, payload, 0);
}

BOOL PropertyHolder::SetPropertyValue(USHORT id, WORD type, DWORD low, DWORD high) {
  if (!object_) return FALSE;
  PropertyValue v{};
  InitPropertyValue(&v, type, low, high);
  return Set(id, &v);
}

BOOL PropertyHolder::SetPropertyString(USHORT id, LPCWSTR text) {
  PropertyValue v{};
  if (!object_ || !InitPropertyString(&v, text)) return FALSE;
  return Set(id, &v);
}

BOOL PropertyHolder::SetPropertyGuid(USHORT id, REFGUID guid) {
  PropertyValue v{};
  if (!object_ || !InitPropertyGuid(&v, guid)) return FALSE;
  return Set(id, &v);
}

BOOL PropertyHolder::SetPropertyObject(USHORT id, ULONG_PTR raw, IVtlKeyOwner* owner) {
  PropertyValue v{};
  if (!object_ || !InitPropertyObject(&v, raw, owner, FALSE)) return FALSE;
  return Set(id, &v);
}

ULONG_PTR PropertyHolder::GetPropertyObjectKey(USHORT id) {
  if (!object_) return 0;
  PropertyValue v{};
  ULONG_PTR key = 0;
  // The key is read from the copy the host gave; the copy's own reference goes with it.
  if (object_->GetProperty(id, &v) && v.type == vantorel::kPropKey) key = v.key;
  ClearPropertyValue(&v);
  return key;
}

LONG PropertyHolder::GetPropertyInt(USHORT id) {
  return object_ ? GetPropertyInt32(object_->GetPropertyRecord(id)) : 0;
}

BOOL PropertyHolder::SetElementString(LONG index, LPCWSTR text) {
  PropertyValue v{};
  if (!object_ || !InitPropertyString(&v, text)) return FALSE;
  return SetElement(index, &v);
}

BOOL PropertyHolder::SetElementGuid(LONG index, REFGUID guid) {
  PropertyValue v{};
  if (!object_ || !InitPropertyGuid(&v, guid)) return FALSE;
  return SetElement(index, &v);
}

BOOL PropertyHolder::SetElementObject(LONG index, ULONG_PTR raw, IVtlKeyOwner* owner) {
  PropertyValue v{};
  if (!object_ || !InitPropertyObject(&v, raw, owner, FALSE)) return FALSE;
  return SetElement(index, &v);
}

BOOL PropertyHolder::SetListElement(LONG index, const PropertyValue* value) {
  return object_ ? object_->SetListElement(index, value) : FALSE;
}
BOOL PropertyHolder::GetProperty(USHORT id, PropertyValue* out) {
  return object_ ? object_->GetProperty(id, out) : FALSE;
}
const PropertyValue* PropertyHolder::GetPropertyRecord(USHORT id) {
  return object_ ? object_->GetPropertyRecord(id) : nullptr;
}
BOOL PropertyHolder::SetProperty(USHORT id, const PropertyValue* value) {
  return object_ ? object_->SetProperty(id, value) : FALSE;
}
BOOL PropertyHolder::RemoveProperty(USHORT id) { return object_ ? object_->RemoveProperty(id) : FALSE; }
