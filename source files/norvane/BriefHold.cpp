#include "norvane/BriefHold.h"

#include <algorithm>

#include "platform/SystemServices.h"

namespace {
constexpr uint32_t kPatienceMs = 2000;
constexpr uint32_t kFirstPauseMs = 10;
constexpr uint32_t kLongestPauseMs = 400;
}  // namespace

bool IsBriefHold(uint32_t code) {
    switch (code) {
        case kErrorSharingViolation:
        case kErrorLockViolation:
        case kErrorAccessDenied:
        case kErrorUnableToRemoveReplaced:
        case kErrorUnableToMoveReplacement:
        case kErrorUnableToMoveReplacement2: return true;
        default: return false;
    }
}

bool IsHoldCode(uint32_t code) {
    return code == kErrorSharingViolation || code == kErrorLockViolation;
}

BriefHoldWait::BriefHoldWait() : start_(System().Milliseconds()), nextPauseMs_(kFirstPauseMs) {}

bool BriefHoldWait::Again(uint32_t code) {
    if (!IsBriefHold(code)) return false;
    const uint64_t waited = System().Milliseconds() - start_;
    if (waited >= kPatienceMs) return false;
    const auto left = static_cast<uint32_t>(kPatienceMs - waited);
    System().Pause(std::min(nextPauseMs_, left));
    nextPauseMs_ = std::min(nextPauseMs_ * 2, kLongestPauseMs);
    return true;
}
