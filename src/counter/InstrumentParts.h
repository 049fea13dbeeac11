// The display, the gate output and the reference oscillator: interfaces of the driver object
// whose members are rows of their member files, except the display's Clear.
#pragma once

#include <memory>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class DisplayInterface final : public DriverPart<ITevraDisplay> {
 public:
  using DriverPart::DriverPart;
  HRESULT Clear() override;
#define TEVRA_ROWS "counter/members/ITevraDisplay.def"
#include "core/DeclareAccessors.inc"
};

class OutputInterface final : public DriverPart<ITevraOutput> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraOutput.def"
#include "core/DeclareAccessors.inc"
};

class ReferenceOscillatorInterface final : public DriverPart<ITevraReferenceOscillator> {
 public:
  using DriverPart::DriverPart;
#define TEVRA_ROWS "counter/members/ITevraReferenceOscillator.def"
#include "core/DeclareAccessors.inc"
};

std::unique_ptr<InterfaceGroup> CreateInstrumentGroup(Tevra& driver);

}  // namespace tevra::counter
