// Copying as a user meets it: Start copies every listed file into its product's install folder,
// the main dialog follows the run to "Copy complete!", the first failure stops the run with a
// box, and Exit afterwards asks the shell to open "Report.txt".
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/Scenario.h"
#include "harness/TextForm.h"
#include "harness/ToolCase.h"
#include "harness/UniqueHandle.h"

namespace {

constexpr int kStart = 1049;
constexpr int kExit = 1050;
constexpr int kDestination = 1047;
constexpr int kBar = 1048;
constexpr int kFileName = 1051;
constexpr int kTotal = 1052;
constexpr int kStatus = 1053;
constexpr int kCopied = 1054;
constexpr int kPercent = 1055;

constexpr wchar_t kComplete[] = L"Copy complete!";
constexpr wchar_t kCopying[] = L"Copying \u2026";
constexpr wchar_t kTemporaryName[] = L"~norvane.copy.tmp";
constexpr wchar_t kKeyBase[] = L"Software\\NorvaneE2E\\Copy";
constexpr DWORD kLongRunWaitMs = 30000;

struct Listed {
    std::wstring name;  // as the file line writes it
    size_t size;
};

enum Keys { PerUser = 1, PerMachine = 2 };

// One section of the list: its sources lie in <root><tag>\, its install folder is
// <case>\install\<tag>\ (made beforehand unless installExists is false). With both keys the
// per-machine value names a decoy folder that must stay empty.
struct Product {
    std::wstring tag;
    int keys;
    std::vector<Listed> files;
    bool installExists = true;
};

// Distinct bytes for every file, so that a swapped, truncated or stale file shows.
std::string Content(const std::wstring& tag, const std::wstring& name, size_t size) {
    std::uint64_t state = 1469598103934665603ull;
    for (wchar_t unit : tag + L"|" + name) state = (state ^ unit) * 1099511628211ull;
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        if (i % 8 == 0) state = state * 6364136223846793005ull + 1442695040888963407ull;
        bytes[i] = static_cast<char>(state >> (8 * (i % 8)));
    }
    return bytes;
}

// Values left behind by an interrupted earlier run would win over the case's own.
void ForgetOldKeys() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            UniqueKey software;
            if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | view, software.put()) == ERROR_SUCCESS) {
                RegDeleteTreeW(software.get(), L"NorvaneE2E\\Copy");
            }
        }
    }
}

// The package of a case: sources, registry values, "Update.up" and "Report.txt".
class Package {
public:
    Package(ToolCase& tool, const std::wstring& caseFolder, std::vector<Product> products)
        : tool_(tool), caseFolder_(caseFolder), products_(std::move(products)) {
        ForgetOldKeys();
        std::wstring list = L"[x]\r\n";
        for (const Product& product : products_) {
            const std::wstring key = std::wstring(kKeyBase) + L"\\" + product.tag;
            std::wstring folder = Install(product);
            if (product.installExists) MakeFolders(folder);
            if (product.keys & PerUser) {
                // Without its trailing backslash: the tool adds it.
                tool.Registry().SetString(HKEY_CURRENT_USER, key, L"INSTALLDIR", folder.substr(0, folder.size() - 1),
                                          RegistryView::Bits64);
            }
            if (product.keys & PerMachine) {
                tool.Registry().SetStringInBothViews(HKEY_LOCAL_MACHINE, key, L"INSTALLDIR",
                                                     product.keys & PerUser ? Decoy(product) : folder);
            }
            list += L"[SetParamter]\r\n" + key + L"\r\nNone\r\n0\r\nnot shown\r\n%Root%\\" + product.tag + L"\\\r\n";
            for (const Listed& file : product.files) {
                tool.WriteFile(product.tag + L"\\" + file.name, Content(product.tag, file.name, file.size));
                list += file.name + L"\r\n";
                entries_.push_back({&product, &file});
            }
        }
        tool.WriteListText(list);
        tool.WriteFile(L"Report.txt", "report");
    }

