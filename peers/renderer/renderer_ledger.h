// The renderers this process has created, in creation order, with their counters: live ones
// answer for themselves, ended ones with what they had counted at the end. A test that plays
// through the control, which keeps its renderer to itself, reads them with the exported
// ZmRendererCounts(index, counts): S_OK, or DISP_E_BADINDEX past the last renderer. Any thread.
#pragma once

#include "peers/renderer/renderer_counters.h"

namespace zm::renderer {

// Enrols a renderer; the index it gets is its place in the ledger.
size_t EnrolRenderer(IRendererCounters* renderer);
// The renderer ends: its last counts stay in its place.
void RetireRenderer(size_t index, const RendererCounts& counts);

}  // namespace zm::renderer
