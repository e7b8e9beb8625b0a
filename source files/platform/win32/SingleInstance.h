#pragma once
// One running instance of the tool on the whole machine: a deployment running as SYSTEM in
// session 0 and a user's run on the desktop exclude each other, and no standard user can make
// the marker first so that every run of the tool ends as "already running".
//
// Why a private namespace: a mutex in the session's own namespace is not seen from other
// sessions, and one under "Global\" is seen by all, but any user may create it there first, with
// a security of their own that the tool can neither remove nor get past. A private namespace
// whose boundary holds the Administrators group can be created only by a process that has the
// group enabled (an elevated administrator, or SYSTEM), is found by its boundary and name from
// every session, and its own security lets only Administrators and SYSTEM open it and make
// objects in it. The marker is the mutex "__Norvane_Class__" in it. A namespace that someone
// else made under the same name with another boundary is another namespace.
//
// A system that gives no boundary descriptor (Wine gives none, and offers the namespace calls
// only as stubs that end the process) gets a "Global\" mutex of the tool's own name instead,
// made with the same security: an existing one counts as another instance only when its owner is
// Administrators or SYSTEM, as only they can set; anything else there makes the marker
// unavailable, never a run beside another.
//
// Win32 only and free of the tool's other code, so that the tests that play another instance
// can take the very same marker.
#include <windows.h>

#include "platform/win32/UniqueResource.h"

struct InstanceMarkerNames {
    const wchar_t* boundary;      // the boundary descriptor's name
    const wchar_t* prefix;        // the private namespace's alias prefix
    const wchar_t* marker;        // the mutex in it
    const wchar_t* globalMarker;  // the mutex where the system has no private namespaces
};

inline constexpr InstanceMarkerNames kNorvaneMarker{L"Norvane", L"Norvane", L"__Norvane_Class__",
                                                    L"Global\\__Norvane_Class__.Administrators"};

enum class InstanceRoute { PrivateNamespace, GlobalName };
enum class InstanceClaim {
    Owned,          // this instance holds the marker until Release
    HeldByAnother,  // another instance of the tool holds it
    Unavailable,    // it cannot be made or cannot be trusted: Error() says why
};

// Whether the system gives boundary descriptors, and with them private namespaces.
bool SystemHasPrivateNamespaces();

class SingleInstance {
public:
    explicit SingleInstance(const InstanceMarkerNames& names = kNorvaneMarker) : names_(names) {}
    ~SingleInstance() { Release(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Through the private namespace where the system has them, else through the global name.
    InstanceClaim Claim();
    InstanceClaim Claim(InstanceRoute route);
    // The system's code that made the marker unavailable.
    DWORD Error() const { return error_; }
    void Release();

private:
    InstanceClaim ClaimInNamespace(HANDLE boundary, SECURITY_ATTRIBUTES& security);
    InstanceClaim TakeMutex(const wchar_t* name, SECURITY_ATTRIBUTES& security);
    InstanceClaim Unavailable(DWORD error);

    InstanceMarkerNames names_;
    UniquePrivateNamespace namespace_;
    UniqueMutex mutex_;
    bool owned_ = false;
    DWORD error_ = 0;
};
