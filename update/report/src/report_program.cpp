// The program's pass: arguments, once a day, the single-instance mutex, the report, the
// registry.
#include <fennic/Report.h>
#include <fennic/Sha256.h>
#include <kx2/Utf.h>
#include <win/kernel.h>

namespace fennic {

bool ReportOnce(const ReportArguments& args) {
  std::string identity = Sha256::HexDigest(NetworkAddressText());
  DWORD count = ReadRunCount(args);
  if (!SendReport(args, count, SystemText(), LocaleText(), identity)) return false;
  RecordReport(args, count);
  return true;
}

std::string RunProgram(int argc, char** argv) {
  if (argc < 6) return "arguments";
  ReportArguments args{argv[1], argv[2], argv[3], argv[4], argv[5]};
  if (ReportedToday(args)) return "today";
  std::u16string name = u"Fennic_Mutex_" + kx2::Utf8ToUtf16(args.product);
  if (HANDLE other = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str())) {
    CloseHandle(other);
    return "mutex";
  }
  HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
    if (mutex) CloseHandle(mutex);
    return "mutex";
  }
  std::string result = "today";
  // A copy that held the mutex meanwhile may have reported already.
  if (!ReportedToday(args)) result = ReportOnce(args) ? "reported" : "failed";
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return result;
}

}  // namespace fennic
