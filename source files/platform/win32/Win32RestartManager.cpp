// Which programs hold a file, as the system's restart manager tracks them for installers.
#include <windows.h>
#include <restartmanager.h>

#include <vector>

#include "platform/win32/WideEdge.h"
#include "platform/win32/Win32Services.h"

namespace {
// A session ends with its owner, on every way out.
class RestartSession {
public:
    RestartSession() {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        status_ = ::RmStartSession(&handle_, 0, key);
    }
    ~RestartSession() {
        if (Started()) ::RmEndSession(handle_);
    }
    RestartSession(const RestartSession&) = delete;
    RestartSession& operator=(const RestartSession&) = delete;

    bool Started() const { return status_ == ERROR_SUCCESS; }
    DWORD Status() const { return status_; }
    DWORD Handle() const { return handle_; }

private:
    DWORD handle_ = 0;
    DWORD status_ = ERROR_INVALID_HANDLE;
};
}  // namespace

Answer<std::vector<FileHolder>> Win32Services::WhoHolds(const WString& path) {
    RestartSession session;
    if (!session.Started()) return {session.Status(), {}};
    LPCWSTR files[] = {AsWide(path)};
    if (const DWORD status =
            ::RmRegisterResources(session.Handle(), 1, files, 0, nullptr, 0, nullptr)) {
        return {status, {}};
    }
    std::vector<RM_PROCESS_INFO> found;
    UINT needed = 0, count = 0;
    DWORD reasons = 0;
    DWORD status = ERROR_MORE_DATA;
    // The list may grow between the two calls: asked again until it fits.
    for (int attempt = 0; status == ERROR_MORE_DATA && attempt < 5; ++attempt) {
        found.resize(needed);
        count = needed;
        status = ::RmGetList(session.Handle(), &needed, &count, found.data(), &reasons);
    }
    if (status != ERROR_SUCCESS) return {status, {}};
    std::vector<FileHolder> holders;
    for (UINT i = 0; i < count; ++i) {
        holders.push_back({FromWide(found[i].strAppName), found[i].Process.dwProcessId});
    }
    return {ERROR_SUCCESS, std::move(holders)};
}
