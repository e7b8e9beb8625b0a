// Who runs the process, from its own token.
#include <windows.h>

#include <vector>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideEdge.h"
#include "platform/win32/Win32Services.h"

namespace {
// The token's user as DOMAIN\user; whether it is the local system account.
void ReadUser(HANDLE token, RunIdentity& identity) {
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    identity.systemAccount = ::IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameUnits = 256, domainUnits = 256;
    SID_NAME_USE use{};
    if (::LookupAccountSidW(nullptr, sid, name, &nameUnits, domain, &domainUnits, &use)) {
        identity.account = FromWide(domain) + u"\\" + FromWide(name);
    }
}
}  // namespace

RunIdentity Win32Services::Identity() {
    RunIdentity identity;
    identity.processId = ::GetCurrentProcessId();
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD units = MAX_COMPUTERNAME_LENGTH + 1;
    if (::GetComputerNameW(computer, &units)) identity.computer = FromWide(computer);
    UniqueResource<NullHandleTraits> token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return identity;
    ReadUser(token.get(), identity);
    TOKEN_ELEVATION elevation{};
    DWORD size = sizeof elevation;
    if (::GetTokenInformation(token.get(), TokenElevation, &elevation, size, &size)) {
        identity.elevated = elevation.TokenIsElevated != 0;
    }
    return identity;
}
