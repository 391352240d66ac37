// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDS_PROJNAME 100
#define IDR_APPID 101
#define IDB_ZMEDIAPLAYER 102
#define IDR_ZMEDIAPLAYER 103
