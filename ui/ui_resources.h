// Resource identifiers of this subsystem.
#pragma once
