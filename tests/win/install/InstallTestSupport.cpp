#include "InstallTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ItemPack.h"
#include "StrtabCompiler.h"
#include "payload/StringIds.h"

namespace scenario
{

// --- the platform --------------------------------------------------------------------------------

LANGID FakePlatform::UserDefaultLanguage()
{
    return Language ? Language : CPlatform::UserDefaultLanguage();
}

BOOL FakePlatform::QueryVersion(OSVERSIONINFOW* info)
{
    if (VersionRefused)
        return FALSE;
    const BOOL ok = CPlatform::QueryVersion(info);
    if (Major)
    {
        info->dwMajorVersion = Major;
        info->dwMinorVersion = Minor;
        return TRUE;
    }
    return ok;
}

void FakePlatform::QuerySystemInfo(NativeSystemInfoFn native, SYSTEM_INFO* info)
{
    CPlatform::QuerySystemInfo(native, info);
    if (Processor != 0xFFFF)
        info->wProcessorArchitecture = Processor;
}

BOOL FakePlatform::CheckMembership(PSID group, BOOL* member)
{
    if (Administrator < 0)
        return CPlatform::CheckMembership(group, member);
    *member = Administrator ? TRUE : FALSE;
    return TRUE;
}

BOOL FakePlatform::RequestShutdown(ShutdownExFn, LPWSTR, DWORD, BOOL, BOOL, DWORD)
{
    ++Shutdowns; // never for real
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL FakePlatform::StartProcess(LPWSTR commandLine, STARTUPINFOW*, PROCESS_INFORMATION*)
{
    Started started;
    started.CommandLine = commandLine;
    // The script file is named in quotes after /f: (command template 49).
    const size_t open = started.CommandLine.find(L"/f:\"");
    if (open != std::wstring::npos)
    {
        const size_t close = started.CommandLine.find(L'"', open + 4);
        const std::vector<uint8_t> bytes = ReadBytes(started.CommandLine.substr(open + 4, close - open - 4));
        started.Script.assign(bytes.begin(), bytes.end());
    }
    Processes.push_back(started);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

int FakePlatform::ShowMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    Messages.push_back({text ? text : L"", caption ? caption : L"", flags});
    return IDOK;
}

// --- the payload ---------------------------------------------------------------------------------

const char TestPayload::kFileA[] = "%PDF-1.4 test chart\n";
const char TestPayload::kFileB[] = "%PDF-1.4 test guide\n";
const char TestPayload::kFileD[] = "<html><body>test reference</body></html>\n";

TestPayload::TestPayload() : Payload(ProgramPayload())
{
    Guard.LoadKeyMaterial(Payload.KeyMaterial, Payload.KeyMaterialLength);
    Payload.FileA = Pack(kFileA);
    Payload.FileB = Pack(kFileB);
    Payload.FileD = Pack(kFileD);
}

EmbeddedItem TestPayload::Pack(const std::string& content, uint32_t extra)
{
    Items.push_back(std::make_unique<std::vector<unsigned char>>());
    EXPECT_TRUE(packer::PackItem(Guard, reinterpret_cast<const unsigned char*>(content.data()),
                                 content.size(), extra, Items.back().get()));
    return {Items.back()->data(), static_cast<uint32_t>(Items.back()->size())};
}

namespace
{
std::string HostFile(const std::string& path)
{
    std::string p = "Z:" + path;
    std::replace(p.begin(), p.end(), '/', '\\');
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

void TestPayload::ChangeCommonText(uint32_t id, const std::string& text, bool remove)
{
    ChangeText(&Payload.CommonTable, "common.txt", true, id, text, remove);
}

void TestPayload::ChangeExtraText(uint32_t id, const std::string& text, bool remove)
{
    ChangeText(&Payload.ExtraTable, "extra.txt", false, id, text, remove);
}

void TestPayload::ChangeText(EmbeddedItem* slot, const char* source, bool withPatterns, uint32_t id,
                             const std::string& text, bool remove)
{
    std::string common = HostFile(std::string(OGONEK_SOURCE_DIR "/content/strings/") + source);
    ASSERT_FALSE(common.empty());
    std::string edited;
    const std::string key = std::to_string(id);
    size_t start = 0;
    bool found = false;
    while (start < common.size())
    {
        size_t end = common.find('\n', start);
        if (end == std::string::npos)
            end = common.size();
        std::string line = common.substr(start, end - start);
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() &&
            (line[key.size()] == ' ' || line[key.size()] == '?'))
        {
            found = true;
            line = remove ? std::string() : text.empty() ? key : key + " " + text;
        }
        edited += line + "\n";
        start = end + 1;
    }
    ASSERT_TRUE(found) << id;
    StrtabCompiler compiler;
    std::string error;
    ASSERT_EQ(compiler.AddSource(source, edited, &error), 1) << error;
    // The patterns kbdgen found replace the provisional ones, unless the change is to a pattern.
    if (withPatterns)
    {
        std::string patterns = HostFile(OGONEK_LAYOUT_PATTERNS), kept;
        size_t at = 0;
        while (at < patterns.size())
        {
            size_t end = patterns.find('\n', at);
            if (end == std::string::npos)
                end = patterns.size();
            const std::string line = patterns.substr(at, end - at);
            if (line.compare(0, key.size() + 1, key + " ") != 0)
                kept += line + "\n";
            at = end + 1;
        }
        ASSERT_EQ(compiler.AddSource("layout-patterns.txt", kept, &error), 1) << error;
    }
    std::vector<unsigned char> table;
    uint32_t count = 0;
    compiler.Build(&table, &count);
    *slot = Pack(std::string(table.begin(), table.end()), count);
}

// --- registry ------------------------------------------------------------------------------------

namespace
{
HKEY Open(HKEY root, const std::wstring& path, REGSAM access, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access | view, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool Query(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view, DWORD* type,
           std::vector<uint8_t>* data)
{
    HKEY key = Open(root, path, KEY_READ, view);
    if (!key)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExW(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok)
    {
        data->assign(size, 0);
        ok = RegQueryValueExW(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool Set(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view, DWORD type, const void* data,
         DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
} // namespace

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    HKEY key = Open(root, path, KEY_READ, view);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring* value, REGSAM view)
{
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!Query(root, path, name, view, &type, &data) || type != REG_SZ)
        return false;
    value->assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
    while (!value->empty() && value->back() == 0)
        value->pop_back();
    return true;
}

bool ReadDword(HKEY root, const std::wstring& path, const wchar_t* name, uint32_t* value, REGSAM view)
{
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!Query(root, path, name, view, &type, &data) || type != REG_DWORD || data.size() != 4)
        return false;
    memcpy(value, data.data(), 4);
    return true;
}

bool ReadBinary(HKEY root, const std::wstring& path, const wchar_t* name, std::vector<uint8_t>* value,
                REGSAM view)
{
    DWORD type = 0;
    return Query(root, path, name, view, &type, value) && type == REG_BINARY;
}

bool WriteString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value,
                 REGSAM view)
{
    return Set(root, path, name, view, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * 2));
}

bool WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, uint32_t value, REGSAM view)
{
    DWORD data = value;
    return Set(root, path, name, view, REG_DWORD, &data, 4);
}

void DeleteValue(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view)
{
    HKEY key = Open(root, path, KEY_WRITE, view);
    if (!key)
        return;
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

void DeleteTree(HKEY root, const std::wstring& path, REGSAM view)
{
    const size_t slash = path.rfind(L'\\');
    const std::wstring parentPath = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    HKEY parent = parentPath.empty() ? root : Open(root, parentPath, KEY_ALL_ACCESS, view);
    if (!parent)
        return;
    HKEY key = Open(parent, name, KEY_ALL_ACCESS, view);
    if (key)
    {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(parent, name.c_str(), view, 0);
    }
    if (parent != root)
        RegCloseKey(parent);
}

// --- files ---------------------------------------------------------------------------------------

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size && !ReadFile(file, bytes.data(), size, &read, nullptr))
        read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << std::string(path.begin(), path.end());
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveAll(const std::wstring& path)
{
    if (path.empty())
        return;
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path), error);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        wchar_t x = a[i] == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(a[i]));
        wchar_t y = b[i] == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(b[i]));
        if (x != y)
            return false;
    }
    return true;
}

