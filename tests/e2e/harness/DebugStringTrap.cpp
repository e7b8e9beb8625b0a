#include "DebugStringTrap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t kInt3 = 0xCC;
constexpr DWORD kTrapFlag = 0x100;
constexpr size_t kLongestText = 1 << 20;

template <typename T>
bool ReadValue(HANDLE process, std::uintptr_t address, T& value) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), &value, sizeof value, &read) &&
           read == sizeof value;
}

bool ReadBlock(HANDLE process, std::uintptr_t address, void* buffer, size_t size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), buffer, size, &read) && read == size;
}

std::wstring ReadWideText(HANDLE process, std::uintptr_t address) {
    constexpr std::uintptr_t kPage = 4096;
    std::wstring text;
    wchar_t chunk[kPage / sizeof(wchar_t)];
    while (text.size() < kLongestText) {
        // Never read across a page edge in one piece: the next page may not be readable.
        const std::uintptr_t at = address + text.size() * sizeof(wchar_t);
        const size_t bytes = std::max<size_t>(sizeof(wchar_t), (kPage - at % kPage) & ~size_t(1));
        SIZE_T read = 0;
        ReadProcessMemory(process, reinterpret_cast<const void*>(at), chunk, bytes, &read);
        const size_t units = read / sizeof(wchar_t);
        if (units == 0) break;
        for (size_t i = 0; i < units; ++i) {
            if (chunk[i] == L'\0') return text;
            text += chunk[i];
        }
    }
    return text;
}

// The export directory's place in the image, from the optional header of either bitness.
bool FindExportDirectory(HANDLE process, std::uintptr_t base, DWORD& rva, DWORD& size) {
    IMAGE_DOS_HEADER dos{};
    if (!ReadValue(process, base, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    const std::uintptr_t nt = base + static_cast<std::uintptr_t>(dos.e_lfanew);
    WORD magic = 0;
    if (!ReadValue(process, nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader), magic)) return false;
    IMAGE_DATA_DIRECTORY directory{};
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_NT_HEADERS32 headers{};
        if (!ReadValue(process, nt, headers)) return false;
        directory = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_NT_HEADERS64 headers{};
        if (!ReadValue(process, nt, headers)) return false;
        directory = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    } else {
        return false;
    }
    rva = directory.VirtualAddress;
    size = directory.Size;
    return rva != 0;
}

// Address of an exported function of the module at base when the module has the given name.
// The export data (directory, tables and name strings) is read in one piece: every single read
// of another process's memory is a round trip to the wineserver.
std::uintptr_t FindExport(HANDLE process, std::uintptr_t base, const char* moduleName, const char* function) {
    DWORD exportRva = 0;
    DWORD exportSize = 0;
    if (!FindExportDirectory(process, base, exportRva, exportSize)) return 0;
    if (exportSize < sizeof(IMAGE_EXPORT_DIRECTORY)) return 0;
    std::vector<char> data(exportSize + 1, '\0');  // the extra NUL ends a name cut at the edge
    if (!ReadBlock(process, base + exportRva, data.data(), exportSize)) return 0;

    // Offsets in the block; anything outside it is not looked at.
    auto inBlock = [&](DWORD rva, size_t size) { return rva >= exportRva && rva - exportRva + size <= exportSize; };
    auto at = [&](DWORD rva) { return data.data() + (rva - exportRva); };

    IMAGE_EXPORT_DIRECTORY exports{};
    std::memcpy(&exports, data.data(), sizeof exports);
    if (!inBlock(exports.Name, 1) || _stricmp(at(exports.Name), moduleName) != 0) return 0;
    if (!inBlock(exports.AddressOfNames, exports.NumberOfNames * sizeof(DWORD)) ||
        !inBlock(exports.AddressOfNameOrdinals, exports.NumberOfNames * sizeof(WORD)) ||
        !inBlock(exports.AddressOfFunctions, exports.NumberOfFunctions * sizeof(DWORD))) {
        return 0;
    }
    for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
        DWORD nameRva = 0;
        std::memcpy(&nameRva, at(exports.AddressOfNames) + i * sizeof(DWORD), sizeof nameRva);
        if (!inBlock(nameRva, 1) || std::strcmp(at(nameRva), function) != 0) continue;
        WORD ordinal = 0;
        std::memcpy(&ordinal, at(exports.AddressOfNameOrdinals) + i * sizeof(WORD), sizeof ordinal);
        if (ordinal >= exports.NumberOfFunctions) return 0;
        DWORD rva = 0;
        std::memcpy(&rva, at(exports.AddressOfFunctions) + ordinal * sizeof(DWORD), sizeof rva);
        // An address inside the export data is a forwarder string, not code.
        if (rva >= exportRva && rva < exportRva + exportSize) return 0;
        return base + rva;
    }
    return 0;
}

