// Resource identifiers of the renderer DLL.
#pragma once

#define IDR_MEDIARENDERER 101
