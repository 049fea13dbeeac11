#include "counter/InstrumentParts.h"

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

namespace {

class InstrumentGroup final : public InterfaceGroup {
 public:
  explicit InstrumentGroup(Tevra& driver)
      : display_(driver), output_(driver), referenceOscillator_(driver) {}

  HRESULT Query(REFIID riid, void** ppv) override {
    if (riid == IID_ITevraDisplay) return core::GiveInterface<ITevraDisplay>(&display_, ppv);
    if (riid == IID_ITevraOutput) return core::GiveInterface<ITevraOutput>(&output_, ppv);
    if (riid == IID_ITevraReferenceOscillator)
      return core::GiveInterface<ITevraReferenceOscillator>(&referenceOscillator_, ppv);
    return E_NOINTERFACE;
  }

 private:
  DisplayInterface display_;
  OutputInterface output_;
  ReferenceOscillatorInterface referenceOscillator_;
};

}  // namespace

std::unique_ptr<InterfaceGroup> CreateInstrumentGroup(Tevra& driver) {
  return std::make_unique<InstrumentGroup>(driver);
}

}  // namespace tevra::counter
