// One report: the count, the machine facts, the call, and on success the registry.
#include <fennic/Report.h>
#include <fennic/Sha256.h>

#include "report_call.h"

namespace fennic {

bool ReportOnce(const ReportArguments& args) {
  // The count's transaction stays open through the call, so that a successful call is
  // recorded from what it read (see ReportRecord).
  ReportRecord record(args);
  const DWORD count = record.Count();
  ReportCall call(args);
  // Once the count says a call will be made, its connection is opened first: the server
  // accepts it while the machine facts are gathered, instead of after.
  call.OpenEarly(count);
  std::string identity = Sha256::HexDigest(NetworkAddressText());
  if (!call.Send(count, SystemText(), LocaleText(), identity)) return false;
  record.Record(count);
  return true;
}

}  // namespace fennic
