#include <plastrum/format/ColorCtx.h>

#include <plastrum/format/PresentColor.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/XmlConventions.h>
#include <plastrum/Kx2Archive.h>

BOOL CPresentColorCtx::InternColor(int32_t* id, IKx2PropertyObject* host) {
  if (!id || !host) return FALSE;
  CPresentColor fresh;
  if (!fresh.LoadFromHost(host)) return FALSE;
  const int32_t interned = PresentColorTable().Intern(fresh);
  if (interned < 0) return FALSE;
  *id = interned;
  return TRUE;
}

IPresentColor* CPresentColorCtx::GetColor(int32_t id) {
  if (id == 0 || id == -1) return nullptr;
  return PresentColorTable().GetEntry(static_cast<uint32_t>(id));
}

BOOL CPresentColorCtx::ResolveColor(int32_t id, IKx2PropertyObject* sink) {
  IPresentColor* color = GetColor(id);
  return color ? color->ExportToSink(sink) : FALSE;
}

void CPresentColorCtx::RemapColor(IKx2SubShapeMapperCtx* mapper, uint32_t value, uint32_t second) {
  const PresentColorRef ref(value, second);
  if (mapper && ref.colorId != 0) mapper->Register(Present::kKindColor, ref.colorId);
}

// A colour reference holds no count of its own, so the temporaries below take none and give
// none back: what the caller's record held is exactly what it holds afterwards.
BOOL CPresentColorCtx::ArchiveColorRef(CKx2DataBlock* archive, PresentColorRef* ref) {
  if (!archive || !ref) return FALSE;
  PresentColorRef temporary = *ref;
  if (!temporary.ExchangeMapped(*archive)) return FALSE;
  if (archive->IsReading()) *ref = temporary;
  return TRUE;
}

BOOL CPresentColorCtx::XmlColorRef(ShapeXmlArchive* archive, const char16_t* name, PresentColorRef* ref) {
  if (!archive || !ref) return FALSE;
  PresentColorRef temporary = *ref;
  if (!temporary.ExchangeXml(*archive, name)) return FALSE;
  if (archive->IsReading()) *ref = temporary;
  return TRUE;
}

BOOL CPresentColorCtx::ArchiveColorValue(CKx2DataBlock* archive, PresentColorRef* ref) {
  if (!archive || !ref) return FALSE;
  PresentColorRef temporary = *ref;
  if (!temporary.Exchange(*archive)) return FALSE;
  if (archive->IsReading()) *ref = temporary;
  return TRUE;
}

void CPresentColorCtx::AddRefColor(uint32_t, uint32_t second) { PresentColorTable().AddRef(second & 0xFFFF); }

void CPresentColorCtx::ReleaseColor(uint32_t, uint32_t second) { PresentColorTable().Release(second & 0xFFFF); }
