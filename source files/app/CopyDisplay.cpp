#include "app/CopyDisplay.h"

void CopyDisplay::ShowEntry(const WString& destFolder, const WString& fileName) {
    std::lock_guard<std::mutex> lock(mutex_);
    current_.destFolder = destFolder;
    current_.fileName = fileName;
    ++current_.version;
}

void CopyDisplay::ShowCopiedBytes(uint64_t copiedBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    current_.copiedBytes = copiedBytes;
    ++current_.version;
}

bool CopyDisplay::TakeNewer(View& view) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (view.version == current_.version) return false;
    view = current_;
    return true;
}
