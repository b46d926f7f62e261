// The library in a fresh process: loading it runs start-up, shutdown frees the thread's
// error record. The fresh process is Debian's Python, which loads libBasalt.so with dlopen
// (ctypes) and reports what it saw as one line of JSON.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr char kScript[] = R"PY(
import ctypes, json, sys
lib = ctypes.CDLL(sys.argv[1])
def fn(name, restype=None, argtypes=()):
    f = getattr(lib, name)
    f.restype = restype
    f.argtypes = list(argtypes)
    return f
def u16(text):
    return (text + "\0").encode("utf-16-le")
first_module = fn("_ZN6Basalt4Base6Module15_GetFirstModuleEv", ctypes.c_void_p)
is_registered = fn("_ZN6Basalt4Util8PathUtil15_IsRegisterPathEPKDs", ctypes.c_int, [ctypes.c_char_p])
set_error = fn("_ZN6Basalt5Error9BaseError9_SetErrorEj", None, [ctypes.c_uint32])
get_error = fn("_ZN6Basalt5Error9BaseError9_GetErrorEv", ctypes.c_uint32)
dll_main = fn("BasaltDllMain", ctypes.c_int, [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_void_p])
observe = fn("Kx2BasaltSetErrorRecordObserver", None, [ctypes.c_void_p])

out = {"registered": bool(first_module()), "languages": is_registered(u16("Languages"))}
events = []
callback = ctypes.CFUNCTYPE(None, ctypes.c_int)(lambda delta: events.append(delta))
observe(ctypes.cast(callback, ctypes.c_void_p))
set_error(77)
out["error"] = get_error()
dll_main(None, 0, None)
out["freed"] = len(events) > 0 and events[-1] == -1 and events.count(-1) == 1
out["registeredAfter"] = bool(first_module())
out["languagesAfter"] = is_registered(u16("Languages"))
set_error(78)
out["errorAfter"] = get_error()
observe(None)
print(json.dumps(out, sort_keys=True))
)PY";

// The sanitizer runtime must come first in a process that was not built with it.
std::string SanitizerPreload() {
#if defined(__SANITIZE_ADDRESS__)
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    size_t at = line.find('/');
    if (at != std::string::npos && line.find("libasan.so") != std::string::npos)
      return "LD_PRELOAD=" + line.substr(at) + " ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 ";
  }
#endif
  return "";
}

TEST(LibraryStartup, FreshProcessStartsAndShutsDown) {
  const char* python = "/usr/bin/python3";
  if (access(python, X_OK) != 0) GTEST_SKIP() << "Debian's /usr/bin/python3 is not installed";
  fs::path root = fs::temp_directory_path() / ("basalt-startup-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "reg");
  std::ofstream(root / "probe.py") << kScript;
  std::string library = std::string(KX2_BIN_DIR) + "/libBasalt.so";
  std::string command = "env KX2_REGISTRY=" + (root / "reg").string() + " XDG_CONFIG_HOME=" + root.string() +
                        " HOME=" + root.string() + " " + SanitizerPreload() + python + " " +
                        (root / "probe.py").string() + " " + library + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  std::array<char, 4096> buf;
  while (size_t n = fread(buf.data(), 1, buf.size(), pipe)) output.append(buf.data(), n);
  int status = pclose(pipe);
  fs::remove_all(root);
  ASSERT_EQ(status, 0) << output;

  // Start-up: its own module registered, the path variables filled, a record per thread.
  EXPECT_NE(output.find("\"registered\": true"), std::string::npos) << output;
  EXPECT_NE(output.find("\"languages\": 1"), std::string::npos) << output;
  EXPECT_NE(output.find("\"error\": 77"), std::string::npos) << output;
  // Shutdown: the thread's record freed, the module and the variables gone, no more records.
  EXPECT_NE(output.find("\"freed\": true"), std::string::npos) << output;
  EXPECT_NE(output.find("\"registeredAfter\": false"), std::string::npos) << output;
  EXPECT_NE(output.find("\"languagesAfter\": 0"), std::string::npos) << output;
  EXPECT_NE(output.find("\"errorAfter\": 0"), std::string::npos) << output;
}

}  // namespace
