// Arming: the driver object's ITevraArm (the gate of each measurement family), the start and
// stop arming interfaces with their external-source interfaces, and the class-compliant arm
// interfaces that convert to them. All run on the driver node, under its lock.
#pragma once

#include <memory>

#include "core/Embedded.h"
#include "counter/InterfaceGroup.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class Tevra;

class ArmGroup final : public InterfaceGroup {
 public:
  explicit ArmGroup(Tevra& driver);
  HRESULT Query(REFIID riid, void** ppv) override;

 private:
  class Gate final : public core::Embedded<ITevraArm> {
   public:
    Gate(ArmGroup& g);
    HRESULT SetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                      TevraArmSourceEnum ArmSource) override;
    HRESULT GetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                      TevraArmSourceEnum* ArmSource) override;
    HRESULT SetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                        TevraPolarityEnum Polarity) override;
    HRESULT GetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                        TevraPolarityEnum* Polarity) override;
    HRESULT SetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double Time) override;
    HRESULT GetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double* Time) override;
    HRESULT get_Start(ITevraArmStart** val) override;
    HRESULT get_Stop(ITevraArmStop** val) override;

   private:
    ArmGroup& g_;
  };

  class Start final : public core::Embedded<ITevraArmStart> {
   public:
    Start(ArmGroup& g);
    HRESULT get_Type(TevraArmTypeEnum* val) override;
    HRESULT put_Type(TevraArmTypeEnum val) override;
    HRESULT get_External(ITevraArmStartExternal** val) override;

   private:
    ArmGroup& g_;
  };

  class StartExternal final : public core::Embedded<ITevraArmStartExternal> {
   public:
    StartExternal(ArmGroup& g);
    HRESULT get_Source(TevraExternalSourceEnum* val) override;
    HRESULT put_Source(TevraExternalSourceEnum val) override;
    HRESULT get_Slope(TevraSlopeEnum* val) override;
    HRESULT put_Slope(TevraSlopeEnum val) override;
    HRESULT get_DelayTime(double* val) override;
    HRESULT put_DelayTime(double val) override;
    HRESULT get_DelaySource(TevraDelayHoldOffSourceEnum* val) override;
    HRESULT put_DelaySource(TevraDelayHoldOffSourceEnum val) override;
    HRESULT get_DelayEvents(LONG* val) override;
    HRESULT put_DelayEvents(LONG val) override;
    HRESULT get_Voltage(double* val) override;
    HRESULT put_Voltage(double val) override;
    HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                      double DelayTime) override;

   private:
    ArmGroup& g_;
  };

  class Stop final : public core::Embedded<ITevraArmStop> {
   public:
    Stop(ArmGroup& g);
    HRESULT get_Type(TevraArmTypeEnum* val) override;
    HRESULT put_Type(TevraArmTypeEnum val) override;
    HRESULT get_External(ITevraArmStopExternal** val) override;

   private:
    ArmGroup& g_;
  };

  class StopExternal final : public core::Embedded<ITevraArmStopExternal> {
   public:
    StopExternal(ArmGroup& g);
    HRESULT get_Source(TevraExternalSourceEnum* val) override;
    HRESULT put_Source(TevraExternalSourceEnum val) override;
    HRESULT get_Slope(TevraSlopeEnum* val) override;
    HRESULT put_Slope(TevraSlopeEnum val) override;
    HRESULT get_HoldOffTime(double* val) override;
    HRESULT put_HoldOffTime(double val) override;
    HRESULT get_HoldOffSource(TevraDelayHoldOffSourceEnum* val) override;
    HRESULT put_HoldOffSource(TevraDelayHoldOffSourceEnum val) override;
    HRESULT get_HoldOffEvents(LONG* val) override;
    HRESULT put_HoldOffEvents(LONG val) override;
    HRESULT get_Voltage(double* val) override;
    HRESULT put_Voltage(double val) override;
    HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                      double HoldOffTime) override;

   private:
    ArmGroup& g_;
  };

  class ClassStart final : public core::Embedded<IIviCounterArmStart> {
   public:
    ClassStart(ArmGroup& g);
    HRESULT get_Type(IviCounterArmTypeEnum* val) override;
    HRESULT put_Type(IviCounterArmTypeEnum val) override;
    HRESULT get_External(IIviCounterArmStartExternal** val) override;

   private:
    ArmGroup& g_;
  };

  class ClassStartExternal final : public core::Embedded<IIviCounterArmStartExternal> {
   public:
    ClassStartExternal(ArmGroup& g);
    HRESULT get_Source(BSTR* val) override;
    HRESULT put_Source(BSTR val) override;
    HRESULT get_Level(double* val) override;
    HRESULT put_Level(double val) override;
    HRESULT get_Slope(IviCounterSlopeEnum* val) override;
    HRESULT put_Slope(IviCounterSlopeEnum val) override;
    HRESULT get_Delay(double* val) override;
    HRESULT put_Delay(double val) override;
    HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope, double Delay) override;

   private:
    ArmGroup& g_;
  };

  class ClassStop final : public core::Embedded<IIviCounterArmStop> {
   public:
    ClassStop(ArmGroup& g);
    HRESULT get_Type(IviCounterArmTypeEnum* val) override;
    HRESULT put_Type(IviCounterArmTypeEnum val) override;
    HRESULT get_External(IIviCounterArmStopExternal** val) override;

   private:
    ArmGroup& g_;
  };

  class ClassStopExternal final : public core::Embedded<IIviCounterArmStopExternal> {
   public:
    ClassStopExternal(ArmGroup& g);
    HRESULT get_Source(BSTR* val) override;
    HRESULT put_Source(BSTR val) override;
    HRESULT get_Level(double* val) override;
    HRESULT put_Level(double val) override;
    HRESULT get_Slope(IviCounterSlopeEnum* val) override;
    HRESULT put_Slope(IviCounterSlopeEnum val) override;
    HRESULT get_Holdoff(double* val) override;
    HRESULT put_Holdoff(double val) override;
    HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope,
                      double Holdoff) override;

   private:
    ArmGroup& g_;
  };

  Tevra& driver_;
  Gate gate_;
  Start start_;
  StartExternal startExternal_;
  Stop stop_;
  StopExternal stopExternal_;
  ClassStart classStart_;
  ClassStartExternal classStartExternal_;
  ClassStop classStop_;
  ClassStopExternal classStopExternal_;
};

std::unique_ptr<InterfaceGroup> CreateArmGroup(Tevra& driver);

}  // namespace tevra::counter
