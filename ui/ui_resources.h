// Resource identifiers of this subsystem.
#pragma once

// The flow bar's dialog template and its controls.
#define IDD_FLOWBAR 104
#define IDC_FLOW_PLAY 261
#define IDC_FLOW_STOP 262
#define IDC_FLOW_TIME 263
#define IDC_FLOW_SEEK 264
#define IDC_FLOW_VOLUME 265
#define IDC_FLOW_PLAYLIST 272

// The context menu and its commands, which arrive as WM_COMMAND at the control window. The
// play/pause, stop and full-screen ids are the session's own commands as well (0xFA, 0xF9,
// 0xF8 in session/private_messages.h).
#define IDR_CONTEXT_MENU 5132
#define IDM_PLAYPAUSE 250
#define IDM_STOP 249
#define IDM_SIZE_HALF 245
#define IDM_SIZE_ORIGINAL 246
#define IDM_SIZE_DOUBLE 247
#define IDM_FULLSCREEN 248
#define IDM_FLOWBAR 244
#define IDM_PROPERTIES 203
#define IDM_VIDEO_SETTINGS 32769
#define IDM_ABOUT 32771
#define IDM_SIZE_PERCENT 32773
#define IDM_SNAPSHOT 32775
#define IDM_ASPECT_FIRST 32777 /* "Original" ... "Unlocked": aspect codes 0 to 5 */
#define IDM_ASPECT_LAST 32782

// The playlist dialog and its controls.
#define IDD_PLAYLIST 106
#define IDC_PLAYLIST_ENTRIES 274
#define IDC_PLAYLIST_CURRENT 277
#define IDC_PLAYLIST_SELECTED_ALONE 278
#define IDC_PLAYLIST_PREVIOUS 279
#define IDC_PLAYLIST_NEXT 280
#define IDC_PLAYLIST_FROM_SELECTED 281
#define IDC_PLAYLIST_NAME 282
#define IDC_PLAYLIST_MODE 283

// The properties dialog and its controls.
#define IDD_PROPERTIES 206
#define IDC_PROP_NAME_LABEL 202
#define IDC_PROP_SERVER 207
#define IDC_PROP_NAME 213
#define IDC_PROP_RECEIVED_FRAME_RATE 219
#define IDC_PROP_RECEIVED_BIT_RATE 220
#define IDC_PROP_PROTOCOL 221
#define IDC_PROP_RECEIVED_FRAME_RATE_LABEL 222
#define IDC_PROP_AUDIO_CHANNELS 224
#define IDC_PROP_VIDEO_BIT_RATE_LABEL 228
#define IDC_PROP_VIDEO_FRAME_RATE_LABEL 229
#define IDC_PROP_VIDEO_SIZE_LABEL 231
#define IDC_PROP_DURATION_LABEL 232
#define IDC_PROP_VIDEO_BIT_RATE 233
#define IDC_PROP_VIDEO_FRAME_RATE 234
#define IDC_PROP_DURATION 235
#define IDC_PROP_VIDEO_SIZE 236
#define IDC_PROP_MODE 237
#define IDC_PROP_AUDIO_BIT_RATE_LABEL 238
#define IDC_PROP_AUDIO_SAMPLE_RATE_LABEL 239
#define IDC_PROP_AUDIO_CHANNELS_LABEL 240
#define IDC_PROP_AUDIO_BIT_RATE 241
#define IDC_PROP_AUDIO_SAMPLE_RATE 242
#define IDC_PROP_VIDEO_GROUP 251
#define IDC_PROP_AUDIO_GROUP 252
#define IDC_PROP_TRANSMISSION 253
#define IDC_PROP_VIDEO_FILL 254
#define IDC_PROP_AUDIO_FILL 255
#define IDC_PROP_VIDEO_COUNT 256
#define IDC_PROP_AUDIO_COUNT 257
#define IDC_PROP_RECEPTION 258 /* over RTP only, below the groups */

// The video settings dialog and its controls.
#define IDD_VIDEO_SETTINGS 105
#define IDC_VIDEO_BRIGHTNESS 1019
#define IDC_VIDEO_CONTRAST 1021
#define IDC_VIDEO_RESET 261

// The about box: its picture, and the line that shows the module's version.
#define IDD_ABOUT 5139
#define IDB_ABOUT_PICTURE 5142
#define IDC_ABOUT_VERSION 5143
