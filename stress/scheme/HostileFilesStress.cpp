// Hostile key-map files: slot 1's file is empty, huge (1 GB, sparse), of odd length, full of
// U+0000 or U+FFFF, read-only, a folder, or held open by another process. Each of the slot check,
// a load, a name read and a save runs on a fresh copy of each case in a process of its own, which
// must end by itself within two minutes (no crash, no hang) with the result listed for the case.
// A slot file that is there but cannot be read is never replaced. Prints one line per case and
// operation; exit status 1 if any differs from what is listed.
// Usage: scheme_hostile_files_stress.exe   (it runs itself with --op NAME for each operation)
#include <windows.h>

#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Stopwatch.h"
#include "WinTestSupport.h"
#include "framework/UniqueHandle.h"
#include "scheme/FangAnSlots.h"

using namespace schemetest;
using pelo::scheme::kDefaultKeyTable;

namespace {

constexpr wchar_t kSlotFile[] = L".\\fangan\\1.kmf";
constexpr char16_t kUserName[] = u"用户的方案";
constexpr char16_t kEarlierName[] = u"以前";
constexpr char16_t kNewName[] = u"新方案";

void FillTable(KeyTCharPair* table, char16_t seed)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        table[i] = { static_cast<char16_t>(seed + 2 * i), static_cast<char16_t>(seed + 2 * i + 1) };
    }
}

bool SameTable(const KeyTCharPair* a, const KeyTCharPair* b)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        if (a[i].tchar1 != b[i].tchar1 || a[i].tchar2 != b[i].tchar2) {
            return false;
        }
    }
    return true;
}

// A record filled key by key, so that the hook library is not told.
void Fill(CKeyMapFangAn& record, const char16_t* name, char16_t seed)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, seed);
    record.SetFangAnName(name);
    for (int i = 0; i < KEY_COUNT; ++i) {
        record.SetKeyTChar(i, 0, table[i].tchar1);
        record.SetKeyTChar(i, 1, table[i].tchar2);
    }
}

Bytes UserFile()
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x3000);
    return Encoded(kUserName, table);
}

Bytes NewFile()
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x5000);
    return Encoded(kNewName, table);
}

