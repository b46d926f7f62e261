// MFC's OLE value classes: COleDateTime over an OLE date and COleVariant over a VARIANT,
// with their archive forms (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/oleauto.h"
#include "win/types.h"

[[noreturn]] KX2_API void AfxThrowOleException(HRESULT sc);
// MFC's check of a COM result: E_OUTOFMEMORY raises the memory exception, any other
// failure the OLE exception with that code.
KX2_API void AfxCheckError(HRESULT sc);

class KX2_API COleDateTime {
 public:
  enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

  COleDateTime() = default;
  COleDateTime(DATE date);  // NOLINT: as MFC converts
  COleDateTime(int year, int month, int day, int hour, int minute, int second);
  explicit COleDateTime(const SYSTEMTIME& time);

  static COleDateTime GetCurrentTime();

  // Checks the fields through the OLE date and back: a day that does not exist (31
  // February) makes the value invalid. Returns 0 when valid, 1 otherwise.
  int SetDateTime(int year, int month, int day, int hour, int minute, int second);
  int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
  int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }
  DateTimeStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeStatus status) { m_status = status; }
  BOOL GetAsSystemTime(SYSTEMTIME& time) const;

  // -1 when the value is not valid.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;

  // wcsftime's conversions on the value; "Invalid DateTime" for an invalid value, empty
  // for a null one.
  CString Format(LPCWSTR format) const;

  bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }
  bool operator!=(const COleDateTime& other) const { return !(*this == other); }

  DATE m_dt = 0;
  DateTimeStatus m_status = valid;
};

// Archive form: the status as 32 bits, then the date as a double (12 bytes).
KX2_API CArchive& operator<<(CArchive& ar, const COleDateTime& value);
KX2_API CArchive& operator>>(CArchive& ar, COleDateTime& value);

class KX2_API COleVariant : public VARIANT {
 public:
  COleVariant() { VariantInit(this); }
  COleVariant(const VARIANT& source);  // NOLINT: as MFC converts
  COleVariant(const COleVariant& source);
  COleVariant(LPCWSTR text);         // NOLINT
  COleVariant(const CString& text);  // NOLINT
  COleVariant(BYTE value);           // NOLINT
  COleVariant(SHORT value, VARTYPE vt = VT_I2);
  COleVariant(LONG value, VARTYPE vt = VT_I4);
  COleVariant(float value);                // NOLINT
  COleVariant(double value);               // NOLINT
  COleVariant(const COleDateTime& value);  // NOLINT
  ~COleVariant() { VariantClear(this); }

  COleVariant& operator=(const VARIANT& source);
  COleVariant& operator=(const COleVariant& source);
  COleVariant& operator=(LPCWSTR text);

  void Clear() { VariantClear(this); }
  // Coerces in place (or from source); throws the OLE exception on failure.
  void ChangeType(VARTYPE vt, LPVARIANT source = nullptr);

  // Same type and value; strings compared by their text.
  bool operator==(const VARIANT& other) const;
  bool operator!=(const VARIANT& other) const { return !(*this == other); }
};

// Archive form: the type (WORD), then the value: booleans as WORD, 1-, 2-, 4- and 8-byte
// numbers as they are, currency as two 32-bit halves (low first), dates and doubles as
// doubles, strings as a byte count (DWORD) and their UTF-16 bytes. Other types raise the
// archive exception.
KX2_API CArchive& operator<<(CArchive& ar, const COleVariant& value);
KX2_API CArchive& operator>>(CArchive& ar, COleVariant& value);
