// Values of the property exchange: comparing and copying them by type, and the text forms
// that the INI and XML kinds share.
#pragma once

#include <toolkit/PropExchange.h>

namespace ktk {

bool ValuesEqual(VARTYPE type, const void* a, const void* b);
// false for a type the exchange does not know.
bool CopyValue(VARTYPE type, void* to, const void* from);

// "\\", "\n", "\r" and "\t" for a backslash, line feed, carriage return and tab.
CString Escape(const CString& text);
CString Unescape(const CString& text);

// "%Y-%d-%mT%H:%M:%S" (day before month); "%Y-%d-%m" without a time of day; "%H:%M:%S" on
// day zero; "Invalid DateTime" for an invalid value.
CString DateTimeText(const COleDateTime& value);
// Reads that form back; false (value unchanged) for a text that is not one.
bool ParseDateTime(LPCWSTR text, COleDateTime& value);

// Reads numbers as swscanf reads "%i, %i, ..." (count of them): returns how many it read.
int ScanIntegers(LPCWSTR text, LONG* out, int count);

// The value's text; false for a type without a text form. locale: see SetLocale.
bool ValueToText(VARTYPE type, const void* value, LONG locale, CString& text);
// The value from its text; false (value unchanged) for a text that is not a value of the
// type. A VARIANT is read as the type it holds, or, when empty, as the default's type.
bool TextToValue(VARTYPE type, const CString& text, LONG locale, void* value, const void* defaultValue);

}  // namespace ktk
