// The layout library on disk: the chosen builds decoded, patched with the user's keys, written to
// staging files in the install folder and moved over the system copies at the next restart (a library
// that Windows has loaded cannot be replaced while it runs).
#include "engine/CInstall.h"

#include "engine/HeapBlock.h"
#include "engine/LayoutPatch.h"
#include "payload/StringIds.h"
#include "platform/Files.h"
#include "platform/Platform.h"

namespace
{
// WOW64 file-system redirection, switched off for as long as this object lives (when asked to be:
// only 64-bit Windows has it). Without the pair the moves go ahead with redirection in force.
class CRedirectionOff
{
  public:
    CRedirectionOff(CInstall& install, int active)
    {
        if (!active)
            return;
        Library.Reset(install.GetRedirectionFunctions(&Disable, &Revert));
        if (Disable)
            Switched = Disable(&OldState) ? 1 : 0;
    }
    ~CRedirectionOff()
    {
        if (Switched && Revert)
            Revert(OldState);
    }
    CRedirectionOff(const CRedirectionOff&) = delete;
    CRedirectionOff& operator=(const CRedirectionOff&) = delete;

  private:
    CModule Library;
    DisableRedirectionFn Disable = nullptr;
    RevertRedirectionFn Revert = nullptr;
    PVOID OldState = nullptr;
    int Switched = 0;
};
} // namespace

HMODULE CInstall::GetRedirectionFunctions(DisableRedirectionFn* disable, RevertRedirectionFn* revert)
{
    *disable = nullptr;
    *revert = nullptr;
    CModule library = LoadLibraryById(kIdKernelLibrary);
    if (!library)
        return nullptr;
    FARPROC off = GetProcById(kIdDisableRedirectionFunction, kIdKernelLibrary, library);
    FARPROC on = GetProcById(kIdRevertRedirectionFunction, kIdKernelLibrary, library);
    if (!off || !on)
        return nullptr; // the owner frees the library
    *disable = ProcAs<DisableRedirectionFn>(off);
    *revert = ProcAs<RevertRedirectionFn>(on);
    return library.Detach();
}

void CInstall::MoveSystemFiles(const char16_t* const* sources, const char16_t* const* targets, int count,
                               DWORD flags)
{
    // On 64-bit Windows the native system folder is reached only with redirection off; it is off for
    // these moves alone, since every other file call of this thread would be affected too.
    CRedirectionOff off(*this, Is64BitWindows);
    for (int i = 0; i < count; ++i)
        if (sources[i] && sources[i][0])
            MoveFileExW(WinText(sources[i]), targets[i] ? WinText(targets[i]) : nullptr, flags);
}

int CInstall::WriteLayoutLibrary(const char16_t* destination, const char16_t* staging,
                                 const unsigned char* item, int32_t length)
{
    if (!destination || !staging || !item || length <= 0)
        return 0;
    if (LayoutVariant < 0 || LayoutVariant > 2)
        return 0; // no table pattern to look for
    uint32_t plainLength = static_cast<uint32_t>(length);
    CHeapBlock image(Guard.DecodeItem(item, &plainLength));
    if (!image || plainLength == 0 || plainLength > 0x7FFFFFFF)
        return 0;

    LayoutPatchPlan plan;
    CHeapBlock scanCodes, e0, e1, decimal;
    if (KeyTable && KeyCount > 0)
    {
        plan.Keys = KeyTable;
        plan.KeyCount = KeyCount;
        scanCodes.Reset(GetHexBytes(ScanCodeTablePatternId(LayoutVariant), &plan.ScanCodeTable.Length));
        e0.Reset(GetHexBytes(kIdE0TablePattern, &plan.E0Table.Length));
        e1.Reset(GetHexBytes(kIdE1TablePattern, &plan.E1Table.Length));
        plan.ScanCodeTable.Bytes = scanCodes.Get();
        plan.E0Table.Bytes = e0.Get();
        plan.E1Table.Bytes = e1.Get();
    }
    if (DecimalKeyOption == 0)
    {
        plan.PatchDecimalKey = 1;
        decimal.Reset(GetHexBytes(kIdDecimalKeyPattern, &plan.DecimalSite.Length));
        plan.DecimalSite.Bytes = decimal.Get();
    }
    if (PatchLayoutImage(image.Get(), static_cast<int>(plainLength), plan) != LayoutPatchResult::Done)
        return 0;

    {
        CHandle file = CreateOutputFile(staging);
        if (!file)
            return 0;
        if (!WriteBytes(file.Get(), image.Get(), plainLength))
        {
            file.Reset();
            // A move of this staging file may still be scheduled by an earlier install that was not
            // followed by a restart: a cut library must not be what the restart puts in place.
            DeleteFileW(WinText(staging));
            return 0;
        }
    }

    const char16_t* sources[1] = {staging};
    const char16_t* targets[1] = {destination};
    if (destination[0])
        MoveSystemFiles(sources, targets, 1, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
    return 1;
}

int CInstall::InstallLayoutLibraries()
{
    GString primary, secondary, primaryStaging, secondaryStaging;
    if (!GetLayoutLibraryPaths(primary, secondary, &primaryStaging, &secondaryStaging))
        return 0;
    LayoutSelection builds;
    if (!SelectLayoutBuilds(Payload.Layouts, OsCode, ProcessorArchitecture, LayoutVariant, SecondSetStored,
                            SecondSetOption, &builds) ||
        !builds.PrimaryItem)
        return 0;
    if (!WriteLayoutLibrary(primary.GetW(0), primaryStaging.GetW(0), builds.PrimaryItem,
                            builds.PrimaryLength))
        return 0;
    if (Is64BitWindows && !WriteLayoutLibrary(secondary.GetW(0), secondaryStaging.GetW(0),
                                              builds.SecondaryItem, builds.SecondaryLength))
        return 0;
    return 1;
}

int CInstall::ScheduleLibraryRemoval()
{
    GString primary, secondary;
    if (!GetLayoutLibraryPaths(primary, secondary, nullptr, nullptr))
        return 0;
    const char16_t* sources[2] = {primary.GetW(0), secondary.GetW(0)};
    const char16_t* targets[2] = {nullptr, nullptr};
    MoveSystemFiles(sources, targets, Is64BitWindows ? 2 : 1, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 1;
}
