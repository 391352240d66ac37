#include "com/connection_point.h"

#include <new>
#include <utility>

namespace zm::com {
namespace {

// A reference-counted enumerator over a snapshot of owned items; Copy hands one item out
// with a reference of its own.
template <class Interface, class Item, class Stored, const IID* InterfaceId, void (*Copy)(const Stored&, Item*)>
class SnapshotEnum final : public Interface {
 public:
  explicit SnapshotEnum(std::vector<Stored> items, size_t position = 0)
      : items_(std::move(items)), position_(position) {}

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
    *out = new (std::nothrow) SnapshotEnum(items_, position_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<Stored> items_;
  size_t position_;
  volatile LONG refs_ = 1;
};

struct Connection {
  ComPtr<IUnknown> sink;
  DWORD cookie;
};

void CopyConnection(const Connection& from, CONNECTDATA* to) {
  from.sink.copy_to(&to->pUnk);
  to->dwCookie = from.cookie;
}
void CopyPoint(const ComPtr<IConnectionPoint>& from, IConnectionPoint** to) { from.copy_to(to); }

using ConnectionsEnum = SnapshotEnum<IEnumConnections, CONNECTDATA, Connection, &IID_IEnumConnections, CopyConnection>;
using PointsEnum = SnapshotEnum<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>,
                                &IID_IEnumConnectionPoints, CopyPoint>;

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
  ComPtr<IUnknown> queried;
  if (FAILED(sink->QueryInterface(iid_, queried.put_void())) || !queried) return CONNECT_E_CANNOTCONNECT;
  for (size_t i = 0; i < sinks_.size(); ++i) {
    if (!sinks_[i]) {
      sinks_[i] = std::move(queried);
      *cookie = static_cast<DWORD>(i + 1);
      return S_OK;
    }
  }
  try {
    sinks_.push_back(std::move(queried));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = static_cast<DWORD>(sinks_.size());
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  sinks_[cookie - 1].reset();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::vector<Connection> items;
  for (size_t i = 0; i < sinks_.size(); ++i)
    if (sinks_[i]) items.push_back({sinks_[i], static_cast<DWORD>(i + 1)});
  *out = new (std::nothrow) ConnectionsEnum(std::move(items));
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> result;
  for (const ComPtr<IUnknown>& sink : sinks_)
    if (sink) result.push_back(sink);
  return result;
}

void ConnectionPoint::UnadviseAll() {
  // Released outside the array: a sink's last release may call back into this point.
  std::vector<ComPtr<IUnknown>> sinks;
  sinks.swap(sinks_);
}

HRESULT CreateConnectionPointEnum(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) PointsEnum(std::vector<ComPtr<IConnectionPoint>>(points.begin(), points.end()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zm::com
