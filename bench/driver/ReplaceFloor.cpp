#include "driver/ReplaceFloor.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "Stopwatch.h"
#include "driver/TextOut.h"
#include "platform/win32/UniqueResource.h"

namespace {
// Beside the destination, in its folder, so the replacement stays on one volume; never the
// name of a file of the sets.
constexpr wchar_t kTemporarySuffix[] = L".floor-tmp";

struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { ::FindClose(handle); }
};

// The relative paths of the files under root\relative, folders walked depth first.
void ListFiles(const std::wstring& root, const std::wstring& relative,
               std::vector<std::wstring>& files) {
    WIN32_FIND_DATAW found{};
    UniqueResource<FindTraits> find(::FindFirstFileW((root + relative + L"*").c_str(), &found));
    if (!find) throw std::runtime_error("cannot list " + ToUtf8(root + relative));
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(root, relative + name + L"\\", files);
        } else {
            files.push_back(relative + name);
        }
    } while (::FindNextFileW(find.get(), &found));
}

std::wstring WithSeparator(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
}

[[noreturn]] void Fail(const char* step, const std::wstring& path) {
    throw std::runtime_error(std::string(step) + " " + ToUtf8(path) + " failed, error " +
                             std::to_string(::GetLastError()));
}
}  // namespace

FloorTimes TimeReplaceFloor(const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                            const std::function<void()>& beforeClock) {
    const std::wstring source = WithSeparator(sourceFolder);
    const std::wstring destination = WithSeparator(destinationFolder);
    std::vector<std::wstring> files;
    ListFiles(source, L"", files);
    if (files.empty()) throw std::runtime_error("no file under " + ToUtf8(source));
    std::sort(files.begin(), files.end());

    FloorTimes times;
    beforeClock();
    Stopwatch clock;
    for (const std::wstring& file : files) {
        const std::wstring target = destination + file;
        const std::wstring temporary = target + kTemporarySuffix;
        if (!::CopyFileW((source + file).c_str(), temporary.c_str(), TRUE)) {
            Fail("the copy to", temporary);
        }
        if (!::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            Fail("the replacement of", target);
        }
    }
    times.elapsedMs = clock.ElapsedMs();
    times.files = files.size();
    return times;
}
