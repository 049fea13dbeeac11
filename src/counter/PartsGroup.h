// A group of interfaces each implemented by one object running on the driver's node: the group
// owns the objects and answers each one's interface id, read from its member file's interface
// row.
#pragma once

#include <tuple>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"
#include "counter/Rows.h"

namespace tevra::counter {

// The interface row of an interface type: InterfaceRowOf<ITevraMath>::row is
// rows::ITevraMath_Interface.
template <class Itf>
struct InterfaceRowOf;
#define TEVRA_INTERFACE(Itf, ...)                                  \
  template <>                                                      \
  struct InterfaceRowOf<Itf> {                                     \
    static constexpr const Interface& row = rows::Itf##_Interface; \
  };
#define TEVRA_PROPERTY(...)
#define TEVRA_METHOD(...)
#define TEVRA_QUERY(...)
#define TEVRA_COMMAND(...)
#include "counter/members/Interfaces.inc"
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND

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
    if (riid != *InterfaceRowOf<Itf>::row.iid) return E_NOINTERFACE;
    return core::GiveInterface<Itf>(&part, ppv);
  }

  std::tuple<Parts...> parts_;
};

}  // namespace tevra::counter
