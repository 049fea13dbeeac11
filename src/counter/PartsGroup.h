// A group of interfaces each implemented by one object running on the driver's node: the group
// owns the objects and answers each one's interface id.
#pragma once

#include <tuple>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"
#include "counter/InterfaceIds.h"

namespace tevra::counter {

// Parts: DriverPart classes, each answering its Interface.
template <class... Parts>
class PartsGroup final : public InterfaceGroup {
 public:
  explicit PartsGroup(Tevra& driver) : parts_(((void)sizeof(Parts), driver)...) {}

  HRESULT Query(REFIID riid, void** ppv) override {
    return std::apply(
        [&](auto&... part) {
          HRESULT hr = E_NOINTERFACE;
          ((hr = hr == E_NOINTERFACE ? Give(part, riid, ppv) : hr), ...);
          return hr;
        },
        parts_);
  }

 private:
  template <class Part>
  static HRESULT Give(Part& part, REFIID riid, void** ppv) {
    using Itf = typename Part::Interface;
    if (riid != IidOf<Itf>::kIid) return E_NOINTERFACE;
    return core::GiveInterface<Itf>(&part, ppv);
  }

  std::tuple<Parts...> parts_;
};

}  // namespace tevra::counter