// The name as UTF-8, units that are not printable as \uXXXX.
std::string Shown(const char16_t* name)
{
    std::string out;
    for (int i = 0; i < FANGAN_NAME_UNITS && name[i] != 0; ++i) {
        const unsigned u = name[i];
        if (u < 0x20 || (u >= 0xD800 && u <= 0xDFFF) || u >= 0xFFFE) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", u);
            out += escaped;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string NameOf(const CKeyMapFangAn& record)
{
    char16_t name[FANGAN_NAME_UNITS + 1] = {};
    record.GetFangAnName(name);
    return Shown(name);
}

// ---- The operations, each run in a process of its own. Writes its result to result.txt.

std::string RunOperation(const std::string& op)
{
    if (op == "check") {
        FangAnNameTable names = {};
        CheckFangAnFiles(names);
        return "name=" + Shown(names[0]);
    }
    CKeyMapFangAn record;
    if (op == "save") {
        Fill(record, kNewName, 0x5000);
        return "ret=" + std::to_string(record.SaveFangAnFile(kSlotFile));
    }
    Fill(record, kEarlierName, 0x7000);
    if (op == "read") {
        const int ret = record.ReadFangAnName(kSlotFile);
        return "ret=" + std::to_string(ret != 0 ? 1 : 0) + " name=" + NameOf(record);
    }
    if (op == "load") {
        const int ret = record.LoadFangAnFile(kSlotFile);
        KeyTCharPair table[KEY_COUNT];
        record.GetKeyTable(table);
        KeyTCharPair earlier[KEY_COUNT];
        FillTable(earlier, 0x7000);
        KeyTCharPair user[KEY_COUNT];
        FillTable(user, 0x3000);
        const char* which = SameTable(table, earlier) ? "earlier"
            : SameTable(table, user)                  ? "file"
            : SameTable(table, kDefaultKeyTable)      ? "default"
                                                      : "other";
        return "ret=" + std::to_string(ret) + " name=" + NameOf(record) + " table=" + which;
    }
    return "unknown operation";
}

int OperationMain(const std::string& op)
{
    const pelo::bench::Stopwatch running;
    const std::string result = RunOperation(op);
    const auto ms = static_cast<long long>(running.Milliseconds());
    const std::string text = result + "\n" + std::to_string(ms) + "\n";
    const pelo::UniqueFile file(::CreateFileW(
        L"result.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
        ? 0
        : 3;
}

// ---- The cases, prepared by the driver.

bool MakeHuge()
{
    const pelo::UniqueFile file(
        ::CreateFileW(kSlotFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD returned = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 1LL << 30;
    return ::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get());
}

bool MakeReadOnly(const Bytes& bytes)
{
    return WriteRaw(kSlotFile, bytes) && ::SetFileAttributesW(kSlotFile, FILE_ATTRIBUTE_READONLY);
}

struct Case {
    const char* name;
    bool (*prepare)();
    DWORD lockAccess; // the driver holds the file open with this access and sharing while the
    DWORD lockShare; // operation runs; no lock if lockAccess is 0
    const char* expected[4]; // check, load, read, save
};

const char* const kOperations[4] = { "check", "load", "read", "save" };

// "file=kept": the slot file is as it was; "file=default": the default scheme under "方案一";
// "file=new": the scheme the save operation saves.
const Case kCases[] = {
    { "missing", [] { return true; }, 0, 0,
        { "name=方案一 file=default", "ret=1 name=方案一 table=default file=default",
            "ret=0 name=以前 file=kept", "ret=1 file=new" } },
    { "empty", [] { return WriteRaw(kSlotFile, Bytes()); }, 0, 0,
        { "name=方案一 file=default", "ret=1 name= table=earlier file=kept", "ret=0 name= file=kept",
            "ret=1 file=new" } },
    { "huge (1 GB of U+0000, sparse)", MakeHuge, 0, 0,
        { "name= file=kept", "ret=1 name= table=earlier file=kept", "ret=1 name= file=kept",
            "ret=1 file=new" } },
    { "odd length (a scheme and one byte more)",
        [] {
            Bytes bytes = UserFile();
            bytes.push_back(0x41);
            return WriteRaw(kSlotFile, bytes);
        },
        0, 0,
        { "name=用户的方案 file=kept", "ret=1 name=用户的方案 table=file file=kept",
            "ret=1 name=用户的方案 file=kept", "ret=1 file=new" } },
    { "odd length (one byte)", [] { return WriteRaw(kSlotFile, Bytes { 0x41 }); }, 0, 0,
        { "name=方案一 file=default", "ret=1 name= table=earlier file=kept", "ret=0 name= file=kept",
            "ret=1 file=new" } },
    { "full of U+0000 (4 KB)", [] { return WriteRaw(kSlotFile, Bytes(4096, 0x00)); }, 0, 0,
        { "name= file=kept", "ret=1 name= table=earlier file=kept", "ret=1 name= file=kept",
            "ret=1 file=new" } },
    { "full of U+FFFF (4 KB)", [] { return WriteRaw(kSlotFile, Bytes(4096, 0xFF)); }, 0, 0,
        { "name="
          "\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF"
          "\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF file=kept",
            "ret=1 "
            "name=\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF"
            "\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF table=earlier file=kept",
            "ret=1 "
            "name=\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF"
            "\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF\\uFFFF file=kept",
            "ret=1 file=new" } },
    { "read-only scheme", [] { return MakeReadOnly(UserFile()); }, 0, 0,
        { "name=用户的方案 file=kept", "ret=1 name=用户的方案 table=file file=kept",
            "ret=1 name=用户的方案 file=kept", "ret=0 file=kept" } },
    { "read-only and empty", [] { return MakeReadOnly(Bytes()); }, 0, 0,
        { "name=方案一 file=kept", "ret=1 name= table=earlier file=kept", "ret=0 name= file=kept",
            "ret=0 file=kept" } },
    { "a folder of that name", [] { return ::CreateDirectoryW(kSlotFile, nullptr) != FALSE; }, 0, 0,
        { "name=方案一 file=kept", "ret=0 name=以前 table=earlier file=kept", "ret=0 name=以前 file=kept",
            "ret=0 file=kept" } },
    { "held open by another process, no sharing", [] { return WriteRaw(kSlotFile, UserFile()); },
        GENERIC_READ, 0,
        { "name=方案一 file=kept", "ret=0 name=以前 table=earlier file=kept", "ret=0 name=以前 file=kept",
            "ret=0 file=kept" } },
    { "held open for writing by another process, deletable", [] { return WriteRaw(kSlotFile, UserFile()); },
        GENERIC_WRITE, FILE_SHARE_DELETE,
        { "name=方案一 file=kept", "ret=0 name=以前 table=earlier file=kept", "ret=0 name=以前 file=kept",
            "ret=0 file=kept" } },
};

// What identifies the slot file's state: attributes, size and the first 4 KB.
struct Fingerprint {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    ULONGLONG size = 0;
    Bytes head;
    bool operator==(const Fingerprint& other) const
    {
        return attributes == other.attributes && size == other.size && head == other.head;
    }
};

Fingerprint FingerprintOf(const wchar_t* path)
{
    Fingerprint print;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return print;
    }
    print.attributes = data.dwFileAttributes;
    print.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const pelo::UniqueFile file(
            ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        uint8_t buffer[4096];
        DWORD read = 0;
        if (file && ::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            print.head.assign(buffer, buffer + read);
        }
    }
    return print;
}

std::string FileState(const Fingerprint& before, const Fingerprint& after)
{
    if (after == before) {
        return "kept";
    }
    if (after.size < 4096 && after.head == Encoded(u"方案一", kDefaultKeyTable)) {
        return "default";
    }
    if (after.size < 4096 && after.head == NewFile()) {
        return "new";
    }
    return after.attributes == INVALID_FILE_ATTRIBUTES ? "gone" : "other";
}

std::string ReadResultFile(std::string& ms)
{
    const Bytes bytes = ReadAll(L"result.txt");
    const std::string text(bytes.begin(), bytes.end());
    const size_t line = text.find('\n');
    if (line == std::string::npos) {
        return "no result";
    }
    ms = text.substr(line + 1, text.find('\n', line + 1) - line - 1);
    return text.substr(0, line);
}

// Runs one operation on one case in a fresh folder; returns whether it gave the listed result.
bool RunCase(const std::wstring& self, const Case& c, int op)
{
    TempWorkDir dir;
    std::string outcome;
    std::string ms = "-";
    if (!dir.Ok() || !::CreateDirectoryW(L"fangan", nullptr) || !c.prepare()) {
        outcome = "could not prepare the case";
    } else {
        const Fingerprint before = FingerprintOf(kSlotFile);
        pelo::UniqueFile lock;
        if (c.lockAccess != 0) {
            lock.reset(::CreateFileW(kSlotFile, c.lockAccess, c.lockShare, nullptr, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        std::wstring commandLine = L"\"" + self + L"\" --op "
            + std::wstring(kOperations[op], kOperations[op] + std::strlen(kOperations[op]));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (c.lockAccess != 0 && !lock) {
            outcome = "could not hold the file open";
        } else if (!::CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       dir.Path().c_str(), &startup, &info)) {
            outcome = "could not start the operation";
        } else {
            const pelo::UniqueKernelHandle process(info.hProcess);
            const pelo::UniqueKernelHandle thread(info.hThread);
            DWORD code = 0;
            if (::WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) {
                ::TerminateProcess(process.get(), 1);
                ::WaitForSingleObject(process.get(), 30000);
                outcome = "HUNG (ended after 120 s)";
            } else if (!::GetExitCodeProcess(process.get(), &code) || code != 0) {
                char text[64];
                std::snprintf(text, sizeof text, "CRASHED or failed (exit code 0x%08lX)", code);
                outcome = text;
            } else {
                lock.reset();
                outcome = ReadResultFile(ms) + " file=" + FileState(before, FingerprintOf(kSlotFile));
            }
        }
    }
    const bool ok = outcome == c.expected[op];
    std::printf("%-5s %-52s %-6s %6s ms  %s\n", ok ? "ok" : "WRONG", c.name, kOperations[op], ms.c_str(),
        outcome.c_str());
    if (!ok) {
        std::printf("      listed: %s\n", c.expected[op]);
    }
    std::fflush(stdout);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--op") == 0) {
        return OperationMain(argv[2]);
    }
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    int wrong = 0;
    int runs = 0;
    for (const Case& c : kCases) {
        for (int op = 0; op < 4; ++op) {
            ++runs;
            if (!RunCase(self, c, op)) {
                ++wrong;
            }
        }
    }
    std::printf("\nHostile files: %zu cases x 4 operations = %d runs: %d as listed, %d not (crash, hang or "
                "other result)\n",
        sizeof kCases / sizeof kCases[0], runs, runs - wrong, wrong);
    return wrong == 0 ? 0 : 1;
}