    struct Entry {
        const Product* product;
        const Listed* file;
    };
    const std::vector<Entry>& Entries() const { return entries_; }
    const std::vector<Product>& Products() const { return products_; }

    std::wstring Install(const Product& product) const { return caseFolder_ + L"install\\" + product.tag + L"\\"; }
    std::wstring Decoy(const Product& product) const { return caseFolder_ + L"decoy\\" + product.tag + L"\\"; }
    std::wstring Source(const Entry& entry) const { return tool_.InRoot(entry.product->tag + L"\\" + entry.file->name); }
    std::wstring Destination(const Entry& entry) const { return Install(*entry.product) + entry.file->name; }
    std::string Expected(const Entry& entry) const {
        return Content(entry.product->tag, entry.file->name, entry.file->size);
    }

private:
    ToolCase& tool_;
    std::wstring caseFolder_;
    std::vector<Product> products_;
    std::vector<Entry> entries_;
};

// What the main dialog shows.
struct Display {
    std::wstring status, destination, fileName, total, copied, percent;
    long long bar;
    bool startEnabled, exitEnabled;
};

Display ReadDisplay(HWND dialog) {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, kBar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return {ControlText(dialog, kStatus),    ControlText(dialog, kDestination), ControlText(dialog, kFileName),
            ControlText(dialog, kTotal),     ControlText(dialog, kCopied),      ControlText(dialog, kPercent),
            static_cast<long long>(position), IsControlEnabled(dialog, kStart), IsControlEnabled(dialog, kExit)};
}

void CheckDisplay(ScenarioRun& run, const std::string& stage, HWND dialog, const Display& expected) {
    const Display actual = ReadDisplay(dialog);
    run.Equal(stage + ": status (1053)", expected.status, actual.status);
    run.Equal(stage + ": destination folder (1047)", expected.destination, actual.destination);
    run.Equal(stage + ": file name (1051)", expected.fileName, actual.fileName);
    run.Equal(stage + ": total (1052)", expected.total, actual.total);
    run.Equal(stage + ": bytes transferred (1054)", expected.copied, actual.copied);
    run.Equal(stage + ": percentage (1055)", expected.percent, actual.percent);
    run.EqualNumber(stage + ": progress bar position (1048)", expected.bar, actual.bar);
    run.True(stage + ": Start enabled", actual.startEnabled == expected.startEnabled,
             expected.startEnabled ? "expected enabled" : "expected disabled");
    run.True(stage + ": Exit enabled", actual.exitEnabled == expected.exitEnabled,
             expected.exitEnabled ? "expected enabled" : "expected disabled");
}

// The main dialog once its preparation has ended and it is shown.
HWND AwaitReady(ToolCase& tool) {
    return tool.AwaitDialog("the main dialog, ready",
                            [](HWND window) { return IsMainDialog(window) && IsWindowVisible(window); });
}

