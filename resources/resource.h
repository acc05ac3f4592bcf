// Identifiers of the saver module's resources, shared by the resource script (tavrin.rc) and
// the code that drives the dialogs. Only #define lines: rc and C++ both read this file.
#pragma once

// Controls that nothing addresses.
#define IDC_STATIC (-1)

// Dialogs and icons.
#define IDD_CONFIGURE 2003
#define IDI_TAVRIN 100
#define IDI_SOUND 103

// The configuration dialog: effect settings.
#define IDC_EFFECT 1000
#define IDC_DIR_UP 105
#define IDC_DIR_DOWN 106
#define IDC_DIR_HORIZONTAL 107
#define IDC_DIR_VERTICAL 108
#define IDC_DIR_RIGHT 109
#define IDC_DIR_LEFT 110
#define IDC_DIR_IN 111
#define IDC_DIR_OUT 112
#define IDC_DIR_NONE 113
#define IDC_RANDOM_IMAGES 119
#define IDC_RANDOM_EFFECTS 116
#define IDC_SOUND_CLIPS 1002
#define IDC_RANDOM_SOUND_CLIPS 1003
#define IDC_GRAIN_SIZE 118
#define IDC_DELAY_FACTOR 115
#define IDC_DELAY 130

// The configuration dialog: playlists and previews.
#define IDC_PICTURE_ORDER 1015
#define IDC_PICTURE_LIST 1010
#define IDC_PICTURE_BROWSE 1018
#define IDC_PICTURE_REMOVE 1019
#define IDC_PREVIEW 1016
#define IDC_THUMBNAIL 1021
#define IDC_CLIP_ORDER 1017
#define IDC_CLIP_LIST 1024
#define IDC_CLIP_BROWSE 1025
#define IDC_CLIP_REMOVE 1026
#define IDC_CLIP_PLAYER 1027

// The configuration dialog: buttons and labels.
#define IDC_HELP_BUTTON 128
#define IDC_ABOUT_BUTTON 127
#define IDC_GRAIN_SIZE_LABEL 117
#define IDC_DELAY_FACTOR_LABEL 114
#define IDC_DELAY_LABEL 129
#define IDC_SETTINGS_GROUP 101
#define IDC_EFFECT_LABEL 103
#define IDC_DIRECTION_GROUP 102

// The About box.
#define IDC_ABOUT_NOTICE 7000
