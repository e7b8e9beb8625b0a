#pragma once
// Resource ids shared by norvane.rc and the code.

#define IDI_NORVANE 101
#define IDD_MAIN 108
#define IDD_WAIT 109

#define IDC_DEST_FOLDER 1047
#define IDC_PROGRESS 1048
#define IDC_START 1049
#define IDC_EXIT 1050
#define IDC_FILE_NAME 1051
#define IDC_TOTAL_BYTES 1052
#define IDC_STATUS 1053
#define IDC_COPIED_BYTES 1054
#define IDC_PERCENT 1055