HWND VisibleBoxOf(DWORD processId) {
    for (HWND window : DialogsOf(processId)) {
        if (IsMessageBox(window) && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Waits, bounded, until the status line reads "Copy complete!" with no box on the way.
void AwaitRunEnd(ScenarioRun& run, ToolCase& tool, HWND dialog, DWORD timeoutMs = kWindowWaitMs) {
    DebuggedTool& process = tool.Tool();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (ControlText(dialog, kStatus) != kComplete) {
        if (HWND box = VisibleBoxOf(process.ProcessId())) {
            const MessageBoxView view = ReadMessageBox(box);
            run.Abort("copy", "expected the run to end without a box, it shows " + Visible(view.caption) + ": " +
                                  Visible(view.text));
        }
        if (process.HasExited() || GetTickCount64() >= deadline) {
            run.Abort("copy", "expected the status \"Copy complete!\"; " + process.StateForReport() +
                                  "; dialogs of the tool:" + DescribeDialogs(process.ProcessId()));
        }
        Sleep(10);
    }
}

std::string ByteDifference(const std::string& expected, const std::optional<std::string>& actual) {
    if (!actual) return "the file cannot be read";
    size_t at = 0;
    while (at < expected.size() && at < actual->size() && expected[at] == (*actual)[at]) ++at;
    return "expected " + std::to_string(expected.size()) + " bytes, actual " + std::to_string(actual->size()) +
           ", first difference at byte " + std::to_string(at);
}

void ExpectBytes(ScenarioRun& run, const std::wstring& path, const std::string& expected) {
    const std::optional<std::string> actual = ReadBytes(path);
    const bool same = actual && *actual == expected;
    run.True(ToUtf8(path) + ": contents", same, same ? "" : ByteDifference(expected, actual));
}

// What a file set to the normal attribute reads back as here (Wine adds the archive attribute).
DWORD NormalAttributes(const std::wstring& caseFolder) {
    const std::wstring probe = caseFolder + L"attribute-probe";
    WriteBytes(probe, "probe");
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    return GetFileAttributesW(probe.c_str());
}

void ExpectCopied(ScenarioRun& run, const Package& package, const Package::Entry& entry, DWORD normal) {
    const std::wstring destination = package.Destination(entry);
    ExpectBytes(run, destination, package.Expected(entry));
    run.EqualNumber(ToUtf8(destination) + ": attributes", normal, GetFileAttributesW(destination.c_str()));
}

void ExpectNotCopied(ScenarioRun& run, const Package& package, const Package::Entry& entry) {
    const std::wstring destination = package.Destination(entry);
    run.True(ToUtf8(destination) + ": not copied", GetFileAttributesW(destination.c_str()) == INVALID_FILE_ATTRIBUTES,
             "expected no file, it exists");
}

// No temporary copy may stay beside any destination, whatever became of the run.
void ExpectNoTemporary(ScenarioRun& run, const Package& package) {
    for (const Package::Entry& entry : package.Entries()) {
        const std::wstring temporary = FolderOf(package.Destination(entry)) + kTemporaryName;
        run.True(ToUtf8(temporary) + ": left behind", GetFileAttributesW(temporary.c_str()) == INVALID_FILE_ATTRIBUTES,
                 "expected no temporary file, it exists");
    }
}

// The display name of a listed file: no folder, no last extension.
std::wstring DisplayName(const std::wstring& listed) {
    std::wstring name = listed.substr(listed.find_last_of(L'\\') + 1);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// The dialog at the end of a run that stopped at entry `failed`, after the entries before it.
Display StoppedDisplay(const Package& package, size_t failed, const wchar_t* total, const wchar_t* copied,
                       const wchar_t* percent, long long bar) {
    const Package::Entry& entry = package.Entries()[failed];
    return {kComplete, package.Install(*entry.product), DisplayName(entry.file->name), total, copied, percent, bar,
            false, true};
}

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"(null)";
    LocalFree(buffer);
    return text;
}

void ExitAfterCopy(ToolCase& tool, HWND dialog) {
    Click(dialog, kExit);
    tool.ExpectExit(0);
    tool.ExpectOpened({tool.InRoot(L"Report.txt")});
}

// Starts the tool, waits for the main dialog, lets `beforeStart` act while it waits, presses Start.
HWND StartCopy(ToolCase& tool, const std::function<void()>& beforeStart = {}) {
    tool.Start();
    HWND dialog = AwaitReady(tool);
    if (beforeStart) beforeStart();
    Click(dialog, kStart);
    return dialog;
}

// A whole run without failure, checked to its end: dialog texts, copied files, Exit.
void ExpectCompleteRun(ScenarioRun& run, ToolCase& tool, const Package& package, const std::wstring& caseFolder,
                       const std::wstring& total) {
    const DWORD normal = NormalAttributes(caseFolder);
    HWND dialog = StartCopy(tool);
    AwaitRunEnd(run, tool, dialog);
    const Package::Entry& last = package.Entries().back();
    CheckDisplay(run, "after the run", dialog,
                 {kComplete, package.Install(*last.product), DisplayName(last.file->name), total + L"byte", total,
                  L"100 %", 100, false, true});
    for (const Package::Entry& entry : package.Entries()) ExpectCopied(run, package, entry, normal);
    ExpectNoTemporary(run, package);
    ExitAfterCopy(tool, dialog);
    tool.ExpectDebugOutput(L"");
}

}  // namespace

E2E_SCENARIO(copy_package_complete) {
    struct Row {
        const wchar_t* name;
        std::vector<Product> products;
        const wchar_t* total;
        const wchar_t* readOnlySource;  // a source set read-only, relative to the root; may be null
    };
    const Row rows[] = {
        {L"two products, per-user and per-machine keys",
         {{L"A", PerUser, {{L"Prog.exe", 1000000}, {L"sub\\setup.dat", 200000}}},
          {L"B", PerMachine, {{L"Data\\Table.dat", 34000}, {L"docs\\manual.pdf", 567}}}},
         L"1,234,567", nullptr},
        // C's per-user key wins over its per-machine one, whose folder must stay empty; a copy
        // does not keep its source's read-only attribute; an empty file counts nothing.
        {L"three products, per-user key preferred, read-only and empty sources",
         {{L"A", PerUser, {{L"a.bin", 999}}},
          {L"B", PerMachine, {{L"empty.dat", 0}, {L"lib\\x\\y\\deep.bin", 1}}},
          {L"C", PerUser | PerMachine, {{L"notes.txt", 10}, {L"pkg\\archive.tar.gz", 990}}}},
         L"2,000", L"C\\pkg\\archive.tar.gz"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder, row.products);
            if (row.readOnlySource) SetFileAttributesW(tool.InRoot(row.readOnlySource).c_str(), FILE_ATTRIBUTE_READONLY);
            ExpectCompleteRun(run, tool, package, folder, row.total);
            for (const Product& product : package.Products()) {
                if (product.keys == (PerUser | PerMachine)) {
                    run.True("decoy folder of " + ToUtf8(product.tag) + " untouched",
                             GetFileAttributesW(package.Decoy(product).c_str()) == INVALID_FILE_ATTRIBUTES,
                             "expected no folder, it exists");
                }
            }
        });
    }
}

