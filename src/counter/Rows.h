// The rows of every member file as constants: rows::ITevraChannel_Coupling is the Coupling
// property of ITevraChannel, rows::ITevraChannel_Interface its interface.
#pragma once

#include "counter/Registry.h"

namespace tevra::counter::rows {

using core::kKeepsOutputs;
using core::kNoInitCheck;
using core::kNoModels;
using core::kQX1100;
using core::kQX1200;
using core::kQX1300;
// The time-stamp and burst functions exist on the QX1300 only.
inline constexpr std::uint8_t kQX1300Only = kQX1100 | kQX1200;

#define TEVRA_INTERFACE(Itf, ...)                               \
  inline constexpr Interface Itf##_Interface{.iid = &IID_##Itf, \
                                             .name = #Itf __VA_OPT__(, ) __VA_ARGS__};
#define TEVRA_PROPERTY(Itf, Name, Type, Kind, ...)            \
  inline constexpr Property Itf##_##Name =                    \
      MakeProperty<Type>(Itf##_Interface, PropertyKind::Kind, \
                         {.name = #Name,                      \
                          .getName = "get_" #Name,            \
                          .putName = "put_" #Name __VA_OPT__(, ) __VA_ARGS__});
#define TEVRA_METHOD(Itf, Name, Kind, ...) \
  inline constexpr Method Itf##_##Name =   \
      MakeMethod(Itf##_Interface, MethodKind::Kind, {.name = #Name __VA_OPT__(, ) __VA_ARGS__});
#include "counter/members/Interfaces.inc"
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD

}  // namespace tevra::counter::rows
