// An interface of the driver object that runs on the driver's own node: the measurement
// functions, the math subsystem and the other interfaces whose members are the driver's rows.
#pragma once

#include "core/Embedded.h"
#include "counter/Tevra.h"

namespace tevra::counter {

template <class Itf>
class DriverPart : public core::Embedded<Itf> {
 public:
  using Interface = Itf;
  explicit DriverPart(Tevra& driver) : core::Embedded<Itf>(driver), d_(driver) {}

 protected:
  ~DriverPart() = default;
  Tevra& d_;
};

}  // namespace tevra::counter