E2E_SCENARIO(copy_destination_overwritten) {
    // An existing destination, larger than the new file and carrying attributes that block or
    // hide it, is replaced and left with the normal attribute.
    struct Row {
        const wchar_t* name;
        DWORD attributes;
        const wchar_t* file;
    };
    static const Row rows[] = {
        {L"read-only and hidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, L"tool.dll"},
        {L"read-only, in a subfolder", FILE_ATTRIBUTE_READONLY, L"bin\\tool.dll"},
        {L"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, L"tool.dll"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder, {{L"A", PerUser, {{row.file, 3000}}}});
            const std::wstring destination = package.Destination(package.Entries()[0]);
            WriteBytes(destination, Content(L"old", row.file, 5000));
            SetFileAttributesW(destination.c_str(), row.attributes);
            const DWORD set = GetFileAttributesW(destination.c_str());
            if ((set & row.attributes) != row.attributes) {
                run.Abort("setup", "the file system here does not keep the attributes " +
                                       std::to_string(row.attributes) + " (read back " + std::to_string(set) + ")");
            }
            ExpectCompleteRun(run, tool, package, folder, L"3,000");
        });
    }
}

E2E_SCENARIO(copy_folder_chain_created) {
    // Missing folders on the way to a destination are made before its file is copied; a later
    // file reuses the folders an earlier one made.
    struct Row {
        const wchar_t* name;
        Product product;
        const wchar_t* total;
    };
    const Row rows[] = {
        {L"three levels below the install folder",
         {L"A", PerUser, {{L"Data\\Deep\\er\\file.bin", 1234}, {L"Data\\Deep\\second.bin", 10}, {L"top.bin", 6}}},
         L"1,250"},
        {L"the install folder and its parents missing",
         {L"New\\Product", PerMachine, {{L"file.bin", 4096}, {L"a\\b.txt", 4}}, false},
         L"4,100"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder, {row.product});
            ExpectCompleteRun(run, tool, package, folder, row.total);
        });
    }
}

