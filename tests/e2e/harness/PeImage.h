#pragma once
// The machine a Windows executable is built for, read from its PE header.
#include <cstdint>
#include <string>

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// 0 when the file cannot be read or is no PE image.
std::uint16_t PeMachine(const std::wstring& exePath);
