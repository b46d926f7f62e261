// CKx2OptionList: typed access to a small settings text "key:value;key:value" held in a
// caller's buffer of 260 UTF-16 units. The object never allocates.
//
// Entries are separated by ";" (empty entries are ignored). An entry's key is its text up
// to the first ":", or the whole entry when it has none; a key matches an entry whose key
// is exactly the same text (case-sensitive), and the first matching entry counts.
// Every operation returns 0 at once when there is no buffer.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2OptionList {
 public:
  static constexpr int kTextUnits = 260;

  explicit CKx2OptionList(char16_t* text = nullptr) : text_(text) {}
  void Attach(char16_t* text) { text_ = text; }
  char16_t* GetText() const { return text_; }

  int Has(const char16_t* key) const;
  // The value (empty for an entry without one) into out, which holds 260 units; 0 when no
  // entry matches.
  int Get(const char16_t* key, char16_t* out) const;
  // 1 for an empty value or "true" (ASCII case ignored), else 0; the default when absent.
  int GetBool(const char16_t* key, int defaultValue) const;
  int GetInt(const char16_t* key, int defaultValue) const;
  // 1 with the value; when absent, copies the default (260 units) and returns whether it fit.
  int GetString(const char16_t* key, char16_t* out, const char16_t* defaultValue) const;

  // Drops every entry of the key; the rest is joined by ";" again.
  int Remove(const char16_t* key);
  // Remove, then append "key:value"; 0 when the text would reach 260 characters (the key
  // then stays removed). A key holding ":" or ";", or a value holding ";", could not be
  // read back: such pairs are refused (0) and the text stays as it was.
  int SetBool(const char16_t* key, int flag);
  int SetInt(const char16_t* key, int value);
  int SetString(const char16_t* key, const char16_t* value);

 private:
  char16_t* text_;
};
