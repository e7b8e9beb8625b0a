// The image's load configuration, which tells the loader how to treat the image before any of
// its code runs. It carries one setting: the DLLs that the static imports need are looked for
// in the system folder only (Windows 10 1607 and later), never beside the exe, which may lie in
// a folder where anyone can drop a DLL while the tool runs elevated. MSVC's runtime has a record
// of its own, which its linker fills from /DEPENDENTLOADFLAG; MinGW's linker does not enter this
// one in the image's data directory, which a step after the link does.
#ifdef __MINGW32__
#include <cstddef>
#include <cstdint>

constexpr uint16_t kSearchSystem32 = 0x0800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The record up to and including the safe exception handler table, which stays empty.
#ifdef _WIN64
struct LoadConfiguration {
    uint32_t size, timeDateStamp;
    uint16_t majorVersion, minorVersion;
    uint32_t globalFlagsClear, globalFlagsSet, criticalSectionDefaultTimeout;
    uint64_t deCommitFreeBlockThreshold, deCommitTotalFreeThreshold, lockPrefixTable;
    uint64_t maximumAllocationSize, virtualMemoryThreshold, processAffinityMask;
    uint32_t processHeapFlags;
    uint16_t csdVersion, dependentLoadFlags;
    uint64_t editList, securityCookie, seHandlerTable, seHandlerCount;
};
static_assert(offsetof(LoadConfiguration, dependentLoadFlags) == 0x4E, "64-bit layout");
#else
struct LoadConfiguration {
    uint32_t size, timeDateStamp;
    uint16_t majorVersion, minorVersion;
    uint32_t globalFlagsClear, globalFlagsSet, criticalSectionDefaultTimeout;
    uint32_t deCommitFreeBlockThreshold, deCommitTotalFreeThreshold, lockPrefixTable;
    uint32_t maximumAllocationSize, virtualMemoryThreshold, processHeapFlags, processAffinityMask;
    uint16_t csdVersion, dependentLoadFlags;
    uint32_t editList, securityCookie, seHandlerTable, seHandlerCount;
};
static_assert(offsetof(LoadConfiguration, dependentLoadFlags) == 0x36, "32-bit layout");
#endif

// A constant expression, so the record lies in the image as the loader must find it.
constexpr LoadConfiguration LoadConfigurationRecord() {
    LoadConfiguration record{};
    record.size = sizeof(LoadConfiguration);
    record.dependentLoadFlags = kSearchSystem32;
    return record;
}

extern "C" const LoadConfiguration _load_config_used = LoadConfigurationRecord();
#endif
