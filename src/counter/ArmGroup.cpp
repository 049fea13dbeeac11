#include "counter/ArmGroup.h"

#include "counter/Tevra.h"

namespace tevra::counter {
namespace {

// Interface getters answer before Initialize; the instrument-specific start and stop arming does
// not exist on the QX1100.
constexpr core::MethodRecord kGetStart{&IID_ITevraArm, "ITevraArm", "get_Start", core::kNoInitCheck,
                                       core::kQX1100};
constexpr core::MethodRecord kGetStop{&IID_ITevraArm, "ITevraArm", "get_Stop", core::kNoInitCheck,
                                      core::kQX1100};
constexpr core::MethodRecord kGetStartExternal{&IID_ITevraArmStart, "ITevraArmStart",
                                               "get_External", core::kNoInitCheck, core::kQX1100};
constexpr core::MethodRecord kGetStopExternal{&IID_ITevraArmStop, "ITevraArmStop", "get_External",
                                              core::kNoInitCheck, core::kQX1100};
constexpr core::MethodRecord kGetClassStartExternal{&IID_IIviCounterArmStart, "IIviCounterArmStart",
                                                    "get_External", core::kNoInitCheck};
constexpr core::MethodRecord kGetClassStopExternal{&IID_IIviCounterArmStop, "IIviCounterArmStop",
                                                   "get_External", core::kNoInitCheck};

template <class Itf>
HRESULT GiveSubInterface(Tevra& driver, const core::MethodRecord& method, Itf* itf, Itf** val) {
  return driver.Enter(
      method, [&] { return core::GiveInterface<Itf>(itf, reinterpret_cast<void**>(val)); },
      core::Out("val", val));
}

}  // namespace

ArmGroup::ArmGroup(Tevra& driver)
    : driver_(driver),
      gate_(*this),
      start_(*this),
      startExternal_(*this),
      stop_(*this),
      stopExternal_(*this),
      classStart_(*this),
      classStartExternal_(*this),
      classStop_(*this),
      classStopExternal_(*this) {}

HRESULT ArmGroup::Query(REFIID riid, void** ppv) {
  if (riid == IID_ITevraArm) return core::GiveInterface<ITevraArm>(&gate_, ppv);
  if (riid == IID_ITevraArmStart) return core::GiveInterface<ITevraArmStart>(&start_, ppv);
  if (riid == IID_ITevraArmStartExternal)
    return core::GiveInterface<ITevraArmStartExternal>(&startExternal_, ppv);
  if (riid == IID_ITevraArmStop) return core::GiveInterface<ITevraArmStop>(&stop_, ppv);
  if (riid == IID_ITevraArmStopExternal)
    return core::GiveInterface<ITevraArmStopExternal>(&stopExternal_, ppv);
  if (riid == IID_IIviCounterArmStart)
    return core::GiveInterface<IIviCounterArmStart>(&classStart_, ppv);
  if (riid == IID_IIviCounterArmStartExternal)
    return core::GiveInterface<IIviCounterArmStartExternal>(&classStartExternal_, ppv);
  if (riid == IID_IIviCounterArmStop)
    return core::GiveInterface<IIviCounterArmStop>(&classStop_, ppv);
  if (riid == IID_IIviCounterArmStopExternal)
    return core::GiveInterface<IIviCounterArmStopExternal>(&classStopExternal_, ppv);
  return E_NOINTERFACE;
}

std::unique_ptr<InterfaceGroup> CreateArmGroup(Tevra& driver) {
  return std::make_unique<ArmGroup>(driver);
}

HRESULT ArmGroup::Gate::get_Start(ITevraArmStart** val) {
  return GiveSubInterface<ITevraArmStart>(g_.driver_, kGetStart, &g_.start_, val);
}
HRESULT ArmGroup::Gate::get_Stop(ITevraArmStop** val) {
  return GiveSubInterface<ITevraArmStop>(g_.driver_, kGetStop, &g_.stop_, val);
}
HRESULT ArmGroup::Start::get_External(ITevraArmStartExternal** val) {
  return GiveSubInterface<ITevraArmStartExternal>(g_.driver_, kGetStartExternal, &g_.startExternal_,
                                                  val);
}
HRESULT ArmGroup::Stop::get_External(ITevraArmStopExternal** val) {
  return GiveSubInterface<ITevraArmStopExternal>(g_.driver_, kGetStopExternal, &g_.stopExternal_,
                                                 val);
}
HRESULT ArmGroup::ClassStart::get_External(IIviCounterArmStartExternal** val) {
  return GiveSubInterface<IIviCounterArmStartExternal>(g_.driver_, kGetClassStartExternal,
                                                       &g_.classStartExternal_, val);
}
HRESULT ArmGroup::ClassStop::get_External(IIviCounterArmStopExternal** val) {
  return GiveSubInterface<IIviCounterArmStopExternal>(g_.driver_, kGetClassStopExternal,
                                                      &g_.classStopExternal_, val);
}

}  // namespace tevra::counter
