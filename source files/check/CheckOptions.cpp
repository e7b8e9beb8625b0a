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
