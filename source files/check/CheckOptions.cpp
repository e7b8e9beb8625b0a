#include "check/CheckOptions.h"

namespace {
constexpr WChar kInstallDir[] = u"--installdir";

ParsedOptions Refused(WString why) {
    ParsedOptions parsed;
    parsed.error = std::move(why);
    return parsed;
}

bool ReadInstallDir(const WString& value, CheckOptions& options) {
    const size_t equals = value.find(u'=');
    if (equals == WString::npos || equals == 0 || equals + 1 == value.size()) return false;
    options.installDirs.push_back({value.substr(0, equals), value.substr(equals + 1)});
    return true;
}
}  // namespace

const WChar kAnsiCodePagesText[] = u"874, 932, 936, 949, 950, 1250 to 1258";

std::optional<int> AnsiCodePageNamed(const WString& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int number = 0;
    for (WChar unit : text) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        number = number * 10 + (unit - u'0');
    }
    const bool known = number == 874 || number == 932 || number == 936 || number == 949 ||
                       number == 950 || (number >= 1250 && number <= 1258);
    if (!known) return std::nullopt;
    return number;
}

ParsedOptions ParseCheckOptions(const std::vector<WString>& arguments) {
    ParsedOptions parsed;
    CheckOptions& options = parsed.options;
    bool folderGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const WString& argument = arguments[i];
        if (argument == u"--help" || argument == u"-h") {
            options.help = true;
        } else if (argument == u"--version") {
            options.version = true;
        } else if (argument == u"--dry-run") {
            options.dryRun = true;
        } else if (argument == kInstallDir || argument.rfind(WString(kInstallDir) + u"=", 0) == 0) {
            const bool separate = argument == kInstallDir;
            if (separate && i + 1 == arguments.size())
                return Refused(u"--installdir needs KEY=FOLDER");
            const WString value = separate ? arguments[++i] : argument.substr(13);
            if (!ReadInstallDir(value, options)) {
                return Refused(u"--installdir needs KEY=FOLDER, not \"" + value + u"\"");
            }
        } else if (argument.size() > 1 && argument[0] == u'-') {
            return Refused(u"unknown option \"" + argument + u"\" (see --help)");
        } else if (folderGiven) {
            return Refused(u"one package folder only: \"" + options.packageFolder + u"\" and \"" +
                           argument + u"\"");
        } else {
            options.packageFolder = argument;
            folderGiven = true;
        }
    }
    if (options.help || options.version) {
        parsed.ok = true;
        return parsed;
    }
    if (!folderGiven) return Refused(u"no package folder given (see --help)");
    if (!options.installDirs.empty() && !options.dryRun) {
        return Refused(u"--installdir serves only a --dry-run");
    }
    parsed.ok = true;
    return parsed;
}
