// An interface implemented by a member object of a larger object. Its IUnknown slots forward to
// the object it is embedded in, so every interface of one driver object shares one identity and
// one reference count, while each interface group keeps its methods in a class of its own.
#pragma once

#include "tevra/TevraTypes.h"

namespace tevra::core {

class IObjectRoot {
 public:
  virtual HRESULT QueryObject(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRefObject() = 0;
  virtual ULONG ReleaseObject() = 0;

 protected:
  ~IObjectRoot() = default;
};

template <class Itf>
class Embedded : public Itf {
 public:
  explicit Embedded(IObjectRoot& root) : root_(root) {}
  Embedded(const Embedded&) = delete;
  Embedded& operator=(const Embedded&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override { return root_.QueryObject(riid, ppv); }
  ULONG AddRef() override { return root_.AddRefObject(); }
  ULONG Release() override { return root_.ReleaseObject(); }

 protected:
  ~Embedded() = default;
  IObjectRoot& root_;
};

// Hands out an interface pointer with a new reference, as QueryInterface does.
template <class Itf>
HRESULT GiveInterface(Itf* itf, void** ppv) {
  itf->AddRef();
  *ppv = static_cast<void*>(itf);
  return S_OK;
}

// QueryInterface's answer for an object found by id: a new reference, or E_NOINTERFACE with a
// null output when nothing was found.
inline HRESULT GiveFound(IUnknown* found, void** ppv) {
  *ppv = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

}  // namespace tevra::core
