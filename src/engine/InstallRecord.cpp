// The installer's own record in the machine's registry: a family key shared by the layouts of the
// family, a key for companion file A and one for this layout. Read once at start-up, written at the
// end of an install, taken apart by the uninstall. Everything is in the view a 32-bit program sees.
#include "engine/CInstall.h"

#include "engine/HeapBlock.h"
#include "engine/KeyAssignments.h"
#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace
{
// One value of the record and the field it is read into: a text, or a 32-bit number.
struct RecordValue
{
    uint32_t Id;
    int Text; // a CInstall::TextIndex, or -1 for a number
    uint32_t CInstall::*Number;
    int Required;
};

constexpr RecordValue kFamilyValues[] = {
    {kIdPreviousLayoutValue, CInstall::PreviousLayoutText, nullptr, 1},
    {kIdFamilyCountValue, -1, &CInstall::FamilyCount, 1},
    {kIdFileCPathValue, CInstall::RecordedFileC, nullptr, 1},
    {kIdMenuLinkCValue, CInstall::RecordedMenuLinkC, nullptr, 0},
    {kIdDesktopLinkCValue, CInstall::RecordedDesktopLinkC, nullptr, 0},
    {kIdMenuLinkDValue, CInstall::RecordedMenuLinkD, nullptr, 1},
    {kIdDesktopLinkDValue, CInstall::RecordedDesktopLinkD, nullptr, 0},
    {kIdFileBPathValue, CInstall::RecordedFileB, nullptr, 1},
    {kIdMenuLinkBValue, CInstall::RecordedMenuLinkB, nullptr, 1},
    {kIdDesktopLinkBValue, CInstall::RecordedDesktopLinkB, nullptr, 0},
    {kIdFileDPathValue, CInstall::RecordedFileD, nullptr, 1},
    {kIdVersionBValue, -1, &CInstall::RecordedVersionB, 1},
};

constexpr RecordValue kFileAValues[] = {
    {kIdFileAPathValue, CInstall::RecordedFileA, nullptr, 1},
    {kIdMenuLinkAValue, CInstall::RecordedMenuLinkA, nullptr, 1},
    {kIdDesktopLinkAValue, CInstall::RecordedDesktopLinkA, nullptr, 0},
    {kIdVersionAValue, -1, &CInstall::RecordedVersionA, 1},
    {kIdShareCountAValue, -1, &CInstall::ShareCountA, 1},
};

constexpr RecordValue kLayoutValues[] = {
    {kIdUninstallerValue, CInstall::RecordedUninstaller, nullptr, 1},
    {kIdUninstallerLinkValue, CInstall::RecordedUninstallerLink, nullptr, 1},
    {kIdInstalledVersionValue, -1, &CInstall::InstalledVersion, 1},
};

// The family values in the order the uninstall deletes them.
constexpr uint32_t kFamilyValueIds[] = {kIdPreviousLayoutValue, kIdFamilyCountValue,  kIdMenuLinkCValue,
                                        kIdFileCPathValue,      kIdDesktopLinkCValue, kIdMenuLinkDValue,
                                        kIdDesktopLinkDValue,   kIdFileBPathValue,    kIdMenuLinkBValue,
                                        kIdDesktopLinkBValue,   kIdFileDPathValue,    kIdVersionBValue};
constexpr uint32_t kFileAValueIds[] = {kIdFileAPathValue, kIdMenuLinkAValue, kIdDesktopLinkAValue,
                                       kIdVersionAValue, kIdShareCountAValue};
} // namespace

// Reads values in order; a required one that is missing ends the reading (answer 0), an optional one
// is skipped. Values read before stay in their fields.
static int ReadValues(CInstall& install, HKEY key, const RecordValue* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const RecordValue& v = values[i];
        int read = 0;
        if (v.Text >= 0)
            read = install.QueryStringValueById(key, v.Id,
                                                install.Text(static_cast<CInstall::TextIndex>(v.Text)));
        else
            read = install.QueryDwordValueById(key, v.Id, &(install.*v.Number));
        if (!read && v.Required)
            return 0;
    }
    return 1;
}