E2E_SCENARIO(copy_source_vanished) {
    // The second of four entries cannot be read any more when Start copies it: the run stops
    // with the system's report, the first entry stays copied, the later ones are not copied,
    // and the old destination of the failed entry stays as it was.
    struct Row {
        const wchar_t* name;
        DWORD error;
        std::function<bool(const std::wstring& source, UniqueFile& holder)> disturb;
    };
    const Row rows[] = {
        {L"source file deleted", ERROR_FILE_NOT_FOUND,
         [](const std::wstring& source, UniqueFile&) {
             return DeleteFileW(source.c_str()) != FALSE;
         }},
        {L"source folder removed", ERROR_PATH_NOT_FOUND,
         [](const std::wstring& source, UniqueFile&) {
             RemoveTree(FolderOf(source));
             return GetFileAttributesW(FolderOf(source).c_str()) == INVALID_FILE_ATTRIBUTES;
         }},
        {L"source opened exclusively by another program", ERROR_SHARING_VIOLATION,
         [](const std::wstring& source, UniqueFile& holder) {
             holder.reset(CreateFileW(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             return static_cast<bool>(holder);
         }},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder,
                            {{L"A", PerUser, {{L"first.bin", 1500}, {L"sub\\gone.dat", 2000}, {L"later.bin", 700}}},
                             {L"B", PerMachine, {{L"b.bin", 300}}}});
            const auto& entries = package.Entries();
            const std::string oldBytes = "old contents of gone.dat\r\n";
            WriteBytes(package.Destination(entries[1]), oldBytes);
            const DWORD normal = NormalAttributes(folder);

            UniqueFile holder;
            HWND dialog = StartCopy(tool, [&] {
                if (!row.disturb(package.Source(entries[1]), holder)) run.Abort("setup", "cannot disturb the source");
            });
            const MessageBoxView box = tool.AwaitMessageBox("copy failure");
            const std::wstring systemText = SystemText(row.error);
            tool.CheckBox("copy failure", box,
                          {L"error", L"\u25C6message\u25C6\r\nCopy failed.\r\n\n\u25C6error\u25C6\r\n" + systemText, true},
                          nullptr);
            Display stopped = StoppedDisplay(package, 1, L"4,500byte", L"1,500", L" 33 %", 33);
            Display whileBox = stopped;
            whileBox.status = kCopying;
            whileBox.exitEnabled = false;
            CheckDisplay(run, "while the failure box shows", dialog, whileBox);
            tool.Answer(box);
            AwaitRunEnd(run, tool, dialog);
            CheckDisplay(run, "after the failure", dialog, stopped);

            ExpectCopied(run, package, entries[0], normal);
            ExpectBytes(run, package.Destination(entries[1]), oldBytes);
            ExpectNotCopied(run, package, entries[2]);
            ExpectNotCopied(run, package, entries[3]);
            ExpectNoTemporary(run, package);
            ExitAfterCopy(tool, dialog);
            const std::wstring down = L"\u2193\u2193\u2193\u2193\u2193\u2193";
            const std::wstring up = L"\u2191\u2191\u2191\u2191\u2191\u2191";
            tool.ExpectDebugOutput(down + L" Error " + down +
                                   L"\n[407 line] source files\\norvane\\norvane\nCopy failed.\n" + systemText + up +
                                   L" Error " + up + L"\n");
        });
    }
}

