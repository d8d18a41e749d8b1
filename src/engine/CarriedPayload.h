// What the program carries inside itself, gathered in one place so that the installer object can be
// given another set (a test's, with one item damaged) without any other change.
#pragma once

#include "payload/EmbeddedItem.h"
#include "payload/LayoutSelection.h"

struct CarriedPayload
{
    const unsigned char* KeyMaterial;
    uint32_t KeyMaterialLength;
    EmbeddedItem CommonTable;
    EmbeddedItem ExtraTable;
    EmbeddedItem LanguageTables[2];
    EmbeddedItem Licences[2]; // by interface language
    EmbeddedItem FileA;
    EmbeddedItem FileB;
    EmbeddedItem FileD;
    LayoutCatalogue Layouts;
};

// The program's own payload (built into setup.exe and the test programs).
const CarriedPayload& ProgramPayload();
