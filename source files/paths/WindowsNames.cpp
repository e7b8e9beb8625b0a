#include "paths/WindowsNames.h"

#include "base/CaseFold.h"

namespace {
constexpr WChar kRefused[] = u"<>\"|?*";
constexpr const WChar* kDevices[] = {u"con", u"prn", u"aux", u"nul"};
constexpr const WChar* kNumberedDevices[] = {u"com", u"lpt"};

bool IsSeparator(WChar unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsControl(WChar unit) {
    return unit < 0x20 || unit == 0x7F;
}

// The part of a name that Windows compares with its devices' names: up to the first dot,
// without the blanks at its end.
WString DeviceBase(const WString& name) {
    WString base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    return base;
}

bool IsDeviceName(const WString& name) {
    const WString base = CaseFolded(DeviceBase(name));
    for (const WChar* device : kDevices) {
        if (base == device) return true;
    }
    for (const WChar* device : kNumberedDevices) {
        if (base.size() == 4 && base.compare(0, 3, device) == 0 && base[3] >= u'1' &&
            base[3] <= u'9') {
            return true;
        }
    }
    return false;
}

std::optional<NameFault> NameFaultOf(const WString& name) {
    for (WChar unit : name) {
        if (unit == u':') return NameFault{NameRule::Stream, name, unit};
        if (IsControl(unit) || WString(kRefused).find(unit) != WString::npos) {
            return NameFault{NameRule::RefusedCharacter, name, unit};
        }
    }
    if (IsDeviceName(name)) return NameFault{NameRule::DeviceName, name};
    return std::nullopt;
}
}  // namespace

std::optional<NameFault> WindowsNameFault(const WString& relativePath) {
    size_t start = 0;
    for (size_t i = 0; i <= relativePath.size(); ++i) {
        if (i < relativePath.size() && !IsSeparator(relativePath[i])) continue;
        const WString name = relativePath.substr(start, i - start);
        // A separator right after another, or at the very start, after the folder's own.
        if (name.empty() && i < relativePath.size()) {
            return NameFault{NameRule::DoubledSeparator, relativePath.substr(start, 1)};
        }
        if (std::optional<NameFault> fault = NameFaultOf(name)) return fault;
        start = i + 1;
    }
    return std::nullopt;
}

WString CodePointText(WChar unit) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    WString code = u"U+";
    for (int shift = 12; shift >= 0; shift -= 4) {
        code += static_cast<WChar>(kHex[(unit >> shift) & 0xF]);
    }
    return code;
}

WString ShownCharacter(WChar unit) {
    return IsControl(unit) ? CodePointText(unit) : WString(1, unit);
}

WString WindowsNameFaultText(const NameFault& fault) {
    switch (fault.rule) {
        case NameRule::DoubledSeparator:
            return u"two separators in a row (or one at its start, after the folder's own) leave "
                   u"an "
                   u"empty name between them, which Windows refuses";
        case NameRule::RefusedCharacter:
            return Quoted(ShownCharacter(fault.character)) +
                   u" is a character Windows refuses in a name";
        case NameRule::Stream: {
            const size_t colon = fault.name.find(u':');
            return u"\":\" is a character Windows refuses in a name: " + Quoted(fault.name) +
                   u" would name the stream " + Quoted(fault.name.substr(colon + 1)) + u" of " +
                   Quoted(fault.name.substr(0, colon));
        }
        case NameRule::DeviceName: {
            WString device = DeviceBase(fault.name);
            for (WChar& unit : device) {
                if (unit >= u'a' && unit <= u'z') unit = static_cast<WChar>(unit - u'a' + u'A');
            }
            return Quoted(fault.name) + u" names the device " + device +
                   u", which Windows keeps for the device whatever the extension";
        }
    }
    return WString();
}

WString AsWindowsOpens(const WString& path) {
    size_t end = path.size();
    while (end > 0 && (path[end - 1] == u' ' || path[end - 1] == u'.')) --end;
    // Nothing is dropped from "." and "..", nor from a name that is nothing else.
    if (end == 0 || IsSeparator(path[end - 1])) return path;
    return path.substr(0, end);
}
