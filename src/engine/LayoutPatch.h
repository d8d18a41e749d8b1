// Patching a decoded layout library image with the user's key assignments and the decimal key.
//
// The places are found by byte patterns (the string tables carry them in hexadecimal); everything
// here is plain computation over the image bytes, so it runs and is tested anywhere.
#pragma once

#include <cstdint>

#include "payload/KeyTable.h"

// A pattern as GetHexBytes gives it: bytes and their count; a null or empty pattern is missing.
struct BytePattern
{
    const unsigned char* Bytes = nullptr;
    int Length = 0;
};

struct LayoutPatchPlan
{
    const KeyRecord* Keys = nullptr; // no table, or no records: the three tables stay as they are
    int KeyCount = 0;
    BytePattern ScanCodeTable; // 16-bit virtual keys indexed by scan code
    BytePattern E0Table;       // 4-byte entries: scan code, pad, virtual key; scan code 0 ends it
    BytePattern E1Table;
    int PatchDecimalKey = 0; // the decimal site gets "," in place of "." (bytes 0 and 2 of the match)
    BytePattern DecimalSite;
};

// Why a patch did not go through, for the tests; the installer only needs success or not.
enum class LayoutPatchResult
{
    Done,
    PatternMissing,  // a pattern that the plan needs is null or empty
    PatternNotFound, // it does not occur in the image
    OutsideImage,    // a write, or a table walk, would leave the image
};

// Patches the image in place. Key records are taken in table order (a later record that writes the
// same place wins); keys without an entry in the E0 or E1 table change nothing. Nothing is read or
// written outside [image, image + length); when a place would lie outside, the result says so and
// the image must not be used (earlier patches may already be in it).
LayoutPatchResult PatchLayoutImage(unsigned char* image, int length, const LayoutPatchPlan& plan);
