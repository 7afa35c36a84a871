// Control and bitmap ids shared by the dialog templates (dialogs.rc) and the dialog
// procedures. Plain #defines only: the resource compiler reads this file too, and so does
// the headless Win32 layer when it builds dialogs from the same templates.
#ifndef WFDRV_DIALOG_IDS_H
#define WFDRV_DIALOG_IDS_H

#define IDC_STATIC_TEXT        -1

// Main configuration dialog (DETAILCFG2_SPA, DRIVERCFG2_SPA)
#define IDC_PAPER_GROUP        104
#define IDC_MEDIA_LABEL        1006
#define IDC_MEDIA_LIST         1007
#define IDC_PAPER_LABEL        108
#define IDC_PAPER_LIST         105
#define IDC_MARGIN_LABEL       1008
#define IDC_MARGIN             1009
#define IDC_MARGIN_SPIN        1010
#define IDC_LENGTH_LABEL       1011
#define IDC_LENGTH             1012
#define IDC_PRINT_GROUP        1013
#define IDC_FILL_GROUP         1017
#define IDC_FILL_SOLID         1018
#define IDC_FILL_HALFTONE      1019
#define IDC_IMAGE_GROUP        1025
#define IDC_RESOLUTION_GROUP   1029
#define IDC_RES_600            1030
#define IDC_RES_400            1031
#define IDC_RES_300            1032
#define IDC_RES_200            1033
#define IDC_IMAGE_CORRECTION   3030
#define IDC_JOB_LABEL_PROMPT   1039
#define IDC_JOB_LABEL_HINT     1040
#define IDC_JOB_LABEL          1041
#define IDC_COLOR_GROUP        1067
#define IDC_RED_GROUP          1068
#define IDC_RED_YES            1069
#define IDC_RED_NO             1070
#define IDC_RED_PEN_LABEL      1071
#define IDC_RED_PEN            1072
#define IDC_COPIES_LABEL       116
#define IDC_COPIES             114
#define IDC_COPIES_SPIN        115
#define IDC_FORMAT_GROUP       1073
#define IDC_FORMAT_RTL         1074
#define IDC_FORMAT_QDPX        1075
#define IDC_VERSION            1038
#define IDC_OPTIONS            1076

// Options dialog (OPTIONCFG1_SPA, OPTIONCFG2_SPA)
#define IDC_FINISHER_GROUP     1081
#define IDC_PROGRAM_LABEL      1089
#define IDC_PROGRAM_LIST       1096
#define IDC_FMARGIN_LABEL      1008
#define IDC_FMARGIN_LIST       1094
#define IDC_BIN_LABEL          1090
#define IDC_BIN_LIST           1095
#define IDC_MANUAL_GROUP       1112
#define IDC_MANUAL_YES         1114
#define IDC_MANUAL_NO          1116

// Image correction dialog (IDD_COLOR_SPA)
#define IDC_CURVE              3009
#define IDC_INPUT_LABEL        3000
#define IDC_OUTPUT_LABEL       3002
#define IDC_AXIS_NOTE_1        3001
#define IDC_AXIS_NOTE_2        3003
#define IDC_AXIS_NOTE_3        3004
#define IDC_INPUT_LOW          3005
#define IDC_INPUT_HIGH         3006
#define IDC_OUTPUT_LOW         3007
#define IDC_OUTPUT_HIGH        3008
#define IDC_BRIGHTNESS_GROUP   3015
#define IDC_SATURATION_ARROWS  3017
#define IDC_SATURATION_LABEL   3016
#define IDC_TINT_ARROWS        3019
#define IDC_TINT_LABEL         3018
#define IDC_GAMMA_ARROWS       3021
#define IDC_GAMMA_LABEL        3020
#define IDC_CURVE_DEFAULTS     3010
#define IDC_CURVE_OK           3031

// About box (DRV_VER_SPA)
#define IDC_ABOUT_IDENTITY     501

// Bitmaps
#define IDB_CURVE_BACKGROUND   3032
#define IDB_LOGO               102

#endif