#ifdef _WIN64
bool IsWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}
#endif

// Reads the text argument of the stopped call and moves the thread back onto the call's first
// instruction with the trap flag set, so that it runs that one instruction and stops again.
bool TakeArgumentAndStep(HANDLE process, HANDLE thread, std::uintptr_t address, std::wstring& text) {
#ifdef _WIN64
    if (IsWow64(process)) {
        WOW64_CONTEXT context{};
        context.ContextFlags = WOW64_CONTEXT_CONTROL;
        if (!Wow64GetThreadContext(thread, &context)) return false;
        DWORD argument = 0;  // first stack argument of a stdcall function, above the return address
        if (!ReadValue(process, context.Esp + 4, argument)) return false;
        text = ReadWideText(process, argument);
        context.Eip = static_cast<DWORD>(address);
        context.EFlags |= kTrapFlag;
        return Wow64SetThreadContext(thread, &context);
    }
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    if (!GetThreadContext(thread, &context)) return false;
    text = ReadWideText(process, context.Rcx);  // first argument of the x64 calling convention
    context.Rip = address;
    context.EFlags |= kTrapFlag;
    return SetThreadContext(thread, &context);
#else
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(thread, &context)) return false;
    DWORD argument = 0;
    if (!ReadValue(process, context.Esp + 4, argument)) return false;
    text = ReadWideText(process, argument);
    context.Eip = static_cast<DWORD>(address);
    context.EFlags |= kTrapFlag;
    return SetThreadContext(thread, &context);
#endif
}

}  // namespace

void DebugStringTrap::OnModuleLoaded(HANDLE process, void* base) {
    if (IsSet()) return;
    const std::uintptr_t address =
        FindExport(process, reinterpret_cast<std::uintptr_t>(base), "kernelbase.dll", "OutputDebugStringW");
    if (address == 0 || !ReadValue(process, address, original_)) return;
    address_ = address;
    if (!WriteByte(process, kInt3)) address_ = 0;
}

bool DebugStringTrap::OnBreakpoint(HANDLE process, HANDLE thread, DWORD threadId, const void* address,
                                   std::wstring& text) {
    if (!IsSet() || reinterpret_cast<std::uintptr_t>(address) != address_) return false;
    WriteByte(process, original_);
    if (TakeArgumentAndStep(process, thread, address_, text)) {
        steppingThread_ = threadId;
    } else {
        address_ = 0;  // cannot step over it safely: leave the original instruction in place
    }
    return true;
}

bool DebugStringTrap::OnSingleStep(HANDLE process, DWORD threadId) {
    if (steppingThread_ == 0 || threadId != steppingThread_) return false;
    steppingThread_ = 0;
    if (IsSet()) WriteByte(process, kInt3);
    return true;
}

bool DebugStringTrap::WriteByte(HANDLE process, std::uint8_t value) {
    void* target = reinterpret_cast<void*>(address_);
    SIZE_T written = 0;
    // Wine writes another process's memory regardless of page protection, whereas changing the
    // protection of a debuggee stopped at a debug event stalls for seconds there: try the plain
    // write first.
    bool ok = WriteProcessMemory(process, target, &value, 1, &written) && written == 1;
    if (!ok) {
        DWORD oldProtection = 0;
        if (VirtualProtectEx(process, target, 1, PAGE_EXECUTE_READWRITE, &oldProtection)) {
            ok = WriteProcessMemory(process, target, &value, 1, &written) && written == 1;
            VirtualProtectEx(process, target, 1, oldProtection, &oldProtection);
        }
    }
    FlushInstructionCache(process, target, 1);
    return ok;
}
