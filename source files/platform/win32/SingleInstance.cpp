#include "platform/win32/SingleInstance.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace {
// Owned by Administrators; only Administrators and SYSTEM may open or make anything in it. The
// DACL is protected, so nothing is inherited from the namespace's parent.
constexpr wchar_t kAdministratorsOnly[] = L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";
// A namespace that goes between a look that finds it and the open: look again, a few times.
constexpr int kNamespaceAttempts = 3;

bool OwnedByAdministratorsOrSystem(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocal held(descriptor);
    return owner != nullptr && (::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                ::IsWellKnownSid(owner, WinLocalSystemSid));
}
}  // namespace

bool SystemHasPrivateNamespaces() {
    const UniqueBoundaryDescriptor boundary(
        ::CreateBoundaryDescriptorW(kNorvaneMarker.boundary, 0));
    return static_cast<bool>(boundary);
}

InstanceClaim SingleInstance::Claim() {
    return Claim(SystemHasPrivateNamespaces() ? InstanceRoute::PrivateNamespace
                                              : InstanceRoute::GlobalName);
}

InstanceClaim SingleInstance::Claim(InstanceRoute route) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kAdministratorsOnly, SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr)) {
        return Unavailable(::GetLastError());
    }
    UniqueLocal descriptor(security.lpSecurityDescriptor);
    if (route == InstanceRoute::GlobalName) return TakeMutex(names_.globalMarker, security);

    UniqueBoundaryDescriptor boundary(::CreateBoundaryDescriptorW(names_.boundary, 0));
    if (!boundary) return Unavailable(::GetLastError());
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
        return Unavailable(::GetLastError());
    }
    // The call may move the descriptor to make room for the SID.
    HANDLE grown = boundary.release();
    const BOOL added = ::AddSIDToBoundaryDescriptor(&grown, administrators);
    boundary.reset(grown);
    if (!added) return Unavailable(::GetLastError());
    return ClaimInNamespace(boundary.get(), security);
}

InstanceClaim SingleInstance::ClaimInNamespace(HANDLE boundary, SECURITY_ATTRIBUTES& security) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kNamespaceAttempts && !namespace_; ++attempt) {
        namespace_.reset(::CreatePrivateNamespaceW(&security, boundary, names_.prefix));
        if (namespace_) break;
        error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return Unavailable(error);
        // Another instance made it, or one that ran before us still holds it open.
        namespace_.reset(::OpenPrivateNamespaceW(boundary, names_.prefix));
        if (!namespace_) error = ::GetLastError();
    }
    if (!namespace_) return Unavailable(error);
    const std::wstring name = std::wstring(names_.prefix) + L"\\" + names_.marker;
    return TakeMutex(name.c_str(), security);
}

InstanceClaim SingleInstance::TakeMutex(const wchar_t* name, SECURITY_ATTRIBUTES& security) {
    ::SetLastError(ERROR_SUCCESS);
    mutex_.reset(::CreateMutexW(&security, TRUE, name));
    if (!mutex_) return Unavailable(::GetLastError());  // also one whose security shuts us out
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
        owned_ = true;
        return InstanceClaim::Owned;
    }
    // Someone made it before us; this instance only closes its handle.
    const bool anotherInstance = OwnedByAdministratorsOrSystem(mutex_.get());
    Release();
    return anotherInstance ? InstanceClaim::HeldByAnother : Unavailable(ERROR_INVALID_OWNER);
}

InstanceClaim SingleInstance::Unavailable(DWORD error) {
    error_ = error;
    Release();
    return InstanceClaim::Unavailable;
}

void SingleInstance::Release() {
    if (owned_) ::ReleaseMutex(mutex_.get());
    owned_ = false;
    mutex_.reset();
    namespace_.reset();
}
