/* Control ids of the page templates, shared by resources/dialogs.rc and the pages: plain defines, so
   that the resource compiler reads them too. */
#ifndef OGONEK_PAGES_CONTROL_IDS_H
#define OGONEK_PAGES_CONTROL_IDS_H

/* Shared by several pages. */
#define IDC_NEXT 1
#define IDC_CANCEL_PAGE 300
#define IDC_BACK 301
#define IDC_INSTALL 206

/* 200: welcome */
#define IDC_WELCOME_TITLE 308
#define IDC_WELCOME_BODY 309
#define IDC_UI_LANGUAGE_LABEL 307
#define IDC_UI_LANGUAGE 2002
#define IDC_UNINSTALL 315
#define IDC_MODIFY 2003
#define IDC_KEYBOARD_SETTINGS 2
#define IDC_REINSTALL 2001

/* 201: licence */
#define IDC_LICENCE_TITLE 311
#define IDC_LICENCE_TEXT 306
#define IDC_ACCEPT_LICENCE 305

/* 202: setup */
#define IDC_INPUT_LANGUAGE_LABEL 313
#define IDC_INPUT_LANGUAGE 1202
#define IDC_DEFAULT_INPUT 1200
#define IDC_USER_VALUES 1205
#define IDC_DESKTOP_SHORTCUTS 1212
#define IDC_SECOND_SET 1213
#define IDC_VARIANT_LABEL 314
#define IDC_VARIANT 1214
#define IDC_DECIMAL_LABEL 316
#define IDC_DECIMAL 1215
#define IDC_SETUP_NOTE 317
#define IDC_KEYS 303
#define IDC_MORE_KEYS 304

/* 203: finish */
#define IDC_FINISH_TITLE 1209
#define IDC_FINISH_BODY 1204
#define IDC_RESTART 1213
#define IDC_FINISH_UNUSED 1211

/* 204: first key page; row k (1 to 20) has check box 1300 + k and drop-down 1400 + k */
#define IDC_KEYS1_CHECK 1300
#define IDC_KEYS1_LIST 1400
#define IDC_KEYS1_CAPTION 303
#define IDC_KEYS1_MORE 304

/* 205: second key page; row k has check box 1500 + k and drop-down 1600 + k */
#define IDC_KEYS2_CHECK 1500
#define IDC_KEYS2_LIST 1600
#define IDC_KEYS2_FIRST 303
#define IDC_KEYS2_CAPTION 304

#endif
