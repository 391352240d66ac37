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
