// vantorel's commands: every command line that the program itself does not run (see
// main.cpp) comes here, in libVantorelCommands.so, with the libraries those commands need.
// `import` and `filters` lines arrive here only when the program could not take them, so
// they get the usage text.
//
//   vantorel filters [--json]
//   vantorel import FILE [--filter NAME] [--json]
//   vantorel render FILE -o OUT.png [--filter NAME] [--dpi N] [--svg OUT.svg] [--json]
//   vantorel type SCRIPT
//   vantorel collab FILE --user ADDRESS
//   vantorel file-dialog [--save] [--choices] [--filter DESC PATTERN FORMAT EXT]... [--state N FOLDER]
//                        [--script STEPS]
//   vantorel skin-make DIR [--module FILE]
//   vantorel skin-demo -o FILE.png [--skin PACKAGE [--ini NAME]] [--menu N] [--hover ID]
//
// Exit codes: 0 done; 1 no filter reads the file, or the import failed; 2 wrong command
// line, missing file, or the plug-in cannot be loaded; 3 the import ran but the plug-in
// kept host objects or file keys, or released objects more often than it held them.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include <win/types.h>

#include "commands.h"

namespace {

int Usage() {
  std::cerr << "usage: vantorel filters [--json]\n"
               "       vantorel import FILE [--filter NAME] [--json]\n"
               "       vantorel render FILE -o OUT.png [--filter NAME] [--dpi N] [--svg OUT.svg] [--json]\n"
               "       vantorel type SCRIPT\n"
               "       vantorel collab FILE --user ADDRESS\n"
               "       vantorel file-dialog [--save] [--choices] [--filter DESC PATTERN FORMAT EXT]...\n"
               "                            [--state N FOLDER] [--script STEPS]\n"
               "       vantorel skin-make DIR [--module FILE]\n"
               "       vantorel skin-demo -o FILE.png [--skin PACKAGE [--ini NAME]] [--menu N] [--hover ID]\n";
  return 2;
}

}  // namespace

KX2_EXPORT int VantorelCommandMain(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "collab") {
    if (argc != 5 || std::strcmp(argv[3], "--user") != 0) return Usage();
    return vantorel::cli::CollabSession(argv[2], argv[4]);
  }
  if (command == "skin-make") {
    std::string folder, module;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--module" && i + 1 < argc && module.empty()) {
        module = argv[++i];
      } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
        folder = arg;
      } else {
        return Usage();
      }
    }
    if (folder.empty()) return Usage();
    return vantorel::cli::MakeDemoSkin(folder, module);
  }
  if (command == "skin-demo") {
    vantorel::cli::SkinDemoRequest demo;
    demo.resources = VANTOREL_EXAMPLES_DIR "/skin-demo.xml";
    for (int i = 2; i + 1 < argc; i += 2) {
      const std::string arg = argv[i], value = argv[i + 1];
      char* end = nullptr;
      const long number = std::strtol(value.c_str(), &end, 10);
      const bool isNumber = !value.empty() && !*end && number >= 0 && number < 1 << 16;
      if (arg == "-o") {
        demo.output = value;
      } else if (arg == "--skin") {
        demo.skin = value;
      } else if (arg == "--ini") {
        demo.ini = value;
      } else if (arg == "--menu" && isNumber) {
        demo.menu = static_cast<int>(number);
      } else if (arg == "--hover" && isNumber && number > 0) {
        demo.hover = static_cast<int>(number);
      } else {
        return Usage();
      }
    }
    if (argc % 2 != 0 || demo.output.empty() || (!demo.ini.empty() && demo.skin.empty())) return Usage();
    return vantorel::cli::SkinDemo(demo);
  }
  if (command == "file-dialog") {
    vantorel::cli::FileDialogRequest dialog;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--save") {
        dialog.save = true;
      } else if (arg == "--choices") {
        dialog.choices = true;
      } else if (arg == "--filter" && i + 4 < argc) {
        dialog.filters.push_back({argv[i + 1], argv[i + 2], argv[i + 3], argv[i + 4]});
        i += 4;
      } else if (arg == "--state" && i + 2 < argc) {
        char* end = nullptr;
        const long state = std::strtol(argv[i + 1], &end, 10);
        if (*end) return Usage();
        dialog.states.emplace_back(static_cast<int>(state), argv[i + 2]);
        i += 2;
      } else if (arg == "--script" && i + 1 < argc) {
        dialog.script = argv[++i];
      } else {
        return Usage();
      }
    }
    return vantorel::cli::RunFileDialog(dialog);
  }
  vantorel::cli::ImportRequest request;
  vantorel::cli::RenderRequest render;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (command == "render" && arg == "-o" && i + 1 < argc) {
      render.output = argv[++i];
    } else if (command == "render" && arg == "--svg" && i + 1 < argc) {
      render.svg = argv[++i];
    } else if (command == "render" && arg == "--dpi" && i + 1 < argc) {
      char* end = nullptr;
      const long dpi = std::strtol(argv[++i], &end, 10);
      if (*end || dpi < 24 || dpi > 1200) return Usage();
      render.dpi = static_cast<int>(dpi);
    } else if (arg == "--json") {
      request.json = true;
    } else if (arg == "--filter" && i + 1 < argc) {
      request.filterName = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (request.file.empty()) {
      request.file = arg;
    } else {
      return Usage();
    }
  }
  if (command == "render" && !request.file.empty() && !render.output.empty()) {
    render.import = request;
    return vantorel::cli::RenderMap(render);
  }
  if (command == "type" && !request.file.empty() && !request.json && request.filterName.empty())
    return vantorel::cli::TypeScript(request.file);
  return Usage();
}
