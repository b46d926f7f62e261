// The usage-report program's work: machine facts, the once-a-day state in the registry and
// the one SOAP call.
#pragma once

#include <cstdint>
#include <string>

#include <win/iphlpapi.h>
#include <win/types.h>

struct soap;

namespace fennic {

// The five arguments, UTF-8, as the launcher passed them.
struct ReportArguments {
  std::string product, version, language, type, endpoint;
};

// "%02x" x 6 of the best adapter with traffic: Ethernet, then PPP or serial line, then any
// other type; the first in table order within each; empty when none.
std::string ChooseAddress(const MIB_IFTABLE* table);
// The adapter table read with GetIfTable (size, then rows); empty text on failure.
std::string NetworkAddressText();
// "major,minor,platform,product type,architecture".
std::string SystemText();
// "language-country" of the system default locale.
std::string LocaleText();
// Today's local date as "YYYYMMDD".
std::string Today();

// The registry key of the report, wide so that it is the key the launcher wrote.
std::u16string ReportKeyName(const ReportArguments& args);
// "LastestRun" as stored (eight characters without a terminator); empty for any other
// type or length.
std::string ReadLastestRun(const ReportArguments& args);
bool ReportedToday(const ReportArguments& args);
// "RunCount", 0 when missing.
DWORD ReadRunCount(const ReportArguments& args);
// After a successful report of `sent` runs: lowers "RunCount" by what was sent (the
// launcher may have counted more meanwhile) and dates the report, in one transaction.
void RecordReport(const ReportArguments& args, DWORD sent);

// The registry side of one report, from the reading of "RunCount" to the record: one
// registry transaction that reads the count and, after a successful call, writes the record
// without walking to the key and reading the count again. It takes the hive's write lock
// only to write (never during the call, while the launcher counts runs); when the launcher
// wrote meanwhile, Record redoes the whole as RecordReport. Other threads of the process
// wait for the registry while it is held.
class ReportRecord {
 public:
  explicit ReportRecord(const ReportArguments& args);
  // Ends the transaction with nothing written when Record was not called.
  ~ReportRecord();
  ReportRecord(const ReportRecord&) = delete;
  ReportRecord& operator=(const ReportRecord&) = delete;

  // "RunCount" as ReadRunCount reads it.
  DWORD Count() const { return count_; }
  // As RecordReport; call it once.
  void Record(DWORD sent);

 private:
  const ReportArguments& args_;
  bool open_ = false;
  HKEY key_ = nullptr;
  DWORD count_ = 0;
};

// The longest answer of the service the report reads; a longer one fails the report.
constexpr uint64_t kMaxAnswerBytes = 1 << 20;
// Puts that limit on a SOAP context: on the bytes received and on the Content-Length the
// runtime would size a buffer by.
void LimitAnswerLength(struct soap* soap);

// Called once the report has set up its SOAP context, before the call: lets a test or fuzz
// target put its own transport callbacks in place of the socket's.
using PrepareSoap = void (*)(struct soap*);

// The SOAP call; true when the runtime reports success. Time-outs from
// KX2_FENNIC_TIMEOUT_MS (default 15 s).
bool SendReport(const ReportArguments& args, DWORD count, const std::string& systemText, const std::string& localeText,
                const std::string& identity, PrepareSoap prepare = nullptr);

// The whole pass of the program after the single-instance mutex: read the count, report,
// record. True when a report was sent and recorded.
bool ReportOnce(const ReportArguments& args);

// The program as main runs it (CFennicEXEApp through AfxWinMain) over argc/argv; the step
// its pass stopped at: "arguments", "today", "mutex", "failed" or "reported".
std::string RunProgram(int argc, char** argv);

}  // namespace fennic
