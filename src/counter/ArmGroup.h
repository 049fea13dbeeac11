// Arming: the driver object's ITevraArm (the gate of each measurement family), the start and
// stop arming interfaces with their external-source interfaces, and the class-compliant arm
// interfaces that convert to them. All run on the driver node, under its lock.
#pragma once

#include <memory>

#include "core/Embedded.h"
#include "core/Registry.h"
#include "counter/InterfaceGroup.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class Tevra;

class ArmGroup final : public InterfaceGroup {
 public:
  explicit ArmGroup(Tevra& driver);
  IUnknown* Find(REFIID riid) override;

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
#define TEVRA_ROWS "counter/members/ITevraArm.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class Start final : public core::Embedded<ITevraArmStart> {
   public:
    Start(ArmGroup& g);
#define TEVRA_ROWS "counter/members/ITevraArmStart.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class StartExternal final : public core::Embedded<ITevraArmStartExternal> {
   public:
    StartExternal(ArmGroup& g);
    HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                      double DelayTime) override;
#define TEVRA_ROWS "counter/members/ITevraArmStartExternal.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class Stop final : public core::Embedded<ITevraArmStop> {
   public:
    Stop(ArmGroup& g);
#define TEVRA_ROWS "counter/members/ITevraArmStop.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class StopExternal final : public core::Embedded<ITevraArmStopExternal> {
   public:
    StopExternal(ArmGroup& g);
    HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                      double HoldOffTime) override;
#define TEVRA_ROWS "counter/members/ITevraArmStopExternal.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class ClassArm final : public core::Embedded<IIviCounterArm> {
   public:
    ClassArm(ArmGroup& g);
#define TEVRA_ROWS "counter/members/IIviCounterArm.def"
#include "core/DeclareAccessors.inc"

   private:
    Tevra& driver_;
  };

  class ClassStart final : public core::Embedded<IIviCounterArmStart> {
   public:
    ClassStart(ArmGroup& g);
#define TEVRA_ROWS "counter/members/IIviCounterArmStart.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  // The class-compliant external arming of one side (start or stop): Source, Level, Slope, the
  // side's time (Delay or Holdoff) and Configure convert alike on both sides, over the side's
  // rows and message names.
  template <class IClass, class IExternal>
  class ClassExternal : public core::Embedded<IClass> {
   public:
    struct Side {
      const core::Property& source;
      const core::Property& level;
      const core::Property& slope;
      const core::Property& time;
      const core::Method& configure;
      const char* putSourceMethod;        // how the Source put's messages name it
      const char* configureSourceMethod;  // how Configure's messages name its Source
      const char* timeParameter;          // Configure's time parameter ("Delay", "Holdoff")
      HRESULT (IExternal::*getTime)(double*);
      HRESULT (IExternal::*putTime)(double);
    };
    ClassExternal(ArmGroup& g, IExternal& external, const Side& side);
    HRESULT get_Source(BSTR* val) override;
    HRESULT put_Source(BSTR val) override;
    HRESULT get_Level(double* val) override;
    HRESULT put_Level(double val) override;
    HRESULT get_Slope(IviCounterSlopeEnum* val) override;
    HRESULT put_Slope(IviCounterSlopeEnum val) override;

   protected:
    HRESULT GetTime(double* val);
    HRESULT PutTime(double val);
    HRESULT ConfigureSide(BSTR source, double level, IviCounterSlopeEnum slope, double time);

   private:
    Tevra& driver_;
    IExternal& external_;
    const Side& side_;
  };

  class ClassStartExternal final
      : public ClassExternal<IIviCounterArmStartExternal, ITevraArmStartExternal> {
   public:
    ClassStartExternal(ArmGroup& g);
    static const Side kSide;
    HRESULT get_Delay(double* val) override { return GetTime(val); }
    HRESULT put_Delay(double val) override { return PutTime(val); }
    HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope, double Delay) override {
      return ConfigureSide(Source, Level, Slope, Delay);
    }
  };

  class ClassStop final : public core::Embedded<IIviCounterArmStop> {
   public:
    ClassStop(ArmGroup& g);
#define TEVRA_ROWS "counter/members/IIviCounterArmStop.def"
#include "core/DeclareAccessors.inc"

   private:
    ArmGroup& g_;
  };

  class ClassStopExternal final
      : public ClassExternal<IIviCounterArmStopExternal, ITevraArmStopExternal> {
   public:
    ClassStopExternal(ArmGroup& g);
    static const Side kSide;
    HRESULT get_Holdoff(double* val) override { return GetTime(val); }
    HRESULT put_Holdoff(double val) override { return PutTime(val); }
    HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope,
                      double Holdoff) override {
      return ConfigureSide(Source, Level, Slope, Holdoff);
    }
  };

  Tevra& driver_;
  Gate gate_;
  Start start_;
  StartExternal startExternal_;
  Stop stop_;
  StopExternal stopExternal_;
  ClassArm classArm_;
  ClassStart classStart_;
  ClassStartExternal classStartExternal_;
  ClassStop classStop_;
  ClassStopExternal classStopExternal_;
};

std::unique_ptr<InterfaceGroup> CreateArmGroup(Tevra& driver);

}  // namespace tevra::counter