void CInstall::ReadInstallRecord()
{
    InstalledVersion = 0;
    do
    {
        CKey software = OpenKeyById(HKEY_LOCAL_MACHINE, kIdSoftwareKey, kKeyRead);
        if (!software)
            break;
        CKey vendor = OpenKeyById(software.Get(), kIdVendorKey, kKeyRead);
        if (!vendor)
            break;
        CKey family = OpenKeyById(vendor.Get(), kIdFamilyName, kKeyRead);
        if (!family ||
            !ReadValues(*this, family.Get(), kFamilyValues, sizeof kFamilyValues / sizeof *kFamilyValues))
            break;

        // A family without the file A key still has its layouts read.
        CKey charts = OpenKeyById(family.Get(), kIdFileAKey, kKeyRead);
        if (charts)
        {
            CKey fileA = OpenKeyById(charts.Get(), kIdFileAEdition, kKeyRead);
            if (fileA &&
                !ReadValues(*this, fileA.Get(), kFileAValues, sizeof kFileAValues / sizeof *kFileAValues))
                break;
        }

        CKey layouts = OpenKeyById(family.Get(), kIdLayoutsKey, kKeyRead);
        if (!layouts)
            break;
        CKey layout = OpenKeyById(layouts.Get(), kIdLayoutRecordName, kKeyRead);
        if (!layout)
            break;
        if (!ReadValues(*this, layout.Get(), kLayoutValues, sizeof kLayoutValues / sizeof *kLayoutValues))
            break;

        uint32_t size = 0;
        unsigned char* assignments = QueryBinaryValueById(layout.Get(), kIdKeyAssignmentsValue, &size);
        ApplyKeyAssignments(assignments, size);

        // Options are taken only when they are in range; otherwise the field keeps what it has.
        uint32_t value = 0;
        if (QueryDwordValueById(layout.Get(), kIdLayoutVariantValue, &value) && value <= 2)
            LayoutVariant = static_cast<int32_t>(value);
        if (QueryDwordValueById(layout.Get(), kIdDecimalKeyValue, &value) && value <= 1)
            DecimalKeyOption = static_cast<int32_t>(value);
        if (QueryDwordValueById(layout.Get(), kIdSecondSetStoredValue, &value) && value <= 1)
            SecondSetStored = static_cast<int32_t>(value);
        if (QueryDwordValueById(layout.Get(), kIdSecondSetOptionValue, &value) && value <= 1)
            SecondSetOption = static_cast<int32_t>(value);
    } while (false);

    if (InstalledVersion != 0)
        return;
    // No record: a layout registered by an older installer, which kept none, is recognised by its
    // registration (the display name is not compared: that installer wrote another one).
    CKey list = OpenKeyById(HKEY_LOCAL_MACHINE, kIdLayoutListKey, OsCode <= 50 ? kKeyRead : kKeyRead64);
    if (!list)
        return;
    CKey layout = OpenKeyById(list.Get(), kIdLayoutKlid, OsCode <= 50 ? kKeyRead : kKeyRead64);
    if (!layout)
        return;
    GString expected;
    const uint32_t checks[3][2] = {{kIdLayoutTextValue, kIdLayoutName},
                                   {kIdLayoutIdValue, kIdLayoutId},
                                   {kIdLayoutFileValue, kIdLayoutFileName}};
    for (const auto& check : checks)
        if (!GetString(check[1], expected) || !StringValueEqualsById(layout.Get(), check[0], expected))
            return;
    InstalledVersion = kLegacyVersion;
}

// The options and the key assignments, in the layout's key; both forms of the record end with them.
// The record's keys from SOFTWARE down to the layout's own, opened (never created) for writing. All
// stay open, so that a caller can take the lower ones apart from their parents. 0 unless all exist.
struct RecordKeys
{
    CKey Software, Vendor, Family, Layouts, Layout;
};

