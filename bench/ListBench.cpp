// Prints how fast the list file's road runs: loading a large "Update.up" into the text model,
// walking every line and item, and preparing a copy list of the full 2048 entries. Figures only;
// nothing here passes or fails on time.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/AppState.h"
#include "norvane/BuildCopyList.h"
#include "platform/posix/PosixServices.h"
#include "text/CTextLine.h"

namespace {
// Every file exists and every key resolves, so the preparation runs to its end.
class QuietServices : public PosixServices {
public:
    uint32_t GetAttributes(const WString&) override { return kFileAttributeNormal; }
    OpenForReadResult ProbeOpenForRead(const WString&) override { return {true, 0, 4096, nullptr}; }
    std::optional<WString> ReadRegistryString(RegistryRoot, const WString&,
                                              const WString&) override {
        return WString(u"C:\\Program Files\\Example\\");
    }
    void ShowMessage(WindowHandle, const WString&, const WChar*, uint32_t) override {}
};

std::string ListText(int sections, int filesPerSection) {
    std::string text = "[Readme]Readme.txt\r\n";
    for (int s = 0; s < sections; ++s) {
        text += "[SetParamter]\r\nSoftware\\Example\\Product" + std::to_string(s) +
                "\r\n1,Product.exe\r\n0\r\nNot installed.\r\n%Root%\\P" + std::to_string(s) +
                "\\\r\n";
        for (int f = 0; f < filesPerSection; ++f) {
            text += "Data\\Sub\\file" + std::to_string(f) + ".dat\t// a comment\r\n";
        }
    }
    return text;
}

template <typename Work>
double Seconds(int rounds, Work work) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}
}  // namespace

int main() {
    QuietServices services;
    ScopedSystemOverride quiet(services);

    std::string big = ListText(500, 400);  // 200,000 file lines
    double walk = Seconds(5, [&] {
        CTextLine text;
        text.SetText(big.data(), static_cast<uint32_t>(big.size()));
        while (text.NextLine()) {
            while (text.NextItem() != nullptr) {
            }
        }
    });
    std::printf("text model: %.1f MB list, load and walk every item: %.1f ms (%.0f MB/s)\n",
                big.size() / 1e6, walk * 1e3, big.size() / 1e6 / walk);

    std::string full = ListText(8, 256);  // exactly the 2048-entry limit
    double prepare = Seconds(20, [&] {
        AppState state;
        state.rootFolder = u"C:\\Package\\";
        CTextLine text;
        text.SetText(full.data(), static_cast<uint32_t>(full.size()));
        BuildCopyList(state, text, nullptr);
    });
    std::printf("copy list: 2048 entries prepared (file system stubbed): %.2f ms\n", prepare * 1e3);
    std::printf("text model object: %zu bytes of fixed buffers\n", sizeof(CTextLine));
    return 0;
}
