// Feeds arbitrary bytes to the list file's road: the text model, the launch line and the copy
// list preparation, under ASan and UBSan. Files and registry keys are all "present", so the
// walk goes through every section instead of stopping at the first missing file.
#include <cstddef>
#include <cstdint>

#include "app/AppState.h"
#include "norvane/BuildCopyList.h"
#include "norvane/LaunchLine.h"
#include "platform/posix/PosixServices.h"
#include "text/CTextLine.h"

namespace {
class FuzzServices : public PosixServices {
public:
    uint32_t GetAttributes(const WString& path) override {
        return path.size() % 3 == 0 ? kInvalidFileAttributes : kFileAttributeNormal;
    }
    OpenForReadResult ProbeOpenForRead(const WString& path) override {
        OpenForReadResult result;
        result.opened = path.size() % 7 != 0;
        result.error = result.opened ? 0 : kErrorFileNotFound;
        result.size = path.size() * 1000003ULL;
        return result;
    }
    std::optional<WString> ReadRegistryString(RegistryRoot root, const WString& subKey,
                                              const WString&) override {
        if (subKey.size() % 2 == (root == RegistryRoot::CurrentUser ? 0u : 1u)) {
            return subKey;
        }
        return std::nullopt;
    }
    void ShowMessage(WindowHandle, const WString&, const WChar*, uint32_t) override {}
    void DebugOutput(const WString&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzServices services;
    ScopedSystemOverride useFuzzServices(services);
    AppState state;
    state.rootFolder = u"C:\\Package\\";
    CTextLine text;
    if (!text.SetText(data, static_cast<uint32_t>(size))) {
        return 0;
    }
    const char* item = text.NextItem();
    (void)LaunchTarget(state.rootFolder, item, text.ItemAnsiComplete());
    (void)BuildCopyList(state, text, nullptr);
    return 0;
}