static int OpenRecordKeys(CInstall& install, RecordKeys& keys)
{
    keys.Software = install.OpenKeyById(HKEY_LOCAL_MACHINE, kIdSoftwareKey, kKeyWrite);
    if (keys.Software)
        keys.Vendor = install.OpenKeyById(keys.Software.Get(), kIdVendorKey, kKeyWrite);
    if (keys.Vendor)
        keys.Family = install.OpenKeyById(keys.Vendor.Get(), kIdFamilyName, kKeyWrite);
    if (keys.Family)
        keys.Layouts = install.OpenKeyById(keys.Family.Get(), kIdLayoutsKey, kKeyWrite);
    if (keys.Layouts)
        keys.Layout = install.OpenKeyById(keys.Layouts.Get(), kIdLayoutRecordName, kKeyWrite);
    return keys.Layout ? 1 : 0;
}

static int WriteOptions(CInstall& install, HKEY layout)
{
    if (!install.SetDwordValueById(layout, kIdLayoutVariantValue,
                                   static_cast<uint32_t>(install.LayoutVariant)) ||
        !install.SetDwordValueById(layout, kIdDecimalKeyValue,
                                   static_cast<uint32_t>(install.DecimalKeyOption)) ||
        !install.SetDwordValueById(layout, kIdSecondSetStoredValue,
                                   static_cast<uint32_t>(install.SecondSetStored)) ||
        !install.SetDwordValueById(layout, kIdSecondSetOptionValue,
                                   static_cast<uint32_t>(install.SecondSetOption)))
        return 0;
    uint32_t size = 0;
    CHeapBlock assignments(install.SerializeKeyAssignments(&size));
    if (assignments)
        install.SetBinaryValueById(layout, kIdKeyAssignmentsValue, assignments.Get(), size);
    return 1;
}

int CInstall::WriteInstallRecord()
{
    if (ModifyMode)
    {
        RecordKeys keys;
        return OpenRecordKeys(*this, keys) ? WriteOptions(*this, keys.Layout.Get()) : 0;
    }

    // The layout the user had before the first install, recorded once and never rewritten.
    GString previous;
    if (Text(PreviousLayoutText).GetLength() == 0)
    {
        wchar_t name[10] = {};
        if (!GetKeyboardLayoutNameW(name))
            return 0;
        GString pattern;
        GetString(kIdPreviousLayoutTemplate, pattern);
        if (!previous.Format(pattern.GetW(0), static_cast<uint32_t>(Platform().UserDefaultLanguage()),
                             reinterpret_cast<const char16_t*>(name)))
            return 0;
    }

    CKey software = OpenKeyById(HKEY_LOCAL_MACHINE, kIdSoftwareKey, kKeyWrite);
    if (!software)
        return 0;
    CKey vendor = CreateKeyById(software.Get(), kIdVendorKey, kKeyWrite);
    if (!vendor)
        return 0;
    CKey family = CreateKeyById(vendor.Get(), kIdFamilyName, kKeyWrite);
    if (!family)
        return 0;
    HKEY f = family.Get();
    if (previous.GetLength() > 0)
    {
        if (!SetStringValueById(f, kIdPreviousLayoutValue, previous))
            return 0;
        Text(PreviousLayoutText).Assign(previous);
    }
    if (!SetDwordValueById(f, kIdFamilyCountValue, FamilyCount))
        return 0;
    if (Text(RecordedMenuLinkC).GetLength() == 0 &&
        (!SetStringValueById(f, kIdMenuLinkCValue, Text(MenuLinkC)) ||
         !SetStringValueById(f, kIdFileCPathValue, Text(FileC))))
        return 0;
    if (DesktopLinkCMade && !SetStringValueById(f, kIdDesktopLinkCValue, Text(DesktopLinkC)))
        return 0;
    if (Text(RecordedMenuLinkD).GetLength() == 0 &&
        (!SetStringValueById(f, kIdMenuLinkDValue, Text(MenuLinkD)) ||
         !SetStringValueById(f, kIdDesktopLinkDValue, Text(DesktopLinkD)) ||
         !SetStringValueById(f, kIdFileDPathValue, Text(FileD))))
        return 0;
    if (RecordedVersionB < kRecordVersion)
    {
        if (!SetStringValueById(f, kIdFileBPathValue, Text(FileB)) ||
            !SetStringValueById(f, kIdMenuLinkBValue, Text(MenuLinkB)) ||
            (DesktopLinkBMade && !SetStringValueById(f, kIdDesktopLinkBValue, Text(DesktopLinkB))))
            return 0;
        SetDwordValueById(f, kIdVersionBValue, kRecordVersion);
    }

    {
        CKey charts = CreateKeyById(f, kIdFileAKey, kKeyWrite);
        if (!charts)
            return 0;
        CKey fileA = CreateKeyById(charts.Get(), kIdFileAEdition, kKeyWrite);
        if (!fileA)
            return 0;
        HKEY a = fileA.Get();
        if (!SetStringValueById(a, kIdFileAPathValue, Text(FileA)) ||
            !SetStringValueById(a, kIdMenuLinkAValue, Text(MenuLinkA)) ||
            (DesktopLinkAMade && !SetStringValueById(a, kIdDesktopLinkAValue, Text(DesktopLinkA))) ||
            !SetDwordValueById(a, kIdVersionAValue, kRecordVersion) ||
            !SetDwordValueById(a, kIdShareCountAValue, ShareCountA))
            return 0;
    }

    CKey layouts = CreateKeyById(f, kIdLayoutsKey, kKeyWrite);
    if (!layouts)
        return 0;
    CKey layout = CreateKeyById(layouts.Get(), kIdLayoutRecordName, kKeyWrite);
    if (!layout)
        return 0;
    if (!SetStringValueById(layout.Get(), kIdUninstallerValue, Text(UninstallerFile)) ||
        !SetStringValueById(layout.Get(), kIdUninstallerLinkValue, Text(UninstallerLink)) ||
        !SetDwordValueById(layout.Get(), kIdInstalledVersionValue, kRecordVersion))
        return 0;
    return WriteOptions(*this, layout.Get());
}