E2E_SCENARIO(copy_folder_blocked_by_file) {
    // A file stands where a folder of the second entry's destination must be: the run stops
    // with "Failed to make directory.", that file stays as it was, the first entry stays copied
    // and the later ones are not copied.
    struct Row {
        const wchar_t* name;
        std::vector<Product> products;
        const wchar_t* blocker;  // under the install folders of the case
    };
    const Row rows[] = {
        {L"a file where the first folder must be",
         {{L"A", PerUser, {{L"first.bin", 1500}, {L"Data\\file.bin", 2000}, {L"later.bin", 700}}}}, L"A\\Data"},
        {L"a file where a deeper folder must be",
         {{L"A", PerUser, {{L"first.bin", 1500}, {L"Data\\Deep\\file.bin", 2000}, {L"later.bin", 700}}}},
         L"A\\Data\\Deep"},
        {L"a file where the install folder must be",
         {{L"A", PerUser, {{L"first.bin", 1500}}},
          {L"B", PerMachine, {{L"file.bin", 2000}, {L"later.bin", 700}}, false}},
         L"B"},
    };
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder, row.products);
            const auto& entries = package.Entries();
            const std::wstring blocker = folder + L"install\\" + row.blocker;
            const std::string blockerBytes = "a file, not a folder";
            WriteBytes(blocker, blockerBytes);
            const DWORD normal = NormalAttributes(folder);

            HWND dialog = StartCopy(tool);
            const MessageBoxView box = tool.AwaitMessageBox("folder failure");
            tool.CheckBox("folder failure", box, {L"File transfer error", L"Failed to make directory.", false}, dialog);
            Display stopped = StoppedDisplay(package, 1, L"4,200byte", L"1,500", L" 35 %", 35);
            Display whileBox = stopped;
            whileBox.status = kCopying;
            whileBox.exitEnabled = false;
            CheckDisplay(run, "while the failure box shows", dialog, whileBox);
            tool.Answer(box);
            AwaitRunEnd(run, tool, dialog);
            CheckDisplay(run, "after the failure", dialog, stopped);

            ExpectBytes(run, blocker, blockerBytes);
            ExpectCopied(run, package, entries[0], normal);
            for (size_t i = 1; i < entries.size(); ++i) ExpectNotCopied(run, package, entries[i]);
            ExitAfterCopy(tool, dialog);
            tool.ExpectDebugOutput(L"");
        });
    }
}

E2E_SCENARIO(copy_close_during_copy) {
    // A close request right after Start, while large files are copied: either it is refused and
    // the run goes on to its end with the dialog open, after which the same request closes it,
    // or the run had already ended and the dialog closes. Either way no file is lost or left
    // half-made, and the tool ends with 0.
    struct Row {
        const wchar_t* name;
        UINT message;
        WPARAM wParam;
    };
    static const Row rows[] = {
        {L"WM_CLOSE", WM_CLOSE, 0},
        {L"WM_SYSCOMMAND SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE},
    };
    constexpr size_t kBig = 32u << 20;
    for (const Row& row : rows) {
        run.Case(row.name, [&](const std::wstring& folder) {
            ToolCase tool(run, folder);
            Package package(tool, folder,
                            {{L"A", PerUser, {{L"big1.bin", kBig}, {L"media\\big2.bin", kBig}, {L"big3.bin", kBig}}}});
            const DWORD normal = NormalAttributes(folder);
            HWND dialog = StartCopy(tool);
            // Posted after Start's click, so the dialog meets it right after creating the worker.
            PostMessageW(dialog, row.message, row.wParam, 0);

            DebuggedTool& process = tool.Tool();
            const ULONGLONG deadline = GetTickCount64() + kLongRunWaitMs;
            while (IsWindow(dialog) && ControlText(dialog, kStatus) != kComplete) {
                if (VisibleBoxOf(process.ProcessId())) run.Abort("copy", "a box showed:" + DescribeDialogs(process.ProcessId()));
                if (GetTickCount64() >= deadline) run.Abort("copy", "the run did not end; " + process.StateForReport());
                Sleep(10);
            }
            if (IsWindow(dialog)) {
                run.Note("the close request came while the copy ran and was refused");
                CheckDisplay(run, "after the run", dialog,
                             {kComplete, package.Install(package.Products()[0]), L"big3", L"100,663,296byte",
                              L"100,663,296", L"100 %", 100, false, true});
                PostMessageW(dialog, row.message, row.wParam, 0);
            } else {
                run.Note("the run had ended before the close request");
            }
            tool.ExpectExit(0);
            tool.ExpectOpened({});
            for (const Package::Entry& entry : package.Entries()) ExpectCopied(run, package, entry, normal);
            ExpectNoTemporary(run, package);
        });
    }
}
