// Every resource and command id of the Windows program, in one place.
// Included by the .rc script (windres) and by the C++ sources.
#pragma once

// --- resources -------------------------------------------------------------
#define IDS_APP_TITLE 104
#define IDS_APP_CLASS 110
#define IDM_MAIN_MENU 110
#define IDM_MAIN_MENU_EN 109
#define IDA_ACCELERATORS 109
#define IDI_APP_ICON 157
#define IDB_SAMPLE 145
#define IDB_SWATCH_TEMPLATE 168

#define IDD_ABOUT 103
#define IDD_OUTPUT_OPTIONS 165
#define IDD_OUTPUT_OPTIONS_EN 163
#define IDD_PROCESSING 166
#define IDD_PROCESSING_EN 158
#define IDD_OUTLINE_SHADOW 167
#define IDD_OUTLINE_SHADOW_EN 168

// --- processing dialog controls ----------------------------------------------
#define IDC_PROGRESS_INDEX 1004
#define IDC_PROGRESS_TOTAL 1005
#define IDC_PROGRESS_SUMMARY 1006
#define IDC_PROGRESS_FILE 1011

// --- main menu: File -----------------------------------------------------------
#define IDM_OPEN_FOLDER 32772
#define IDM_VIEW_HISTORY 32771
#define IDM_EXIT 105

// --- main menu: Output ---------------------------------------------------------
#define IDM_SCALE_1 32803
#define IDM_SCALE_2 32776
#define IDM_SCALE_4 32777
#define IDM_SCALE_8 32778

#define IDM_COLOR_ORIGINAL 32813
#define IDM_COLOR_VIVID1 32830
#define IDM_COLOR_VIVID2 32831
#define IDM_COLOR_VIVID3 32832
#define IDM_COLOR_VIVID4 32833
#define IDM_COLOR_FADE1 32868
#define IDM_COLOR_FADE2 32869
#define IDM_COLOR_FADE3 32870
#define IDM_COLOR_FADE4 32887
#define IDM_COLOR_NATURAL_SEPIA 32809
#define IDM_COLOR_BLUE_SEPIA 32836
#define IDM_COLOR_SEPIA1 32810
#define IDM_COLOR_SEPIA2 32811
#define IDM_COLOR_SEPIA3 32812
#define IDM_COLOR_MONO 32903
#define IDM_COLOR_NEGATIVE 32821
#define IDM_COLOR_GRAYSCALE 32814

#define IDM_CONTRAST_ORIGINAL 32872
#define IDM_CONTRAST_AUTO 32879
#define IDM_CONTRAST_LEVEL1 32875
#define IDM_CONTRAST_LEVEL2 32876
#define IDM_CONTRAST_LEVEL3 32878
#define IDM_CONTRAST_LEVEL4 32882
#define IDM_CONTRAST_LEVEL5 32883
#define IDM_CONTRAST_LEVEL6 32885

#define IDM_BLUR_NONE 32838
#define IDM_BLUR_SOFT_FOCUS 32841
#define IDM_BLUR_SUPER_SOFT_FOCUS 32856
#define IDM_BLUR_LIGHT 32839
#define IDM_BLUR_MEDIUM 32858
#define IDM_BLUR_STRONG 32840

#define IDM_ROTATE_NONE 32816
#define IDM_ROTATE_CW 32822
#define IDM_ROTATE_CCW 32823
#define IDM_ROTATE_180 32827
#define IDM_FLIP_HORIZONTAL 32824
#define IDM_FLIP_VERTICAL 32825

#define IDM_VIGNETTE_NONE 32847
#define IDM_VIGNETTE_WHITE 32848
#define IDM_VIGNETTE_BLACK 32849
#define IDM_VIGNETTE_CUSTOM 32863
#define IDM_SHAPE_FRAME 32850
#define IDM_SHAPE_OUTER 32866
#define IDM_SHAPE_INNER 32865
#define IDM_THICKNESS_THIN 32853
#define IDM_THICKNESS_MEDIUM 32854
#define IDM_THICKNESS_THICK 32855

#define IDM_QUALITY_100 32783
#define IDM_QUALITY_90 32784
#define IDM_QUALITY_80 32785
#define IDM_QUALITY_70 32786
#define IDM_QUALITY_60 32787
#define IDM_QUALITY_50 32788
#define IDM_QUALITY_40 32789
#define IDM_QUALITY_30 32790
#define IDM_QUALITY_20 32791
#define IDM_QUALITY_10 32792

#define IDM_EFFECT_NONE 32901
#define IDM_EFFECT_OUTLINE_SHADOW 32897
#define IDM_RESET_OPTIONS 32867
#define IDM_SAVE_OPTIONS 32889
#define IDM_OPTIONS_DIALOG 32886

// --- main menu: View and Help ----------------------------------------------------
#define IDM_VIEW_COMPACT 32835
#define IDM_VIEW_LARGE 32834
#define IDM_MANUAL 32782
#define IDM_PRODUCT_PAGE 32829
#define IDM_GALLERY 32905
#define IDM_ABOUT 104

// --- timers ----------------------------------------------------------------------
#define IDT_CLOCK 0x7FFF
#define IDT_PROGRESS 0x8000

// Controls of the Output Options (165/163), Outline & Shadow (167/168) and
// About (103) dialogs follow below.
