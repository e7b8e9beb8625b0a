// The single-instance marker as the system answers (under Wine, which has no private namespaces,
// the global name's road; on Windows both): another instance is told apart from a name that
// someone else made first, which never passes for another instance.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "platform/win32/SingleInstance.h"

namespace {
// Names of the tests' own, so that no running tool is in the way.
constexpr InstanceMarkerNames kTestMarker{L"NorvaneUnitTest", L"NorvaneUnitTest", L"__Marker__",
                                          L"Global\\NorvaneUnitTest.__Marker__"};

enum class Before { Nothing, AnotherInstance, AnotherInstanceEnded, MadeByEveryone, ShutOut };

// A mutex at the marker's global name with the security a user could give it.
UniqueMutex MadeFirst(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return UniqueMutex();
    }
    UniqueLocal owner(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    return UniqueMutex(::CreateMutexW(&security, FALSE, kTestMarker.globalMarker));
}

TEST(SingleInstance, AnotherInstanceIsToldApartFromANameMadeFirst) {
    const struct {
        const char* name;
        InstanceRoute route;
        Before before;
        InstanceClaim claim;
        DWORD error;
    } rows[] = {
        {"global: nothing there", InstanceRoute::GlobalName, Before::Nothing, InstanceClaim::Owned,
         0},
        {"global: another instance", InstanceRoute::GlobalName, Before::AnotherInstance,
         InstanceClaim::HeldByAnother, 0},
        {"global: another instance that ended", InstanceRoute::GlobalName,
         Before::AnotherInstanceEnded, InstanceClaim::Owned, 0},
        // Only Administrators and SYSTEM can own an object: any other owner is not a tool's.
        {"global: made first, owned by Everyone", InstanceRoute::GlobalName, Before::MadeByEveryone,
         InstanceClaim::Unavailable, ERROR_INVALID_OWNER},
        {"global: made first, open to SYSTEM only", InstanceRoute::GlobalName, Before::ShutOut,
         InstanceClaim::Unavailable, ERROR_ACCESS_DENIED},
        {"namespace: nothing there", InstanceRoute::PrivateNamespace, Before::Nothing,
         InstanceClaim::Owned, 0},
        {"namespace: another instance", InstanceRoute::PrivateNamespace, Before::AnotherInstance,
         InstanceClaim::HeldByAnother, 0},
        {"namespace: another instance that ended", InstanceRoute::PrivateNamespace,
         Before::AnotherInstanceEnded, InstanceClaim::Owned, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.route == InstanceRoute::PrivateNamespace && !SystemHasPrivateNamespaces()) {
            std::printf("(row left out) %s: this system has no private namespaces\n", row.name);
            continue;
        }
        SingleInstance other(kTestMarker);
        if (row.before == Before::AnotherInstance || row.before == Before::AnotherInstanceEnded) {
            ASSERT_EQ(other.Claim(row.route), InstanceClaim::Owned);
        }
        if (row.before == Before::AnotherInstanceEnded) other.Release();
        UniqueMutex madeFirst;
        if (row.before == Before::MadeByEveryone) madeFirst = MadeFirst(L"O:WDD:P(A;;GA;;;WD)");
        if (row.before == Before::ShutOut) madeFirst = MadeFirst(L"D:P(A;;GA;;;SY)");
        if ((row.before == Before::MadeByEveryone || row.before == Before::ShutOut) && !madeFirst) {
            std::printf("(row left out) %s: this account cannot make it\n", row.name);
            continue;
        }

        SingleInstance marker(kTestMarker);
        EXPECT_EQ(marker.Claim(row.route), row.claim);
        EXPECT_EQ(marker.Error(), row.error);
        if (row.claim == InstanceClaim::Owned) {
            // Held until released, and free again after.
            EXPECT_EQ(SingleInstance(kTestMarker).Claim(row.route), InstanceClaim::HeldByAnother);
            marker.Release();
            EXPECT_EQ(SingleInstance(kTestMarker).Claim(row.route), InstanceClaim::Owned);
        }
    }
}
}  // namespace
#endif
