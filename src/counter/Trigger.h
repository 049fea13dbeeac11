// ITevraTrigger: trigger count, delay, slope and source, samples per trigger, and the software
// trigger. Every member is a row of its member file; in simulation Count and SampleCount size the
// readings of a simulated Read or Fetch.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class Tevra;

class TriggerInterface final : public core::Embedded<ITevraTrigger> {
 public:
  TriggerInterface(core::IObjectRoot& root, Tevra& driver) : Embedded(root), driver_(driver) {}

#define TEVRA_ROWS "counter/members/ITevraTrigger.def"
#include "core/DeclareAccessors.inc"

 private:
  Tevra& driver_;
};

}  // namespace tevra::counter
