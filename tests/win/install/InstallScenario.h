// What the install scenarios share beyond the machine state: reading what an install left (texts,
// shell links, staged libraries, pending moves) and the fixture they run in.
#pragma once

#include <shlobj.h>

#include <algorithm>

#include "InstallTestSupport.h"
#include "engine/LayoutPatch.h"
#include "engine/ScancodeMap.h"
#include "payload/LayoutSelection.h"
#include "payload/StringIds.h"
#include "platform/Handles.h"

namespace scenario
{
inline std::wstring Wide(GString& text)
{
    text.ToWide();
    return std::wstring(reinterpret_cast<const wchar_t*>(text.GetW(0)),
                        static_cast<size_t>(text.GetLength()));
}

inline std::string Utf8(const std::wstring& text)
{
    std::string out(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    out.pop_back();
    return out;
}

inline std::string Content(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The target a shell link file points to, as the shell reads it.
inline std::wstring LinkTarget(const std::wstring& link)
{
    CComPtr<IShellLinkW> shell;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shell.Receive())))
        return L"<no link object>";
    CComPtr<IPersistFile> file;
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.Receive())) ||
        FAILED(file->Load(link.c_str(), STGM_READ)))
        return L"<unreadable>";
    wchar_t target[MAX_PATH] = {};
    shell->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    return target;
}

struct LibraryPaths
{
    std::wstring Primary, Secondary, PrimaryStaging, SecondaryStaging;
};

inline LibraryPaths LibraryPathsOf(CInstall& install)
{
    GString p1, p2, s1, s2;
    EXPECT_EQ(install.GetLayoutLibraryPaths(p1, p2, &s1, &s2), 1);
    return {Wide(p1), Wide(p2), Wide(s1), Wide(s2)};
}

inline int PendingFrom(const std::wstring& folder)
{
    int count = 0;
    for (const PendingMove& m : PendingMoves())
        if (m.From.size() > folder.size() && SamePath(m.From.substr(0, folder.size()), folder))
            ++count;
    return count;
}

inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

inline KeyRecord& Key(CInstall& install, uint16_t scanCode)
{
    KeyRecord* record = FindKeyRecord(install.KeyTable, install.KeyCount, scanCode);
    EXPECT_NE(record, nullptr);
    return *record;
}

// The build the installation should have staged, patched as the engine is told to patch it.
inline std::vector<uint8_t> ExpectedLibrary(CInstall& install, std::vector<uint8_t> image)
{
    int lengths[4] = {};
    unsigned char* patterns[4] = {
        install.GetHexBytes(ScanCodeTablePatternId(install.LayoutVariant), &lengths[0]),
        install.GetHexBytes(kIdE0TablePattern, &lengths[1]),
        install.GetHexBytes(kIdE1TablePattern, &lengths[2]),
        install.GetHexBytes(kIdDecimalKeyPattern, &lengths[3])};
    LayoutPatchPlan plan;
    plan.Keys = install.KeyTable;
    plan.KeyCount = install.KeyCount;
    plan.ScanCodeTable = {patterns[0], lengths[0]};
    plan.E0Table = {patterns[1], lengths[1]};
    plan.E1Table = {patterns[2], lengths[2]};
    plan.PatchDecimalKey = install.DecimalKeyOption == 0;
    plan.DecimalSite = {patterns[3], lengths[3]};
    EXPECT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), plan), LayoutPatchResult::Done);
    for (unsigned char* p : patterns)
        free(p);
    return image;
}

class InstallScenario : public ScenarioTest
{
  protected:
    int BuildIndex(CInstall& install, int secondary)
    {
        int primary = -1, native = -1;
        PickBuildIndices(install.OsCode, install.ProcessorArchitecture, &primary, &native);
        return secondary ? native : primary;
    }
    std::wstring Name(CInstall& install, uint32_t id) { return Text(install, id); }
};
} // namespace scenario