namespace
{
const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingMoves[] = L"PendingFileRenameOperations";
const wchar_t kWineOverrides[] = L"Software\\Wine\\DllOverrides";
const wchar_t kMenuBuilder[] = L"winemenubuilder.exe";

std::wstring Unmarked(std::wstring path, bool* replace)
{
    *replace = !path.empty() && path[0] == L'!';
    if (*replace)
        path.erase(0, 1);
    if (path.compare(0, 4, L"\\??\\") == 0)
        path.erase(0, 4);
    return path;
}
} // namespace

std::vector<PendingMove> PendingMoves()
{
    std::vector<PendingMove> moves;
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!Query(HKEY_LOCAL_MACHINE, kSessionManager, kPendingMoves, 0, &type, &data))
        return moves;
    // Split by terminators over the whole size: a deletion's target is an empty string, which an
    // ordinary walk of the list would take for its end.
    std::vector<std::wstring> texts;
    const wchar_t* units = reinterpret_cast<const wchar_t*>(data.data());
    const size_t count = data.size() / 2;
    std::wstring current;
    for (size_t i = 0; i < count; ++i)
    {
        if (units[i] == 0)
        {
            texts.push_back(current);
            current.clear();
        }
        else
            current += units[i];
    }
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
    {
        if (texts[i].empty())
            break;
        PendingMove move;
        bool ignored = false;
        move.From = Unmarked(texts[i], &ignored);
        move.To = Unmarked(texts[i + 1], &move.Replace);
        moves.push_back(move);
    }
    return moves;
}

