// Resource identifiers of this subsystem.
#pragma once

// The flow bar's dialog template.
#define IDD_FLOWBAR 104
