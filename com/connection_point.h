// One connection point of an object: the sinks connected for one outgoing
// interface, kept in a growable array whose places are emptied by Unadvise.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "com/com_ptr.h"

namespace zm::com {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // The container owns this object and supplies its lifetime.
  ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : container_(container), iid_(iid) {}
  ~ConnectionPoint();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  REFIID Iid() const { return iid_; }
  // The connected sinks in array order, each with a reference held for the caller.
  std::vector<ComPtr<IUnknown>> Sinks() const;
  // Drops every sink (the owner is being destroyed).
  void UnadviseAll();

 private:
  IConnectionPointContainer* container_;
  IID iid_;
  std::vector<ComPtr<IUnknown>> sinks_;  // cookie = position + 1; empty where emptied
};

// Snapshot enumerators for IConnectionPointContainer::EnumConnectionPoints.
HRESULT CreateConnectionPointEnum(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

}  // namespace zm::com