bool HasPendingMove(const std::wstring& from, const std::wstring& to)
{
    for (const PendingMove& m : PendingMoves())
        if (SamePath(m.From, from) && (to.empty() ? m.To.empty() : SamePath(m.To, to)))
            return true;
    return false;
}

std::wstring Text(CInstall& install, uint32_t id)
{
    GString text;
    if (!install.GetString(id, text))
        return L"<none>";
    return std::wstring(reinterpret_cast<const wchar_t*>(text.GetW(0)),
                        static_cast<size_t>(text.GetLength()));
}

std::wstring Field(CInstall& install, CInstall::TextIndex index)
{
    GString& text = install.Text(index);
    text.ToWide();
    return std::wstring(reinterpret_cast<const wchar_t*>(text.GetW(0)),
                        static_cast<size_t>(text.GetLength()));
}

RecordPaths PathsOf(CInstall& install)
{
    RecordPaths p;
    p.Family = Text(install, kIdSoftwareKey) + L"\\" + Text(install, kIdVendorKey) + L"\\" +
               Text(install, kIdFamilyName);
    p.FileA = p.Family + L"\\" + Text(install, kIdFileAKey) + L"\\" + Text(install, kIdFileAEdition);
    p.Layouts = p.Family + L"\\" + Text(install, kIdLayoutsKey);
    p.Layout = p.Layouts + L"\\" + Text(install, kIdLayoutRecordName);
    p.Registration = Text(install, kIdLayoutListKey) + L"\\" + Text(install, kIdLayoutKlid);
    p.ScancodeKey = Text(install, kIdScancodeMapKey);
    p.UserValues = Text(install, kIdUserValuesKey);
    p.FinishKey = Text(install, kIdFinishKey);
    return p;
}

// --- the fixture ---------------------------------------------------------------------------------

