// vantorel file-dialog: the module's Vista-style dialog run as the host runs it (file types
// added one by one, the initial folder asked of the engine, the open choices labelled from
// the host's menu 10003), playing a script of user steps, then what the host reads back.
#include <iostream>
#include <string>

#include <kx2/FileDialogScript.h>
#include <kx2/IdleHandler.h>
#include <kx2/PathMap.h>
#include <kx2/Ref.h>
#include <kx2/Utf.h>
#include <ornatex/filedialog/vtl_file_dialog.h>
#include <vantorel/host_engine.h>
#include <vantorel/object_census.h>

#include "commands.h"

namespace vantorel::cli {
namespace {

std::u16string WindowsPathOf(const std::string& path) {
  if (!path.empty() && path[0] == '/') return kx2::ToWindowsPath(path);
  return kx2::Utf8ToUtf16(path);
}

std::string Text(const WCHAR* text) { return text ? kx2::Utf16ToUtf8(kx2::View16(text)) : std::string("(none)"); }

}  // namespace

int RunFileDialog(const FileDialogRequest& request) {
  const UINT windowsBefore = Kx2LiveWindowCount();
  const CensusReport censusBefore = TakeCensus();
  // The dialog's constructor runs in the host's module state, where the host's resources
  // (menu 10003) are found.
  const HINSTANCE previousResources = UseHostResources();
  if (!request.script.empty()) {
    std::string steps = request.script;
    for (char& c : steps)
      if (c == ';') c = '\n';
    Kx2SetFileDialogScript(steps.c_str());
  }

  int result = 0;
  {
    CVtlFileDialogVista dialog(!request.save, nullptr, nullptr, request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST,
                               nullptr, nullptr, request.choices ? 1 : 0);
    for (const auto& filter : request.filters) {
      std::u16string text[4];
      for (int i = 0; i < 4; ++i) text[i] = kx2::Utf8ToUtf16(filter[i]);
      if (!dialog.AddFilter(text[0].c_str(), text[1].c_str(), text[2].c_str(), text[3].c_str()))
        std::cerr << "vantorel: the filter \"" << filter[0] << "\" does not fit\n";
    }
    kx2::Ref<IVtlEngine> engine(CreateHostEngine());
    for (const auto& [state, folder] : request.states) {
      SetEngineStateFolder(engine.get(), static_cast<StateID>(state), WindowsPathOf(folder));
      if (!dialog.SetInitFolder(engine.get(), static_cast<StateID>(state)))
        std::cerr << "vantorel: no folder for state " << state << "\n";
    }
    const INT_PTR answer = dialog.DoModal();
    if (Kx2FileDialogScriptBadLine()) {
      result = 1;
    } else if (answer == IDOK) {
      std::cout << "path " << Text(dialog.m_ofn.lpstrFile) << "\n"
                << "format " << Text(dialog.GetSelectedFormat()) << "\n"
                << "extension " << Text(dialog.GetSelectedExt()) << "\n"
                << "open type " << dialog.GetOpenType() << "\n";
    } else {
      std::cout << "cancelled\n";
    }
  }
  AfxSetResourceHandle(previousResources);
  if (Kx2LiveWindowCount() != windowsBefore) {
    std::cerr << "vantorel: the dialog left windows alive\n";
    return 3;
  }
  if (TakeCensus().liveObjects != censusBefore.liveObjects) {
    std::cerr << "vantorel: the dialog kept host objects\n";
    return 3;
  }
  return result;
}

}  // namespace vantorel::cli
