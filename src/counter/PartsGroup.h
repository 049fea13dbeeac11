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

  IUnknown* Find(REFIID riid) override {
    return std::apply(
        [&](auto&... part) {
          IUnknown* found = nullptr;
          ((found = found ? found : Match(part, riid)), ...);
          return found;
        },
        parts_);
  }

 private:
  template <class Part>
  static IUnknown* Match(Part& part, REFIID riid) {
    using Itf = typename Part::Interface;
    return riid == IidOf<Itf>::kIid ? static_cast<Itf*>(&part) : nullptr;
  }

  std::tuple<Parts...> parts_;
};

}  // namespace tevra::counter
