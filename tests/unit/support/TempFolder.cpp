#include "support/TempFolder.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include "platform/posix/PosixServices.h"
#endif

namespace fs = std::filesystem;

namespace {
std::atomic<int> g_counter{0};

#ifdef _WIN32
fs::path Host(const WString& windowsPath) {
    return fs::path(std::wstring(windowsPath.begin(), windowsPath.end()));
}

WString BaseFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    std::wstring base(buffer);
    return WString(base.begin(), base.end());
}
#else
fs::path Host(const WString& windowsPath) {
    return fs::path(PosixSystem().HostPath(windowsPath));
}

// Natively the drive T: stands for one host folder per test process.
WString BaseFolder() {
    static const bool mapped = [] {
        std::string pattern = (fs::temp_directory_path() / "norvane-tests-XXXXXX").string();
        PosixSystem().MapDrive('T', ::mkdtemp(pattern.data()));
        return true;
    }();
    (void)mapped;
    return u"T:\\";
}
#endif

WString Number(long value) {
    std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}
}  // namespace

std::string Narrow(const WString& text) {
    std::string out;
    for (WChar unit : text) out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

TempFolder::TempFolder() {
#ifdef _WIN32
    long process = static_cast<long>(::GetCurrentProcessId());
#else
    long process = static_cast<long>(::getpid());
#endif
    path_ = BaseFolder() + u"nv" + Number(process) + u"-" + Number(++g_counter) + u"\\";
    fs::remove_all(Host(path_));
    fs::create_directories(Host(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(Host(path_), ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(Host(path_), ignored);
}

void TempFolder::WriteFile(const WString& relative, const std::string& bytes) const {
    fs::path file = Host(path_ + relative);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> TempFolder::ReadFile(const WString& relative) const {
    std::ifstream in(Host(path_ + relative), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempFolder::MakeFolder(const WString& relative) const {
    fs::create_directories(Host(path_ + relative));
}

bool TempFolder::Exists(const WString& relative) const {
    return fs::exists(Host(path_ + relative));
}

bool TempFolder::IsFolder(const WString& relative) const {
    return fs::is_directory(Host(path_ + relative));
}
