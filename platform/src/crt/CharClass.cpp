// isw* and tow* from the platform's character table (see win/crt.h).
#include "crt/CharTable.h"
#include "kx2/Utf.h"
#include "win/crt.h"

using namespace kx2;

namespace {
bool Has(char16_t c, uint16_t mask) { return (CharClass(c) & mask) != 0; }
bool InRange(int c) { return c >= 0 && c <= 0xFFFF; }
}  // namespace

int iswspace(char16_t c) { return Has(c, kCharSpace); }
int iswdigit(char16_t c) { return Has(c, kCharDigit); }
int iswalpha(char16_t c) { return Has(c, kCharAlpha); }
int iswalnum(char16_t c) { return Has(c, kCharAlpha | kCharDigit); }
int iswupper(char16_t c) { return Has(c, kCharUpper); }
int iswlower(char16_t c) { return Has(c, kCharLower); }
int iswxdigit(char16_t c) { return Has(c, kCharHex); }
int iswpunct(char16_t c) { return Has(c, kCharPunct); }
int iswcntrl(char16_t c) { return Has(c, kCharControl); }
int iswblank(char16_t c) { return Has(c, kCharBlank); }
int iswascii(char16_t c) { return c < 0x80; }
int iswgraph(char16_t c) { return Has(c, kCharPunct | kCharAlpha | kCharDigit); }
int iswprint(char16_t c) { return iswgraph(c) || (Has(c, kCharSpace) && !Has(c, kCharControl) && c != u'\t'); }
char16_t towlower(char16_t c) { return FoldLower16(c); }
char16_t towupper(char16_t c) { return FoldUpper16(c); }

int iswspace(int c) { return InRange(c) && iswspace(static_cast<char16_t>(c)); }
int iswdigit(int c) { return InRange(c) && iswdigit(static_cast<char16_t>(c)); }
int iswalpha(int c) { return InRange(c) && iswalpha(static_cast<char16_t>(c)); }
int iswalnum(int c) { return InRange(c) && iswalnum(static_cast<char16_t>(c)); }
int iswupper(int c) { return InRange(c) && iswupper(static_cast<char16_t>(c)); }
int iswlower(int c) { return InRange(c) && iswlower(static_cast<char16_t>(c)); }
int iswxdigit(int c) { return InRange(c) && iswxdigit(static_cast<char16_t>(c)); }
int iswpunct(int c) { return InRange(c) && iswpunct(static_cast<char16_t>(c)); }
int iswcntrl(int c) { return InRange(c) && iswcntrl(static_cast<char16_t>(c)); }
int iswprint(int c) { return InRange(c) && iswprint(static_cast<char16_t>(c)); }
int iswgraph(int c) { return InRange(c) && iswgraph(static_cast<char16_t>(c)); }
int iswblank(int c) { return InRange(c) && iswblank(static_cast<char16_t>(c)); }
int towlower(int c) { return InRange(c) ? FoldLower16(static_cast<char16_t>(c)) : c; }
int towupper(int c) { return InRange(c) ? FoldUpper16(static_cast<char16_t>(c)) : c; }
