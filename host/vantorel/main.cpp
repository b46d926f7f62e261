// vantorel: the command-line host. It loads the import plug-in the way the host
// application does and prints what it produced (command lines: command_main.cpp).
//
// The program links only the host and the platform and runs `import` and `filters` itself;
// every other command, and every command line it does not take as one of those two, goes
// to libVantorelCommands.so, loaded then. An import thus never loads or starts the engine,
// the window and control libraries or the skinning and input-method libraries, which cost
// a process start more than a thousand-topic import does.
#include <cstring>
#include <iostream>
#include <string>

#include <kx2/Module.h>
#include <win/kernel.h>
#include <win/module.h>

#include "commands.h"

namespace {

// The request of `import FILE [--filter NAME] [--json]` or `filters [--json]`; false for
// anything else.
bool ParseImportLine(int argc, char** argv, vantorel::cli::ImportRequest* request) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      request->json = true;
    } else if (arg == "--filter" && i + 1 < argc) {
      request->filterName = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else if (request->file.empty()) {
      request->file = arg;
    } else {
      return false;
    }
  }
  if (std::strcmp(argv[1], "filters") == 0) return request->file.empty() && request->filterName.empty();
  return !request->file.empty();
}

typedef int (*CommandMain)(int argc, char** argv);

int RunCommandLibrary(int argc, char** argv) {
  HMODULE library = LoadLibraryW(u"libVantorelCommands.so");
  const auto run = library ? kx2::ProcAs<CommandMain>(GetProcAddress(library, "VantorelCommandMain")) : nullptr;
  if (!run) {
    std::cerr << "vantorel: cannot load libVantorelCommands.so (error " << GetLastError() << ")\n";
    return 2;
  }
  // Never freed: the commands' libraries stay until the process ends, as when linked.
  return run(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "import") == 0 || std::strcmp(argv[1], "filters") == 0)) {
    vantorel::cli::ImportRequest request;
    if (ParseImportLine(argc, argv, &request))
      return std::strcmp(argv[1], "filters") == 0 ? vantorel::cli::ListFilters(request.json)
                                                  : vantorel::cli::ImportMap(request);
  }
  return RunCommandLibrary(argc, argv);
}
