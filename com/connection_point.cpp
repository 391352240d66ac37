#include "com/connection_point.h"

#include <utility>

namespace zm::com {
namespace {

// A reference-counted enumerator over a snapshot of items; Copy hands one item out.
template <class Interface, class Item, const IID* InterfaceId, void (*Copy)(const Item&, Item*)>
class SnapshotEnum final : public Interface {
 public:
  explicit SnapshotEnum(std::vector<Item> items, size_t position = 0)
      : items_(std::move(items)), position_(position) {}
  ~SnapshotEnum() { ReleaseItems(items_); }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != *InterfaceId) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }
  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_.size()) Copy(items_[position_++], &out[n++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** out) override {
    if (!out) return E_POINTER;
    std::vector<Item> copy(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) Copy(items_[i], &copy[i]);
    auto* clone = new (std::nothrow) SnapshotEnum({}, position_);
    if (!clone) {
      ReleaseItems(copy);
      return E_OUTOFMEMORY;
    }
    clone->items_ = std::move(copy);
    *out = clone;
    return S_OK;
  }

 private:
  static void ReleaseItems(std::vector<Item>& items);
  std::vector<Item> items_;
  size_t position_;
  volatile LONG refs_ = 1;
};

void CopyConnectData(const CONNECTDATA& from, CONNECTDATA* to) {
  *to = from;
  if (to->pUnk) to->pUnk->AddRef();
}
void CopyPoint(IConnectionPoint* const& from, IConnectionPoint** to) {
  *to = from;
  if (from) from->AddRef();
}

using ConnectionsEnum = SnapshotEnum<IEnumConnections, CONNECTDATA, &IID_IEnumConnections, CopyConnectData>;
using PointsEnum = SnapshotEnum<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints, CopyPoint>;

template <>
void ConnectionsEnum::ReleaseItems(std::vector<CONNECTDATA>& items) {
  for (CONNECTDATA& item : items)
    if (item.pUnk) item.pUnk->Release();
}
template <>
void PointsEnum::ReleaseItems(std::vector<IConnectionPoint*>& items) {
  for (IConnectionPoint* item : items)
    if (item) item->Release();
}

}  // namespace

ConnectionPoint::~ConnectionPoint() { UnadviseAll(); }

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
  *out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return container_->AddRef(); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return container_->Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = container_;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  IUnknown* queried = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&queried))) || !queried)
    return CONNECT_E_CANNOTCONNECT;
  for (size_t i = 0; i < sinks_.size(); ++i) {
    if (!sinks_[i]) {
      sinks_[i] = queried;
      *cookie = static_cast<DWORD>(i + 1);
      return S_OK;
    }
  }
  try {
    sinks_.push_back(queried);
  } catch (...) {
    queried->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = static_cast<DWORD>(sinks_.size());
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = std::exchange(sinks_[cookie - 1], nullptr);
  sink->Release();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::vector<CONNECTDATA> items;
  for (size_t i = 0; i < sinks_.size(); ++i) {
    if (!sinks_[i]) continue;
    sinks_[i]->AddRef();
    items.push_back({sinks_[i], static_cast<DWORD>(i + 1)});
  }
  *out = new (std::nothrow) ConnectionsEnum(std::move(items));
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> result;
  for (IUnknown* sink : sinks_)
    if (sink) result.emplace_back(sink);
  return result;
}

void ConnectionPoint::UnadviseAll() {
  std::vector<IUnknown*> sinks;
  sinks.swap(sinks_);
  for (IUnknown* sink : sinks)
    if (sink) sink->Release();
}

HRESULT CreateConnectionPointEnum(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  std::vector<IConnectionPoint*> items;
  for (IConnectionPoint* point : points) {
    point->AddRef();
    items.push_back(point);
  }
  *out = new (std::nothrow) PointsEnum(std::move(items));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zm::com
