#pragma once
// The identifiers of the program's embedded resources: the one list that the
// resource scripts (artwork.rc, downloader.rc, the test variants) and the code
// share. Plain numeric #defines, since the resource compiler reads this file
// too; the scripts that read the .rc files as text (picture_check.py,
// artwork_test.sh, json/embed_documents.cmake) take the numbers from here.

// The icon group of the window class and of the executable.
#define RESOURCE_ICON 101

// The window's background, 640 x 380, also the panel's backdrop.
#define RESOURCE_BACKGROUND 102

// The UX documents: the program loads RESOURCE_UX_DOCUMENT; the other two are
// skins of the same schema that it never loads.
#define RESOURCE_UX_CLASSIC 103
#define RESOURCE_UX_DOCUMENT 104
#define RESOURCE_UX_KOREAN 105

// The buttons' images, 70 x 30, four each in the order of ButtonState
// (ui/button_state.h): a button draws its first image's id + its state.
#define RESOURCE_EXIT_NORMAL 134
#define RESOURCE_EXIT_OVER 135
#define RESOURCE_EXIT_DOWN 136
#define RESOURCE_EXIT_DISABLED 137
#define RESOURCE_FOLDER_NORMAL 138
#define RESOURCE_FOLDER_OVER 139
#define RESOURCE_FOLDER_DOWN 140
#define RESOURCE_FOLDER_DISABLED 141
#define RESOURCE_PLAY_NORMAL 142
#define RESOURCE_PLAY_OVER 143
#define RESOURCE_PLAY_DOWN 144
#define RESOURCE_PLAY_DISABLED 145
#define RESOURCE_START_NORMAL 146
#define RESOURCE_START_OVER 147
#define RESOURCE_START_DOWN 148
#define RESOURCE_START_DISABLED 149
#define RESOURCE_PAUSE_NORMAL 150
#define RESOURCE_PAUSE_OVER 151
#define RESOURCE_PAUSE_DOWN 152
#define RESOURCE_PAUSE_DISABLED 153

// The same images at twice the size (a 1280 x 760 background, 140 x 60
// buttons), drawn above 96 DPI: the large image of resource N is
// N + RESOURCE_DOUBLE_SIZE.
#define RESOURCE_DOUBLE_SIZE 1000
#define RESOURCE_BACKGROUND_2X 1102
#define RESOURCE_EXIT_NORMAL_2X 1134
#define RESOURCE_EXIT_OVER_2X 1135
#define RESOURCE_EXIT_DOWN_2X 1136
#define RESOURCE_EXIT_DISABLED_2X 1137
#define RESOURCE_FOLDER_NORMAL_2X 1138
#define RESOURCE_FOLDER_OVER_2X 1139
#define RESOURCE_FOLDER_DOWN_2X 1140
#define RESOURCE_FOLDER_DISABLED_2X 1141
#define RESOURCE_PLAY_NORMAL_2X 1142
#define RESOURCE_PLAY_OVER_2X 1143
#define RESOURCE_PLAY_DOWN_2X 1144
#define RESOURCE_PLAY_DISABLED_2X 1145
#define RESOURCE_START_NORMAL_2X 1146
#define RESOURCE_START_OVER_2X 1147
#define RESOURCE_START_DOWN_2X 1148
#define RESOURCE_START_DISABLED_2X 1149
#define RESOURCE_PAUSE_NORMAL_2X 1150
#define RESOURCE_PAUSE_OVER_2X 1151
#define RESOURCE_PAUSE_DOWN_2X 1152
#define RESOURCE_PAUSE_DISABLED_2X 1153