void ScenarioTest::SetUp()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED); // as the entry function does, for the shell links
    Scope = std::make_unique<PlatformScope>(&Fake);
    CInstall probe(Test.Payload);
    ASSERT_EQ(probe.Init(GetModuleHandleW(nullptr)), 1);
    probe.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary);
    probe.ComputeInstallPaths();
    Paths = PathsOf(probe);
    // What the scenarios may create, and what an older installer would have left.
    CleanFolders = {Field(probe, CInstall::ProgramRootFolder), Field(probe, CInstall::MenuRootFolder)};
    const CInstall::TextIndex desktop[] = {CInstall::DesktopLinkA, CInstall::DesktopLinkB,
                                           CInstall::DesktopLinkC, CInstall::DesktopLinkD};
    for (CInstall::TextIndex d : desktop)
        CleanFiles.push_back(Field(probe, d));
    GString documents, userDesktop;
    probe.GetSpecialFolder(CSIDL_PERSONAL, documents);
    probe.GetSpecialFolder(CSIDL_DESKTOP, userDesktop);
    const std::wstring docs(reinterpret_cast<const wchar_t*>(documents.GetW(0)));
    const std::wstring user(reinterpret_cast<const wchar_t*>(userDesktop.GetW(0)));
    const std::wstring chart = Text(probe, kIdLegacyChartName), readMe = Text(probe, kIdLegacyReadMeName);
    CleanFiles.push_back(docs + L"\\" + chart + Text(probe, kIdDocumentExtension));
    CleanFiles.push_back(user + L"\\" + chart + Text(probe, kIdLinkExtension));
    CleanFiles.push_back(docs + L"\\" + readMe + Text(probe, kIdFileCExtension));
    CleanFiles.push_back(user + L"\\" + readMe + Text(probe, kIdLinkExtension));

    Save(HKEY_LOCAL_MACHINE, kSessionManager, kPendingMoves);
    Save(HKEY_CURRENT_USER, kWineOverrides, kMenuBuilder);
    Save(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, Text(probe, kIdScancodeMapValue));
    for (uint32_t id : {kIdHotkeyValue, kIdLanguageHotkeyValue, kIdLayoutHotkeyValue})
        Save(HKEY_CURRENT_USER, Paths.UserValues, Text(probe, id));
    FinishValue = Text(probe, kIdFinishValue);
    ScancodeValue = Text(probe, kIdScancodeMapValue);
    CleanMachine();
}

void ScenarioTest::TearDown()
{
    CleanMachine();
    Restore();
    Scope.reset();
    CoUninitialize();
}

void ScenarioTest::CleanMachine()
{
    for (const std::wstring& f : CleanFolders)
        RemoveAll(f);
    for (const std::wstring& f : CleanFiles)
        DeleteFileW(f.c_str());
    const std::wstring vendor = Paths.Family.substr(0, Paths.Family.rfind(L'\\'));
    DeleteTree(HKEY_LOCAL_MACHINE, vendor, KEY_WOW64_32KEY);
    DeleteTree(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY);
    DeleteTree(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_32KEY);
    DeleteValue(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str());
    DeleteValue(HKEY_LOCAL_MACHINE, Paths.FinishKey, FinishValue.c_str(), KEY_WOW64_32KEY);
    DeleteValue(HKEY_LOCAL_MACHINE, Paths.FinishKey, FinishValue.c_str(), KEY_WOW64_64KEY);
    Restore(); // the pending moves and the user values as they were before the scenario
    DeleteValue(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str());
    // Wine would mirror every shell link the scenarios make as a menu entry of the machine it runs on.
    WriteString(HKEY_CURRENT_USER, kWineOverrides, kMenuBuilder, L"");
}

void ScenarioTest::Save(HKEY root, const std::wstring& path, const std::wstring& name)
{
    SavedValue v{root, path, name, false, 0, {}};
    v.Existed = Query(root, path, name.c_str(), 0, &v.Type, &v.Data);
    Saved.push_back(v);
}

void ScenarioTest::Restore()
{
    for (const SavedValue& v : Saved)
    {
        if (v.Existed)
            Set(v.Root, v.Path, v.Name.c_str(), 0, v.Type, v.Data.data(), static_cast<DWORD>(v.Data.size()));
        else
            DeleteValue(v.Root, v.Path, v.Name.c_str());
    }
}

std::unique_ptr<CInstall> ScenarioTest::StartRun(int expectWizard)
{
    auto install = std::make_unique<CInstall>(Test.Payload);
    EXPECT_EQ(install->Init(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(install->PrepareRun(), expectWizard ? CInstall::kRunWizard : 1);
    return install;
}

std::vector<uint8_t> ScenarioTest::DecodedBuild(CInstall& install, int set, int variant, int index)
{
    const LayoutCatalogue& c = Test.Payload.Layouts;
    uint32_t length = static_cast<uint32_t>(c.Lengths[set][variant][index]);
    unsigned char* plain = install.Guard.DecodeItem(c.Items[set][variant][index], &length);
    std::vector<uint8_t> bytes;
    if (plain)
        bytes.assign(plain, plain + length);
    free(plain);
    return bytes;
}

} // namespace scenario
