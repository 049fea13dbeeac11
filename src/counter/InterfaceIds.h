// The interface id of each object interface type the member files declare:
// IidOf<ITevraMath>::kIid is IID_ITevraMath.
#pragma once

#include "tevra/TevraInterfaces.h"
#include "tevra/TevraSystemInterfaces.h"

namespace tevra::counter {

template <class Itf>
struct IidOf;
#define TEVRA_INTERFACE(Itf, ...)                 \
  template <>                                     \
  struct IidOf<Itf> {                             \
    static constexpr const IID& kIid = IID_##Itf; \
  };
#define TEVRA_PROPERTY(...)
#define TEVRA_METHOD(...)
#define TEVRA_QUERY(...)
#define TEVRA_COMMAND(...)
#include "core/members/Interfaces.inc"
#include "counter/members/Interfaces.inc"
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND

}  // namespace tevra::counter
