#include "peers/renderer/renderer_ledger.h"

#include <mutex>
#include <vector>

namespace zm::renderer {
namespace {

struct Entry {
  IRendererCounters* live;  // not held: the renderer retires itself before it goes
  RendererCounts last;
};

std::mutex& LedgerLock() {
  static std::mutex lock;
  return lock;
}

std::vector<Entry>& Ledger() {
  static std::vector<Entry> ledger;
  return ledger;
}

}  // namespace

size_t EnrolRenderer(IRendererCounters* renderer) {
  std::lock_guard<std::mutex> hold(LedgerLock());
  Ledger().push_back(Entry{renderer, RendererCounts{0, 0, 0, -1, 0, TRUE, 0}});
  return Ledger().size() - 1;
}

void RetireRenderer(size_t index, const RendererCounts& counts) {
  std::lock_guard<std::mutex> hold(LedgerLock());
  Ledger().at(index) = Entry{nullptr, counts};
}

}  // namespace zm::renderer

extern "C" HRESULT WINAPI ZmRendererCounts(UINT index, zm::renderer::RendererCounts* counts) {
  using namespace zm::renderer;
  if (!counts) return E_POINTER;
  std::lock_guard<std::mutex> hold(LedgerLock());
  if (index >= Ledger().size()) return DISP_E_BADINDEX;
  const Entry& entry = Ledger()[index];
  if (entry.live) return entry.live->GetCounts(counts);
  *counts = entry.last;
  return S_OK;
}
