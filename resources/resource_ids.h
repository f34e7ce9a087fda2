/* Identifiers of the installer's resources and of the wizard's and the
   folder picker's controls, shared by the resource script and the code. */
#pragma once

#define IDI_VORN 1              /* main window class icon */
#define IDI_SETUP 2             /* icon painted in the wizard */
#define IDR_LICENCE 3           /* RCDATA: the licence text */
#define IDR_PACKAGE 4           /* RCDATA: the package (empty in the stub) */
#define IDR_PACKAGE_CRC 5       /* RCDATA: the package's CRC-32 (0 in the stub) */
#define IDD_FOLDER_PICKER 1537  /* template of the folder picker */

/* Wizard controls (template INSTALL_DLG). */
#define IDC_ICON_PLACE 120
#define IDC_BACK 121
#define IDC_WELCOME_FIRST 130
#define IDC_LICENSE_FIRST 140
#define IDC_LICENCE_TEXT 141
#define IDC_OPTIONS_FIRST 150
#define IDC_FOLDER 152
#define IDC_BROWSE 153
#define IDC_FOLDER_FRAME 154
#define IDC_OPTIONS_LABEL 155
#define IDC_MAKE_BACKUPS 156
#define IDC_KEEP_SETTINGS 157
#define IDC_CREATE_ICONS 158
#define IDC_READY_TEXT 159
#define IDC_STATUS 170
#define IDC_MEMBER_BAR 171
#define IDC_MAIN_BAR 173
#define IDC_FINISH_FIRST 180
#define IDC_READ_HELP 183
#define IDC_LAUNCH 184

/* Folder picker: the proposal edit; the others are the Open dialog's own. */
#define IDC_PICKER_FOLDER 102
#define IDC_PICKER_CURRENT 1088 /* stc1, made an edit control */
#define IDC_PICKER_FOLDERS 1121 /* lst2 */
#define IDC_PICKER_DRIVES 1137  /* cmb2 */
