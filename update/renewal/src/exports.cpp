// The library's exports: the silent check and the hand-over to the usage-report launcher.
#include <chrono>
#include <cstdlib>
#include <string>

#include <kx2/ErrorBoundary.h>
#include <kx2/Module.h>
#include <kx2/Utf.h>
#include <renewal/Renewal.h>
#include <renewal/UpdateDialog.h>
#include <toolkit/SystemLibrary.h>
#include <win/crt.h>
#include <win/module.h>
#include <win/shell.h>

namespace {

// The whole check, download and comparison, ends this long after it began, whatever the
// server does.
constexpr auto kCheckLimit = std::chrono::seconds(3);

std::u16string ServiceAddress() {
  const char* value = std::getenv("KX2_FENNIC_SERVICE");
  return kx2::Utf8ToUtf16(value && *value ? value : "http://127.0.0.1/UpdateService.asmx");
}

using FennicRunProc = void(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR);

}  // namespace

KX2_EXPORT_ORDINALS({1, "StartOnlineUpdate"}, {2, "CheckOnlineUpdate"}, {3, "InitOnlineUpdate"});

extern "C" RENEWAL_API int CheckOnlineUpdate(int major, int minor, int patch, int revision, int flags) {
  return kx2::Guard(1, [&] {
    auto began = std::chrono::steady_clock::now();
    renewal::BindCallback callback(_time64(nullptr) + 3);
    renewal::OnlineUpdateVersioinCheck check;
    check.LimitDownloadTo(began + kCheckLimit);
    check.DownloadFeed(&callback, static_cast<DWORD>(flags));
    renewal::FeedVersion current{major, minor, patch, revision};
    return check.CompareWithFeed(&current);
  });
}

extern "C" RENEWAL_API int StartOnlineUpdate(int major, int minor, int patch, int revision, int flags) {
  return kx2::Guard(1, [&] {
    auto began = std::chrono::steady_clock::now();
    // Both fetches are in flight at once. The export's request goes out first; then the
    // dialog's worker is made, and fetches the feed on its own thread while this one waits
    // for the export's answer and makes the dialog: the dialog's answer comes during the
    // dialog's making instead of after it. That answer replaces the feed only once the
    // export has read its own, so the dialog still ends with the feed it fetched, and no
    // reader holds the file when it is replaced.
    auto worker = std::make_unique<renewal::FeedDownloadWorker>(nullptr, static_cast<DWORD>(flags),
                                                                renewal::DownloadStallLimit());
    worker->HoldReplacing();
    renewal::BindCallback callback(_time64(nullptr) + 3);
    renewal::OnlineUpdateVersioinCheck check;
    check.LimitDownloadTo(began + kCheckLimit);
    check.BeginDownload(&callback, static_cast<DWORD>(flags), renewal::OnlineUpdateVersioinCheck::kRequestWait);
    // Made while the server answers the export's request.
    worker->StartOnItsThread();
    check.FinishDownload();
    renewal::UpdateFeedInfo feed;
    check.ReadFeed(&feed);
    worker->AllowReplacing();
    renewal::UpdateDlg dialog(renewal::FeedVersion{major, minor, patch, revision}, static_cast<DWORD>(flags), feed);
    dialog.UseWorker(std::move(worker));
    // Over the host's active window, as CDialog picks without a parent.
    dialog.DoModal();
    return 1;
  });
}

extern "C" RENEWAL_API HRESULT InitOnlineUpdate(void*, LPCWSTR version, LPCWSTR type) {
  return kx2::Guard(static_cast<HRESULT>(0), [&]() -> HRESULT {
    char16_t folder[MAX_PATH] = {};
    HRESULT found = SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, 0, folder);
    if (FAILED(found)) found = SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    if (FAILED(found)) return found;
    std::u16string path = std::u16string(kx2::View16(folder)) + u"\\Taloria\\Fennic\\Fennic.dll";
    // By its full path: the current folder is left alone.
    HMODULE launcher = ktk::LoadSystemLibrary(path.c_str());
    if (!launcher) return 0;
    auto run = kx2::ProcAs<FennicRunProc>(GetProcAddress(launcher, "Fennic_Run"));
    if (!run) return 0;
    std::u16string service = ServiceAddress();
    run(u"Taloria", version ? version : u"", u"en-US", type ? type : u"", service.c_str());
    // The launcher stays loaded, as the host expects.
    return 1;
  });
}
