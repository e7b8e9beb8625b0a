#include "support/TempFolder.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/posix/PosixServices.h"
#endif

namespace fs = std::filesystem;

WString Wide(const std::string& text) {
    return WString(text.begin(), text.end());
}

std::string Narrow(const WString& text) {
    std::string out;
    for (WChar unit : text) out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

namespace {
// Read-only files included: a failed row may leave one, and a later run may get the same name.
void RemoveTree(const fs::path& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(folder, ignored);
}
}  // namespace

TempFolder::TempFolder() {
    static int count = 0;
#ifdef _WIN32
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    path_ = WString(base, base + wcslen(base));
    const long process = static_cast<long>(::GetCurrentProcessId());
#else
    // Natively the drive T: stands for one host folder per test process.
    static const bool mapped = [] {
        std::string pattern = (fs::temp_directory_path() / "norvane-tests-XXXXXX").string();
        PosixSystem().MapDrive('T', ::mkdtemp(pattern.data()));
        return true;
    }();
    path_ = mapped ? u"T:\\" : u"";
    const long process = static_cast<long>(::getpid());
#endif
    path_ += Wide("nv" + std::to_string(process) + "-" + std::to_string(++count) + "\\");
    RemoveTree(Host(u""));
    fs::create_directories(Host(u""));
}

TempFolder::~TempFolder() {
    RemoveTree(Host(u""));
}

fs::path TempFolder::Host(const WString& relative) const {
#ifdef _WIN32
    const WString path = path_ + relative;
    return std::wstring(path.begin(), path.end());
#else
    return PosixSystem().HostPath(path_ + relative);
#endif
}

void TempFolder::WriteFile(const WString& relative, const std::string& bytes) const {
    fs::create_directories(Host(relative).parent_path());
    std::ofstream(Host(relative), std::ios::binary) << bytes;
}

std::optional<std::string> TempFolder::ReadFile(const WString& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempFolder::MakeFolder(const WString& relative) const {
    fs::create_directories(Host(relative));
}
