#include "counter/InstrumentParts.h"

#include "counter/PartsGroup.h"
#include "counter/Property.h"

namespace tevra::counter {

#define TEVRA_ROWS "counter/members/ITevraDisplay.def"
#define TEVRA_CLASS DisplayInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraOutput.def"
#define TEVRA_CLASS OutputInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraReferenceOscillator.def"
#define TEVRA_CLASS ReferenceOscillatorInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

// In simulation the cleared text is what a later get of Text reads.
HRESULT DisplayInterface::Clear() {
  return d_.Enter(rows::ITevraDisplay_Clear.record, [&](core::CallFrame& frame) -> HRESULT {
    if (d_.Simulating()) return PutSimulated(d_, rows::ITevraDisplay_Text, BSTR{});
    return d_.Io().WriteString(frame.command, true, core::kDefaultTimeout);
  });
}

std::unique_ptr<InterfaceGroup> CreateInstrumentGroup(Tevra& driver) {
  return std::make_unique<
      PartsGroup<DisplayInterface, OutputInterface, ReferenceOscillatorInterface>>(driver);
}

}  // namespace tevra::counter