int CInstall::DeleteInstallRecord()
{
    RecordKeys keys;
    if (!OpenRecordKeys(*this, keys))
        return 0;
    CKey& vendor = keys.Vendor;
    CKey& family = keys.Family;
    CKey& layouts = keys.Layouts;
    CKey& layout = keys.Layout;

    DeleteValueById(layout.Get(), kIdUninstallerValue);
    DeleteValueById(layout.Get(), kIdUninstallerLinkValue);
    DeleteValueById(layout.Get(), kIdInstalledVersionValue);
    layout.Reset();
    // Key deletions fail while a key still has sub-keys (another layout of the family): that is wanted.
    DeleteKeyById(layouts.Get(), kIdLayoutRecordName);
    layouts.Reset();
    DeleteKeyById(family.Get(), kIdLayoutsKey);

    CKey charts = OpenKeyById(family.Get(), kIdFileAKey, kKeyWrite);
    if (charts)
    {
        CKey fileA = OpenKeyById(charts.Get(), kIdFileAEdition, kKeyWrite);
        if (fileA)
        {
            if (ShareCountA != 0)
                SetDwordValueById(fileA.Get(), kIdShareCountAValue, ShareCountA);
            else
            {
                for (uint32_t id : kFileAValueIds)
                    DeleteValueById(fileA.Get(), id);
                fileA.Reset();
                DeleteKeyById(charts.Get(), kIdFileAEdition);
                charts.Reset();
                DeleteKeyById(family.Get(), kIdFileAKey);
            }
        }
    }

    if (FamilyCount != 0)
        SetDwordValueById(family.Get(), kIdFamilyCountValue, FamilyCount);
    else
    {
        for (uint32_t id : kFamilyValueIds)
            DeleteValueById(family.Get(), id);
        family.Reset();
        DeleteKeyById(vendor.Get(), kIdFamilyName);
        vendor.Reset();
        DeleteKeyById(keys.Software.Get(), kIdVendorKey);
    }
    return 1;
}

int CInstall::ApplyKeyAssignments(unsigned char* buffer, uint32_t size)
{
    CHeapBlock owned(buffer); // a value of size 0 that came with a block is still freed
    if (!buffer || size == 0)
        return 0;
    if (!KeyTable)
        return 0;
    return DecodeKeyAssignments(KeyTable, KeyCount, buffer, size);
}

unsigned char* CInstall::SerializeKeyAssignments(uint32_t* size)
{
    return EncodeKeyAssignments(KeyTable, KeyCount, size);
}
