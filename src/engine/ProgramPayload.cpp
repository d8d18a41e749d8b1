#include "engine/CarriedPayload.h"

#include "CarriedItems.h"

// The catalogue's tables are filled on first use: the item addresses live in another object file and
// are not constants here, and setup.exe runs no static constructors of its own.
const CarriedPayload& ProgramPayload()
{
    static CarriedPayload payload;
    static const unsigned char* items[2][3][13];
    static int32_t lengths[2][3][13];
    static bool filled = false;
    if (!filled)
    {
#define OGONEK_BUILD(set, variant, index, name)                                                              \
    items[set][variant][1##index - 100] = name.Bytes;                                                        \
    lengths[set][variant][1##index - 100] = static_cast<int32_t>(name.Length);
#include "engine/LayoutCatalogue.inc"
#undef OGONEK_BUILD
        for (int set = 0; set < 2; ++set)
            for (int variant = 0; variant < 3; ++variant)
            {
                payload.Layouts.Items[set][variant] = items[set][variant];
                payload.Layouts.Lengths[set][variant] = lengths[set][variant];
            }
        payload.KeyMaterial = KeyMaterial;
        payload.KeyMaterialLength = kKeyMaterialLength;
        payload.CommonTable = CommonTable;
        payload.ExtraTable = ExtraTable;
        payload.LanguageTables[0] = LanguageTable0;
        payload.LanguageTables[1] = LanguageTable1;
        payload.Licences[0] = Licence0;
        payload.Licences[1] = Licence1;
        payload.FileA = FileA;
        payload.FileB = FileB;
        payload.FileD = FileD;
        filled = true;
    }
    return payload;
}
