// Resource identifiers of this subsystem.
#pragma once

#define IDD_ZMS_PASSWORD 501

// Controls of the authentication dialog.
#define IDC_ZMS_USERNAME 0x102
#define IDC_ZMS_PASSWORD 0x103
#define IDC_ZMS_REMEMBER 0x104
