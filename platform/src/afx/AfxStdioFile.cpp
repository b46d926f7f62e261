// CStdioFile over the C runtime's wide-path streams.
#include <cstdio>
#include <string>

#include <unistd.h>

#include "kx2/PathMap.h"
#include "win/afx.h"
#include "win/crt.h"
#include "win/nls.h"

namespace {

const char16_t* ModeOf(UINT flags) {
  const bool create = flags & CFile::modeCreate;
  const bool keep = flags & CFile::modeNoTruncate;
  if (flags & CFile::modeReadWrite) return create && !keep ? u"w+b" : u"r+b";
  if (flags & CFile::modeWrite) return create && !keep ? u"wb" : u"r+b";
  return u"rb";
}

}  // namespace

CFileException::CFileException(int cause, LPCWSTR fileName) : m_cause(cause), m_strFileName(fileName) {}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  if (!buffer || maxChars == 0) return FALSE;
  std::u16string text = u"A file operation failed: ";
  text += static_cast<LPCWSTR>(m_strFileName);
  const size_t n = std::min<size_t>(text.size(), maxChars - 1);
  text.copy(buffer, n);
  buffer[n] = 0;
  return TRUE;
}

CStdioFile::~CStdioFile() { Abort(); }

BOOL CStdioFile::Open(LPCWSTR fileName, UINT openFlags) {
  Abort();
  if (!fileName || !*fileName) return FALSE;
  FILE* stream = _wfopen(fileName, ModeOf(openFlags));
  if (!stream && (openFlags & modeCreate) && (openFlags & modeNoTruncate))
    stream = _wfopen(fileName, (openFlags & modeReadWrite) ? u"w+b" : u"wb");  // not there yet
  if (!stream) return FALSE;
  m_pStream = stream;
  SetFilePath(fileName);
  return TRUE;
}

ULONGLONG CStdioFile::GetPosition() const {
  const long long at = m_pStream ? ftello(m_pStream) : -1;
  return at < 0 ? 0 : static_cast<ULONGLONG>(at);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
  const int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
  if (!m_pStream || fseeko(m_pStream, static_cast<off_t>(offset), whence) != 0)
    throw new CFileException(CFileException::badSeek, GetFilePath());
  return GetPosition();
}

void CStdioFile::SetLength(ULONGLONG length) {
  // The runtime's streams run over platform handles, not descriptors: the file is cut by
  // its name once what the stream holds is written.
  const CString path = GetFilePath();
  const auto posix = kx2::ToPosixPath(std::u16string_view(path.GetString()));
  if (!m_pStream || fflush(m_pStream) != 0 || !posix || truncate(posix->c_str(), static_cast<off_t>(length)) != 0)
    throw new CFileException(CFileException::genericException, path);
  if (GetPosition() > length) Seek(static_cast<LONGLONG>(length), begin);
}

ULONGLONG CStdioFile::GetLength() const {
  if (!m_pStream) return 0;
  const long long here = ftello(m_pStream);
  if (here < 0 || fseeko(m_pStream, 0, SEEK_END) != 0) return 0;
  const long long size = ftello(m_pStream);
  fseeko(m_pStream, here, SEEK_SET);
  return size < 0 ? 0 : static_cast<ULONGLONG>(size);
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  if (!m_pStream || !buffer || count == 0) return 0;
  return static_cast<UINT>(fread(buffer, 1, count, m_pStream));
}

void CStdioFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  if (!m_pStream || !buffer || fwrite(buffer, 1, count, m_pStream) != count)
    throw new CFileException(CFileException::diskFull, GetFilePath());
}

void CStdioFile::Flush() {
  if (m_pStream) fflush(m_pStream);
}

void CStdioFile::Close() {
  if (!m_pStream) return;
  const int failed = fclose(m_pStream);
  m_pStream = nullptr;
  if (failed != 0) throw new CFileException(CFileException::diskFull, GetFilePath());
}

void CStdioFile::Abort() {
  if (m_pStream) fclose(m_pStream);
  m_pStream = nullptr;
}

BOOL CStdioFile::ReadString(CString& line) {
  line = CString();
  if (!m_pStream) return FALSE;
  std::string bytes;
  int c = 0;
  bool any = false;
  while ((c = fgetc(m_pStream)) != EOF) {
    any = true;
    if (c == '\n') break;
    bytes.push_back(static_cast<char>(c));
  }
  if (!any) return FALSE;
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  if (bytes.empty()) return TRUE;
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return TRUE;
  std::u16string text(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  line = CString(text.c_str());
  return TRUE;
}

void CStdioFile::WriteString(LPCWSTR text) {
  if (!text || !*text) return;
  const int length = static_cast<int>(std::char_traits<char16_t>::length(text));
  const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, bytes.data(), n, nullptr, nullptr);
  Write(bytes.data(), static_cast<UINT>(bytes.size()));
}
