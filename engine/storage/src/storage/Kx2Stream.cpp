#include <plastrum/Kx2Stream.h>

#include <plastrum/Kx2Failure.h>

#include <basalt/error.h>

namespace {

void FailWith(HRESULT hr) { Kx2::Fail(static_cast<uint32_t>(hr)); }

}  // namespace

CKx2Stream::CKx2Stream() = default;

CKx2Stream::~CKx2Stream() { Close(); }

int CKx2Stream::Attach(IStream* stream, BOOL addRef) {
  if (GetStream() && GetStream() != stream) Detach(TRUE);
  handle_ = reinterpret_cast<intptr_t>(stream);
  if (!stream) return 0;
  if (addRef) stream->AddRef();
  STATSTG stat = {};
  const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) {
    FailWith(hr);
    return 1;
  }
  if (stat.grfMode & STGM_READWRITE)
    mode_ = kModeReadWrite;
  else if (stat.grfMode & STGM_WRITE)
    mode_ = kModeWrite;
  else
    mode_ = kModeRead;
  return 1;
}

void CKx2Stream::Detach(BOOL release) {
  IStream* stream = GetStream();
  handle_ = 0;
  if (stream && release) stream->Release();
}

int CKx2Stream::Clone(CKx2Stream& target) {
  IStream* stream = GetStream();
  if (!stream) return 0;
  IStream* clone = nullptr;
  if (FAILED(stream->Clone(&clone)) || !clone) return 0;
  target.Attach(clone, FALSE);  // the clone's one reference goes to the target
  return 1;
}

int32_t CKx2Stream::Read(void* buffer, int32_t n) {
  IStream* stream = GetStream();
  if (!stream || n <= 0) return 0;
  ULONG got = 0;
  const HRESULT hr = stream->Read(buffer, static_cast<ULONG>(n), &got);
  if (FAILED(hr)) {
    if (Basalt::Error::BaseError::_GetError() == 0) Basalt::Error::BaseError::_SetError(static_cast<uint32_t>(hr));
    Kx2::ThrowIfEnabled();
    return -1;
  }
  return static_cast<int32_t>(got);
}

int32_t CKx2Stream::Write(const void* buffer, int32_t n) {
  IStream* stream = GetStream();
  if (!stream || n <= 0) return 0;
  ULONG put = 0;
  const HRESULT hr = stream->Write(buffer, static_cast<ULONG>(n), &put);
  if (FAILED(hr)) {
    FailWith(hr);
    return 0;
  }
  return static_cast<int32_t>(put);
}

int32_t CKx2Stream::Seek(int32_t offset, int origin) {
  IStream* stream = GetStream();
  if (!stream) return -1;
  LARGE_INTEGER move;
  move.QuadPart = offset;  // sign-extended
  ULARGE_INTEGER position = {};
  const HRESULT hr = stream->Seek(move, static_cast<DWORD>(origin), &position);
  if (FAILED(hr)) {
    FailWith(hr);
    return -1;
  }
  return static_cast<int32_t>(position.LowPart);
}

int32_t CKx2Stream::GetLength() {
  IStream* stream = GetStream();
  if (!stream) return 0;
  STATSTG stat = {};
  const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) {
    FailWith(hr);
    return -1;
  }
  return static_cast<int32_t>(stat.cbSize.LowPart);
}

int CKx2Stream::SetLength(int32_t n) {
  IStream* stream = GetStream();
  if (!stream) return 0;
  ULARGE_INTEGER size;
  size.QuadPart = static_cast<uint32_t>(n);
  const HRESULT hr = stream->SetSize(size);
  if (FAILED(hr)) {
    FailWith(hr);
    return 0;
  }
  return 1;
}

void CKx2Stream::Close() {
  if (!GetStream()) return;
  CKx2BufIO::Close();
  Detach(TRUE);
}
