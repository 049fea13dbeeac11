#include "counter/ArmGroup.h"

#include "counter/Rows.h"
#include "counter/Tevra.h"

namespace tevra::counter {
namespace {

template <class Itf>
HRESULT GiveSubInterface(Tevra& driver, const Property& row, Itf* itf, Itf** val) {
  return driver.Enter(
      row.get, [&] { return core::GiveInterface<Itf>(itf, reinterpret_cast<void**>(val)); },
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
      classArm_(*this),
      classStart_(*this),
      classStartExternal_(*this),
      classStop_(*this),
      classStopExternal_(*this) {}

IUnknown* ArmGroup::Find(REFIID riid) {
  if (riid == IID_ITevraArm) return static_cast<ITevraArm*>(&gate_);
  if (riid == IID_ITevraArmStart) return static_cast<ITevraArmStart*>(&start_);
  if (riid == IID_ITevraArmStartExternal)
    return static_cast<ITevraArmStartExternal*>(&startExternal_);
  if (riid == IID_ITevraArmStop) return static_cast<ITevraArmStop*>(&stop_);
  if (riid == IID_ITevraArmStopExternal) return static_cast<ITevraArmStopExternal*>(&stopExternal_);
  if (riid == IID_IIviCounterArm) return static_cast<IIviCounterArm*>(&classArm_);
  if (riid == IID_IIviCounterArmStart) return static_cast<IIviCounterArmStart*>(&classStart_);
  if (riid == IID_IIviCounterArmStartExternal)
    return static_cast<IIviCounterArmStartExternal*>(&classStartExternal_);
  if (riid == IID_IIviCounterArmStop) return static_cast<IIviCounterArmStop*>(&classStop_);
  if (riid == IID_IIviCounterArmStopExternal)
    return static_cast<IIviCounterArmStopExternal*>(&classStopExternal_);
  return nullptr;
}

std::unique_ptr<InterfaceGroup> CreateArmGroup(Tevra& driver) {
  return std::make_unique<ArmGroup>(driver);
}

HRESULT ArmGroup::Gate::get_Start(ITevraArmStart** val) {
  return GiveSubInterface<ITevraArmStart>(g_.driver_, rows::ITevraArm_Start, &g_.start_, val);
}
HRESULT ArmGroup::Gate::get_Stop(ITevraArmStop** val) {
  return GiveSubInterface<ITevraArmStop>(g_.driver_, rows::ITevraArm_Stop, &g_.stop_, val);
}
HRESULT ArmGroup::Start::get_External(ITevraArmStartExternal** val) {
  return GiveSubInterface<ITevraArmStartExternal>(g_.driver_, rows::ITevraArmStart_External,
                                                  &g_.startExternal_, val);
}
HRESULT ArmGroup::Stop::get_External(ITevraArmStopExternal** val) {
  return GiveSubInterface<ITevraArmStopExternal>(g_.driver_, rows::ITevraArmStop_External,
                                                 &g_.stopExternal_, val);
}
HRESULT ArmGroup::ClassStart::get_External(IIviCounterArmStartExternal** val) {
  return GiveSubInterface<IIviCounterArmStartExternal>(
      g_.driver_, rows::IIviCounterArmStart_External, &g_.classStartExternal_, val);
}
HRESULT ArmGroup::ClassStop::get_External(IIviCounterArmStopExternal** val) {
  return GiveSubInterface<IIviCounterArmStopExternal>(g_.driver_, rows::IIviCounterArmStop_External,
                                                      &g_.classStopExternal_, val);
}

}  // namespace tevra::counter
