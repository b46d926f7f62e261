// MFC's device-context object, as far as the window side needs it: a handle holder that
// message handlers receive (include win/afx.h). Drawing goes through the handle.
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/types.h"

#ifndef KX2_AFX_API
#define KX2_AFX_API __attribute__((visibility("default")))
#endif

class KX2_AFX_API CDC : public CObject {
 public:
  CDC() = default;
  ~CDC() override = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // A temporary object for a handle, kept per thread until DeleteTempMap.
  static CDC* FromHandle(HDC dc);
  static void DeleteTempMap();
  BOOL Attach(HDC dc);
  HDC Detach();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }  // NOLINT

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
};
