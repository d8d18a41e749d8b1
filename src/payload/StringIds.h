#pragma once

#include <cstdint>

// Ids of the texts in the string tables (content/strings/). Code names a text only through these.
//
// Each entry is X(name, id, table): Common texts are the same in every interface language and live
// in the common table; Language texts are what the user reads and are in both language tables (en
// and pl) and nowhere else; Extra texts live in the supplementary table, looked up last. The tests
// check every entry against the compiled tables, so a text cannot go missing unnoticed.
//
// Some ids serve two roles; each role has its own name (kIdFinishValue and kIdFileCName are the
// same text).
#define OGONEK_STRING_IDS(X)                                                                                 \
    /* --- product and header line --- */                                                                    \
    X(kIdProductName, 0, Common)                                                                             \
    X(kIdLayoutName, 81, Common) /* "Layout Text", titles, uninstaller title */                              \
    X(kIdVersionText, 82, Common)                                                                            \
    X(kIdLayoutRecordName, 89, Common) /* header line and the layout's record key */                         \
    X(kIdHeaderFontFace, 40, Common)                                                                         \
    X(kIdWizardTitle, 93, Language) /* main window title and message box caption */                          \
    X(kIdWindowClass, 94, Common)                                                                            \
                                                                                                             \
    /* --- defaults derived at start-up --- */                                                               \
    X(kIdDefaultLanguageId, 86, Common) /* hexadecimal, read with %X */                                      \
    X(kIdVariantKey, 88, Common)        /* looked for in the variant names */                                \
                                                                                                             \
    /* --- system libraries and functions resolved at run time --- */                                        \
    X(kIdKernelLibrary, 144, Extra)                                                                          \
    X(kIdAdvapiLibrary, 145, Extra)                                                                          \
    X(kIdDisableRedirectionFunction, 56, Extra)                                                              \
    X(kIdRevertRedirectionFunction, 57, Extra)                                                               \
    X(kIdNativeSystemInfoFunction, 58, Extra)                                                                \
    X(kIdDeleteKeyExFunction, 59, Extra)                                                                     \
    X(kIdSystemWow64DirectoryFunction, 60, Extra)                                                            \
    X(kIdShutdownExFunction, 61, Extra) /* in kIdAdvapiLibrary; Windows XP and later */                      \
                                                                                                             \
    /* --- layout registration, scan-code map, user values --- */                                            \
    X(kIdLayoutListKey, 3, Common)                                                                           \
    X(kIdLayoutKlid, 85, Common)                                                                             \
    X(kIdLayoutTextValue, 17, Common)                                                                        \
    X(kIdLayoutFileValue, 18, Common)                                                                        \
    X(kIdLayoutIdValue, 19, Common)                                                                          \
    X(kIdLayoutDisplayNameValue, 20, Common)                                                                 \
    X(kIdLayoutId, 84, Common)                                                                               \
    X(kIdLayoutDisplayName, 87, Common)                                                                      \
    X(kIdLayoutFileName, 83, Common)                                                                         \
    X(kIdScancodeMapKey, 5, Common)                                                                          \
    X(kIdScancodeMapValue, 6, Common)                                                                        \
    X(kIdUserValuesKey, 13, Common)                                                                          \
    X(kIdHotkeyValue, 14, Common)                                                                            \
    X(kIdLanguageHotkeyValue, 15, Common)                                                                    \
    X(kIdLayoutHotkeyValue, 16, Common)                                                                      \
                                                                                                             \
    /* --- finishing value (RunOnce) --- */                                                                  \
    X(kIdFinishKey, 4, Common)                                                                               \
    X(kIdFinishValue, 71, Common)                                                                            \
    X(kIdFinishCommand, 50, Common) /* Windows XP and later */                                               \
    X(kIdFinishCommandWin2000, 51, Common)                                                                   \
                                                                                                             \
    /* --- scripts and commands --- */                                                                       \
    X(kIdAssociatedProgramCommand, 2, Common) /* %s executable, %s argument */                               \
    X(kIdControlPanelFileType, 41, Common)                                                                   \
    X(kIdKeyboardSettingsArgument, 95, Common)                                                               \
    X(kIdTempFilePrefix, 47, Common)                                                                         \
    X(kIdRunScriptCommand, 49, Common)   /* %s script path */                                                \
    X(kIdLanguageScript, 62, Common)     /* %04x language, %s KLID, %s option */                             \
    X(kIdLanguageScriptWin8, 63, Common) /* %s t90, %04x, %s KLID, %s option, %04x, %u */                    \
    X(kIdDefaultInputOption, 64, Common)                                                                     \
    X(kIdRemovalScriptLegacy, 65, Common)     /* before Vista: two empty %s */                               \
    X(kIdRemovalScript, 66, Common)           /* Vista and later: one empty %s */                            \
    X(kIdLanguageScriptNamespace, 90, Common) /* empty would mean: template 62 everywhere */                 \
                                                                                                             \
    /* --- PDF viewer test --- */                                                                            \
    X(kIdPdfViewerNeedle, 45, Common)                                                                        \
                                                                                                             \
    /* --- folders, files and links --- */                                                                   \
    X(kIdVendorFolder, 9, Common)                                                                            \
    X(kIdFamilyName, 10, Common) /* folder and family record key */                                          \
    X(kIdFileABaseName, 22, Common)                                                                          \
    X(kIdFileAEdition, 23, Common) /* file A name suffix and its record key */                               \
    X(kIdFileBName, 30, Common)                                                                              \
    X(kIdFileCName, 71, Common)                                                                              \
    X(kIdFileDLinkName, 70, Common)                                                                          \
    X(kIdFileDName, 80, Common)                                                                              \
    X(kIdDocumentExtension, 42, Common) /* also the file type of the PDF viewer test */                      \
    X(kIdLinkExtension, 43, Common)                                                                          \
    X(kIdFileCExtension, 44, Common)                                                                         \
    X(kIdLinkTextExtension, 46, Common)                                                                      \
    X(kIdUninstallerTitleTemplate, 48, Common) /* %s layout name */                                          \
    X(kIdFileCIcon, 52, Common)                                                                              \
    X(kIdLinkTextTemplate, 69, Common) /* %s install folder, %s file D name */                               \
    X(kIdLegacyChartName, 77, Common)                                                                        \
    X(kIdLegacyReadMeName, 78, Common)                                                                       \
    X(kIdFileADescription, 121, Language)                                                                    \
    X(kIdFileBDescription, 35, Language)                                                                     \
    X(kIdFileCDescription, 122, Language)                                                                    \
    X(kIdFileCText, 67, Language) /* Windows XP and later */                                                 \
    X(kIdFileCTextWin2000, 68, Language)                                                                     \
                                                                                                             \
    /* --- install record --- */                                                                             \
    X(kIdSoftwareKey, 7, Common)                                                                             \
    X(kIdVendorKey, 8, Common)                                                                               \
    X(kIdFileAKey, 24, Common)                                                                               \
    X(kIdLayoutsKey, 36, Common)                                                                             \
    X(kIdPreviousLayoutValue, 11, Common)                                                                    \
    X(kIdPreviousLayoutTemplate, 12, Common) /* %04x language, %s layout name */                             \
    X(kIdFamilyCountValue, 21, Common)                                                                       \
    X(kIdFileCPathValue, 72, Common)                                                                         \
    X(kIdMenuLinkCValue, 73, Common)                                                                         \
    X(kIdDesktopLinkCValue, 74, Common)                                                                      \
    X(kIdMenuLinkDValue, 75, Common)                                                                         \
    X(kIdDesktopLinkDValue, 76, Common)                                                                      \
    X(kIdFileDPathValue, 79, Common)                                                                         \
    X(kIdFileBPathValue, 31, Common)                                                                         \
    X(kIdMenuLinkBValue, 32, Common)                                                                         \
    X(kIdDesktopLinkBValue, 33, Common)                                                                      \
    X(kIdVersionBValue, 34, Common)                                                                          \
    X(kIdFileAPathValue, 25, Common)                                                                         \
    X(kIdMenuLinkAValue, 26, Common)                                                                         \
    X(kIdDesktopLinkAValue, 27, Common)                                                                      \
    X(kIdVersionAValue, 28, Common)                                                                          \
    X(kIdShareCountAValue, 29, Common)                                                                       \
    X(kIdUninstallerValue, 37, Common)                                                                       \
    X(kIdUninstallerLinkValue, 38, Common)                                                                   \
    X(kIdInstalledVersionValue, 39, Common)                                                                  \
    X(kIdSecondSetStoredValue, 155, Common)                                                                  \
    X(kIdSecondSetOptionValue, 156, Common)                                                                  \
    X(kIdKeyAssignmentsValue, 157, Common)                                                                   \
    X(kIdLayoutVariantValue, 158, Common)                                                                    \
    X(kIdDecimalKeyValue, 159, Common)                                                                       \
                                                                                                             \
    /* --- byte patterns in the layout libraries --- */                                                      \
    X(kIdDecimalKeyPattern, 146, Common)                                                                     \
    X(kIdScanCodeTablePattern0, 147, Common) /* + LayoutVariant */                                           \
    X(kIdScanCodeTablePattern1, 148, Common)                                                                 \
    X(kIdScanCodeTablePattern2, 149, Common)                                                                 \
    X(kIdE0TablePattern, 150, Common)                                                                        \
    X(kIdE1TablePattern, 151, Common)                                                                        \
                                                                                                             \
    /* --- messages --- */                                                                                   \
    X(kIdCloseQuestion, 96, Language)                                                                        \
    X(kIdNeedAdministrator, 123, Language)                                                                   \
    X(kIdUnsupportedSystem, 124, Language)                                                                   \
    X(kIdUninstallQuestion, 129, Language) /* %s product name */                                             \
    X(kIdInstallFailed, 143, Language)                                                                       \
                                                                                                             \
    /* --- buttons shared by the pages --- */                                                                \
    X(kIdCancelButton, 98, Language)                                                                         \
    X(kIdNextButton, 99, Language)                                                                           \
    X(kIdBackButton, 100, Language)                                                                          \
    X(kIdInstallButton, 104, Language)                                                                       \
                                                                                                             \
    /* --- welcome page --- */                                                                               \
    X(kIdUiLanguageLabel, 1, Language)                                                                       \
    X(kIdUiLanguageEnglish, 92, Common) /* each language named in itself */                                  \
    X(kIdUiLanguagePolish, 91, Common)                                                                       \
    X(kIdWelcomeTitle, 97, Language)      /* %s layout name */                                               \
    X(kIdMaintenanceTitle, 141, Language) /* %s layout name */                                               \
    X(kIdWelcomeBody, 131, Language)                                                                         \
    X(kIdInstalledText, 136, Language) /* maintenance body and finish title */                               \
    X(kIdUninstallButton, 127, Language)                                                                     \
    X(kIdModifyButton, 128, Language)                                                                        \
    X(kIdKeyboardSettingsButton, 140, Language)                                                              \
    X(kIdReinstallButton, 142, Language) /* control 2001, not on the template */                             \
                                                                                                             \
    /* --- licence page --- */                                                                               \
    X(kIdLicenceTitle, 132, Language)                                                                        \
    X(kIdAcceptLicence, 105, Language)                                                                       \
                                                                                                             \
    /* --- setup page --- */                                                                                 \
    X(kIdInputLanguageLabel, 101, Language) /* %s layout name */                                             \
    X(kIdDefaultInputCheck, 102, Language)  /* %s language caption */                                        \
    X(kIdUserValuesCheck, 139, Language)                                                                     \
    X(kIdDesktopShortcutsCheck, 106, Language)                                                               \
    X(kIdSecondSetCheck, 109, Language)                                                                      \
    X(kIdVariantLabel, 110, Language)                                                                        \
    X(kIdDecimalKeyLabel, 111, Language)                                                                     \
    X(kIdSetupNote, 112, Language)                                                                           \
    X(kIdVariantName0, 113, Language) /* each contains kIdVariantKey's text or not */                        \
    X(kIdVariantName1, 114, Language)                                                                        \
    X(kIdVariantName2, 115, Language)                                                                        \
    X(kIdDecimalComma, 119, Language)                                                                        \
    X(kIdDecimalPoint, 120, Language)                                                                        \
    X(kIdKeysButton, 152, Language)                                                                          \
    X(kIdMoreKeysButton, 153, Language)                                                                      \
                                                                                                             \
    /* --- finish page --- */                                                                                \
    X(kIdFinishBody, 135, Language)            /* Windows Vista and later */                                 \
    X(kIdFinishBodyBeforeVista, 134, Language) /* %s layout name */                                          \
    X(kIdUninstalledBody, 130, Language)                                                                     \
    X(kIdPdfViewerNote, 133, Language)                                                                       \
    X(kIdRestartButton, 137, Language)                                                                       \
                                                                                                             \
    /* --- key names (NameId of the key records) --- */                                                      \
    X(kIdKeyNameNone, 154, Language)     /* the record without a scan code: keep the default */              \
    X(kIdKeyNameDisabled, 326, Language) /* no virtual key at all */                                         \
    X(kIdKeyBreak, 162, Common)                                                                              \
    X(kIdKeyBackspace, 166, Common)                                                                          \
    X(kIdKeyTab, 167, Common)                                                                                \
    X(kIdKeyClear, 168, Common)                                                                              \
    X(kIdKeyEnter, 169, Common)                                                                              \
    X(kIdKeyPause, 173, Common)                                                                              \
    X(kIdKeyCapsLock, 174, Common)                                                                           \
    X(kIdKeyEscape, 175, Common)                                                                             \
    X(kIdKeySpace, 176, Language)                                                                            \
    X(kIdKeyPageUp, 177, Common)                                                                             \
    X(kIdKeyPageDown, 178, Common)                                                                           \
    X(kIdKeyEnd, 179, Common)                                                                                \
    X(kIdKeyHome, 180, Common)                                                                               \
    X(kIdKeyLeft, 181, Language)                                                                             \
    X(kIdKeyUp, 182, Language)                                                                               \
    X(kIdKeyRight, 183, Language)                                                                            \
    X(kIdKeyDown, 184, Language)                                                                             \
    X(kIdKeyPrintScreen, 188, Common)                                                                        \
    X(kIdKeyInsert, 189, Common)                                                                             \
    X(kIdKeyDelete, 190, Common)                                                                             \
    X(kIdKeyHelp, 191, Language)                                                                             \
    X(kIdKey0, 192, Common)                                                                                  \
    X(kIdKey1, 193, Common)                                                                                  \
    X(kIdKey2, 194, Common)                                                                                  \
    X(kIdKey3, 195, Common)                                                                                  \
    X(kIdKey4, 196, Common)                                                                                  \
    X(kIdKey5, 197, Common)                                                                                  \
    X(kIdKey6, 198, Common)                                                                                  \
    X(kIdKey7, 199, Common)                                                                                  \
    X(kIdKey8, 200, Common)                                                                                  \
    X(kIdKey9, 201, Common)                                                                                  \
    X(kIdKeyA, 202, Common)                                                                                  \
    X(kIdKeyB, 203, Common)                                                                                  \
    X(kIdKeyC, 204, Common)                                                                                  \
    X(kIdKeyD, 205, Common)                                                                                  \
    X(kIdKeyE, 206, Common)                                                                                  \
    X(kIdKeyF, 207, Common)                                                                                  \
    X(kIdKeyG, 208, Common)                                                                                  \
    X(kIdKeyH, 209, Common)                                                                                  \
    X(kIdKeyI, 210, Common)                                                                                  \
    X(kIdKeyJ, 211, Common)                                                                                  \
    X(kIdKeyK, 212, Common)                                                                                  \
    X(kIdKeyL, 213, Common)                                                                                  \
    X(kIdKeyM, 214, Common)                                                                                  \
    X(kIdKeyN, 215, Common)                                                                                  \
    X(kIdKeyO, 216, Common)                                                                                  \
    X(kIdKeyP, 217, Common)                                                                                  \
    X(kIdKeyQ, 218, Common)                                                                                  \
    X(kIdKeyR, 219, Common)                                                                                  \
    X(kIdKeyS, 220, Common)                                                                                  \
    X(kIdKeyT, 221, Common)                                                                                  \
    X(kIdKeyU, 222, Common)                                                                                  \
    X(kIdKeyV, 223, Common)                                                                                  \
    X(kIdKeyW, 224, Common)                                                                                  \
    X(kIdKeyX, 225, Common)                                                                                  \
    X(kIdKeyY, 226, Common)                                                                                  \
    X(kIdKeyZ, 227, Common)                                                                                  \
    X(kIdKeyLeftWindows, 228, Language)                                                                      \
    X(kIdKeyRightWindows, 229, Language)                                                                     \
    X(kIdKeyMenu, 230, Common)                                                                               \
    X(kIdKeyPower, 231, Language)                                                                            \
    X(kIdKeySleep, 232, Language)                                                                            \
    X(kIdKeyMultiply, 243, Common)                                                                           \
    X(kIdKeyAdd, 244, Common)                                                                                \
    X(kIdKeySubtract, 246, Common)                                                                           \
    X(kIdKeyDivide, 248, Common)                                                                             \
    X(kIdKeyF1, 249, Common)                                                                                 \
    X(kIdKeyF2, 250, Common)                                                                                 \
    X(kIdKeyF3, 251, Common)                                                                                 \
    X(kIdKeyF4, 252, Common)                                                                                 \
    X(kIdKeyF5, 253, Common)                                                                                 \
    X(kIdKeyF6, 254, Common)                                                                                 \
    X(kIdKeyF7, 255, Common)                                                                                 \
    X(kIdKeyF8, 256, Common)                                                                                 \
    X(kIdKeyF9, 257, Common)                                                                                 \
    X(kIdKeyF10, 258, Common)                                                                                \
    X(kIdKeyF11, 259, Common)                                                                                \
    X(kIdKeyF12, 260, Common)                                                                                \
    X(kIdKeyF13, 261, Common)                                                                                \
    X(kIdKeyF14, 262, Common)                                                                                \
    X(kIdKeyF15, 263, Common)                                                                                \
    X(kIdKeyF16, 264, Common)                                                                                \
    X(kIdKeyF17, 265, Common)                                                                                \
    X(kIdKeyF18, 266, Common)                                                                                \
    X(kIdKeyF19, 267, Common)                                                                                \
    X(kIdKeyF20, 268, Common)                                                                                \
    X(kIdKeyF21, 269, Common)                                                                                \
    X(kIdKeyF22, 270, Common)                                                                                \
    X(kIdKeyF23, 271, Common)                                                                                \
    X(kIdKeyF24, 272, Common)                                                                                \
    X(kIdKeyAbntC1, 273, Common)                                                                             \
    X(kIdKeyAbntC2, 274, Common)                                                                             \
    X(kIdKeyPa1, 275, Common)                                                                                \
    X(kIdKeyNumLock, 278, Common)                                                                            \
    X(kIdKeyScrollLock, 279, Common)                                                                         \
    X(kIdKeyLeftShift, 280, Language)                                                                        \
    X(kIdKeyRightShift, 281, Language)                                                                       \
    X(kIdKeyLeftCtrl, 282, Language)                                                                         \
    X(kIdKeyRightCtrl, 283, Language)                                                                        \
    X(kIdKeyLeftAlt, 284, Language)                                                                          \
    X(kIdKeyRightAlt, 285, Language)                                                                         \
    X(kIdKeyNumEnter, 286, Common)                                                                           \
    X(kIdKeyBrowserBack, 287, Language)                                                                      \
    X(kIdKeyBrowserForward, 288, Language)                                                                   \
    X(kIdKeyBrowserRefresh, 289, Language)                                                                   \
    X(kIdKeyBrowserStop, 290, Language)                                                                      \
    X(kIdKeyBrowserSearch, 291, Language)                                                                    \
    X(kIdKeyBrowserFavorites, 292, Language)                                                                 \
    X(kIdKeyBrowserHome, 293, Language)                                                                      \
    X(kIdKeyVolumeMute, 294, Language)                                                                       \
    X(kIdKeyVolumeDown, 295, Language)                                                                       \
    X(kIdKeyVolumeUp, 296, Language)                                                                         \
    X(kIdKeyNextTrack, 297, Language)                                                                        \
    X(kIdKeyPreviousTrack, 298, Language)                                                                    \
    X(kIdKeyStopMedia, 299, Language)                                                                        \
    X(kIdKeyPlayPause, 300, Language)                                                                        \
    X(kIdKeyMail, 301, Language)                                                                             \
    X(kIdKeyMediaSelect, 302, Language)                                                                      \
    X(kIdKeyLaunchApp1, 303, Language)                                                                       \
    X(kIdKeyLaunchApp2, 304, Language)                                                                       \
    X(kIdKeyOem1, 305, Common) /* ; : */                                                                     \
    X(kIdKeyOemPlus, 306, Common)                                                                            \
    X(kIdKeyOemComma, 307, Common)                                                                           \
    X(kIdKeyOemMinus, 308, Common)                                                                           \
    X(kIdKeyOemPeriod, 309, Common)                                                                          \
    X(kIdKeyOem2, 310, Common)   /* / ? */                                                                   \
    X(kIdKeyOem3, 311, Common)   /* ` ~ */                                                                   \
    X(kIdKeyOem4, 312, Common)   /* [ { */                                                                   \
    X(kIdKeyOem5, 313, Common)   /* \ | */                                                                   \
    X(kIdKeyOem6, 314, Common)   /* ] } */                                                                   \
    X(kIdKeyOem7, 315, Common)   /* ' " */                                                                   \
    X(kIdKeyOem102, 317, Common) /* < > beside left Shift */

#define OGONEK_DECLARE_STRING_ID(name, id, table) constexpr uint32_t name = id;
OGONEK_STRING_IDS(OGONEK_DECLARE_STRING_ID)
#undef OGONEK_DECLARE_STRING_ID

// Display names of the keys run from here to here; not every id in between names a key.
constexpr uint32_t kIdKeyNameFirst = 162;
constexpr uint32_t kIdKeyNameLast = 317;

// The pattern of the scan-code table for a layout variant (0 to 2).
constexpr uint32_t ScanCodeTablePatternId(int32_t layoutVariant)
{
    return kIdScanCodeTablePattern0 + static_cast<uint32_t>(layoutVariant);
}
