#include <plastrum/Kx2Storage.h>

#include <plastrum/Kx2Failure.h>

#include <basalt/error.h>

namespace {

void FailWith(HRESULT hr) { Kx2::Fail(static_cast<uint32_t>(hr)); }

}  // namespace

CKx2Storage::CKx2Storage(IStorage* storage, BOOL addRef) : storage_(storage) {
  if (storage_ && addRef) storage_->AddRef();
}

CKx2Storage::~CKx2Storage() {
  if (storage_) storage_->Release();
}

void CKx2Storage::Close() {
  IStorage* storage = storage_;
  storage_ = nullptr;
  if (storage) storage->Release();
}

void CKx2Storage::Detach(BOOL release) {
  IStorage* storage = storage_;
  storage_ = nullptr;
  if (storage && release) storage->Release();
}

void CKx2Storage::Keep(IStorage* storage) {
  IStorage* old = storage_;
  storage_ = storage;
  if (old) old->Release();
}

int CKx2Storage::TakeOver(CKx2Storage& other) {
  IStorage* taken = other.storage_;
  if (taken) taken->AddRef();
  other.Close();
  Keep(taken);
  return 1;
}

BOOL CKx2Storage::CreateStorage(const char16_t* name, CKx2Storage& child, DWORD mode) {
  if (!storage_) return FALSE;
  IStorage* created = nullptr;
  const HRESULT hr = storage_->CreateStorage(name, mode, 0, 0, &created);
  if (FAILED(hr)) {
    FailWith(hr);
    return FALSE;
  }
  child.Keep(created);
  return TRUE;
}

BOOL CKx2Storage::OpenStorage(const char16_t* name, CKx2Storage& child, DWORD mode) {
  if (!storage_) return FALSE;
  IStorage* opened = nullptr;
  const HRESULT hr = storage_->OpenStorage(name, nullptr, mode, nullptr, 0, &opened);
  if (FAILED(hr)) {
    FailWith(hr);
    return FALSE;
  }
  child.Keep(opened);
  return TRUE;
}

BOOL CKx2Storage::CreateStream(const char16_t* name, CKx2Stream& stream, DWORD mode) {
  if (!storage_ || !name) return FALSE;
  IStream* created = nullptr;
  const HRESULT hr = storage_->CreateStream(name, mode, 0, 0, &created);
  if (FAILED(hr)) {
    FailWith(hr);
    return FALSE;
  }
  stream.Attach(created, TRUE);
  created->Release();
  return TRUE;
}

BOOL CKx2Storage::OpenStream(const char16_t* name, CKx2Stream& stream, DWORD mode) {
  return OpenStream(name, stream, mode, FALSE);
}

BOOL CKx2Storage::OpenStream(const char16_t* name, CKx2Stream& stream, DWORD mode, BOOL quiet) {
  if (!storage_ || !name) return FALSE;
  IStream* opened = nullptr;
  const HRESULT hr = storage_->OpenStream(name, nullptr, mode, 0, &opened);
  if (FAILED(hr)) {
    if (!quiet) Basalt::Error::BaseError::_SetError(static_cast<uint32_t>(hr));
    return FALSE;
  }
  stream.Attach(opened, TRUE);
  opened->Release();
  return TRUE;
}

BOOL CKx2Storage::OpenOrCreateStream(const char16_t* name, CKx2Stream& stream, DWORD mode) {
  if (OpenStream(name, stream, mode, TRUE)) return TRUE;
  return CreateStream(name, stream, mode | STGM_CREATE);
}

BOOL CKx2Storage::DestroyElement(const char16_t* name) {
  if (!storage_ || !name) return FALSE;
  return SUCCEEDED(storage_->DestroyElement(name)) ? TRUE : FALSE;
}

BOOL CKx2Storage::Commit(DWORD flags) {
  if (!storage_) return FALSE;
  const HRESULT hr = storage_->Commit(flags);
  if (FAILED(hr)) {
    FailWith(hr);
    return FALSE;
  }
  return TRUE;
}
