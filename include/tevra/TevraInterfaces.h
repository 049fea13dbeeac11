/// @file
/// The Tevra object interface: the IVI inherent interfaces and the driver's own, as abstract
/// classes whose methods return HRESULT, in their slot order, with their interface ids and the
/// class ids of the creatable classes. Create a driver object with TevraCreateDriver (or the
/// module's DllGetClassObject) and QueryInterface for the interface you need.
#ifndef TEVRA_INTERFACES_H
#define TEVRA_INTERFACES_H

#include "tevra/IviCounterChannelArmEnums.h"
#include "tevra/TevraEnums.h"
#include "tevra/TevraObjectModel.h"
#include "tevra/TevraTypes.h"

/// Interface ids. The inherent IVI interfaces keep one id across all drivers; the Tevra ids are
/// the driver's own.
inline constexpr IID IID_IIviDriver = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x10, 0x00, 0x00, 0x01}};
inline constexpr IID IID_IIviDriverOperation = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x10, 0x00, 0x00, 0x02}};
inline constexpr IID IID_IIviComponentIdentity = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x10, 0x00, 0x00, 0x03}};
inline constexpr IID IID_IIviDriverIdentity = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x10, 0x00, 0x00, 0x04}};
inline constexpr IID IID_IIviDriverUtility = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x10, 0x00, 0x00, 0x05}};
inline constexpr IID IID_ITevra = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x20, 0x00, 0x00, 0x01}};
inline constexpr IID IID_ITevraChannels = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x20, 0x00, 0x00, 0x02}};
inline constexpr IID IID_ITevraChannel = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x20, 0x00, 0x00, 0x03}};
inline constexpr IID IID_IIviCounterChannels = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x30, 0x00, 0x00, 0x01}};
inline constexpr IID IID_IIviCounterChannel = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x30, 0x00, 0x00, 0x02}};

inline constexpr IID IID_ITevra2 = {
    0x6F4F0591, 0x604A, 0x432D, {0x89, 0x9D, 0x33, 0x6F, 0x64, 0x29, 0xEC, 0x04}};
inline constexpr IID IID_ITevra3 = {
    0xB9E45310, 0x42B5, 0x4432, {0xA8, 0x73, 0x64, 0x87, 0x7E, 0x55, 0x05, 0x99}};

inline constexpr CLSID CLSID_Tevra = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x00, 0x00, 0x00, 0x01}};
inline constexpr CLSID CLSID_TevraChannel = {
    0x9C7FE7C1, 0x2B42, 0x4C73, {0x9B, 0x3A, 0x51, 0x6E, 0x00, 0x00, 0x00, 0x02}};
/// The type library and the application identifier the module registers.
inline constexpr GUID LIBID_Tevra = {
    0x28B1D153, 0x4F10, 0x426F, {0x89, 0xD4, 0x70, 0xF7, 0x05, 0x06, 0x72, 0x19}};
inline constexpr GUID APPID_Tevra = {
    0xCF977E92, 0xD396, 0x41A1, {0x8C, 0x52, 0xAB, 0x54, 0x78, 0x60, 0x43, 0x6D}};

struct IIviDriverOperation;
struct IIviDriverIdentity;
struct IIviDriverUtility;

struct IIviDriver : IUnknown {
  virtual HRESULT get_DriverOperation(IIviDriverOperation** val) = 0;
  virtual HRESULT get_Identity(IIviDriverIdentity** val) = 0;
  virtual HRESULT get_Utility(IIviDriverUtility** val) = 0;
  virtual HRESULT Initialize(BSTR ResourceName, VARIANT_BOOL IdQuery, VARIANT_BOOL Reset,
                             BSTR OptionString) = 0;
  virtual HRESULT get_Initialized(VARIANT_BOOL* val) = 0;
  virtual HRESULT Close() = 0;

 protected:
  ~IIviDriver() = default;
};

struct IIviDriverOperation : IUnknown {
  virtual HRESULT get_LogicalName(BSTR* val) = 0;
  virtual HRESULT get_IoResourceDescriptor(BSTR* val) = 0;
  virtual HRESULT get_Cache(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Cache(VARIANT_BOOL val) = 0;
  virtual HRESULT get_InterchangeCheck(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_InterchangeCheck(VARIANT_BOOL val) = 0;
  virtual HRESULT get_QueryInstrumentStatus(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_QueryInstrumentStatus(VARIANT_BOOL val) = 0;
  virtual HRESULT get_RangeCheck(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_RangeCheck(VARIANT_BOOL val) = 0;
  virtual HRESULT get_RecordCoercions(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_RecordCoercions(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Simulate(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Simulate(VARIANT_BOOL val) = 0;
  virtual HRESULT get_DriverSetup(BSTR* val) = 0;
  virtual HRESULT InvalidateAllAttributes() = 0;
  virtual HRESULT ClearInterchangeWarnings() = 0;
  virtual HRESULT GetNextInterchangeWarning(BSTR* pbstrWarning) = 0;
  virtual HRESULT ResetInterchangeCheck() = 0;
  virtual HRESULT GetNextCoercionRecord(BSTR* val) = 0;

 protected:
  ~IIviDriverOperation() = default;
};

struct IIviComponentIdentity : IUnknown {
  virtual HRESULT get_Description(BSTR* val) = 0;
  virtual HRESULT get_Revision(BSTR* val) = 0;
  virtual HRESULT get_Vendor(BSTR* val) = 0;

 protected:
  ~IIviComponentIdentity() = default;
};

struct IIviDriverIdentity : IIviComponentIdentity {
  virtual HRESULT get_InstrumentManufacturer(BSTR* val) = 0;
  virtual HRESULT get_InstrumentModel(BSTR* val) = 0;
  virtual HRESULT get_InstrumentFirmwareRevision(BSTR* val) = 0;
  virtual HRESULT get_Identifier(BSTR* val) = 0;
  virtual HRESULT get_SupportedInstrumentModels(BSTR* val) = 0;
  virtual HRESULT get_SpecificationMajorVersion(LONG* val) = 0;
  virtual HRESULT get_SpecificationMinorVersion(LONG* val) = 0;
  virtual HRESULT get_GroupCapabilities(BSTR* val) = 0;

 protected:
  ~IIviDriverIdentity() = default;
};

struct IIviDriverUtility : IUnknown {
  virtual HRESULT Reset() = 0;
  virtual HRESULT ResetWithDefaults() = 0;
  virtual HRESULT Disable() = 0;
  virtual HRESULT SelfTest(LONG* TestResult, BSTR* TestMessage) = 0;
  virtual HRESULT ErrorQuery(LONG* ErrorCode, BSTR* ErrorMessage) = 0;
  virtual HRESULT LockObject() = 0;
  virtual HRESULT UnlockObject() = 0;

 protected:
  ~IIviDriverUtility() = default;
};

/// One input channel: its input stage (impedance, coupling, attenuation, probe, filters) and its
/// trigger levels and slopes. Channel 3 is the microwave input, which has no such settings.
struct ITevraChannel : IUnknown {
  virtual HRESULT get_Impedance(TevraImpedanceEnum* val) = 0;
  virtual HRESULT put_Impedance(TevraImpedanceEnum val) = 0;
  virtual HRESULT get_Coupling(TevraCouplingEnum* val) = 0;
  virtual HRESULT put_Coupling(TevraCouplingEnum val) = 0;
  virtual HRESULT get_Range(TevraAttenuationFactorEnum* val) = 0;
  virtual HRESULT put_Range(TevraAttenuationFactorEnum val) = 0;
  virtual HRESULT get_Voltage1(double* val) = 0;
  virtual HRESULT put_Voltage1(double val) = 0;
  virtual HRESULT get_Voltage2(double* val) = 0;
  virtual HRESULT put_Voltage2(double val) = 0;
  virtual HRESULT get_FilterEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_FilterEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Slope1(TevraSlopeEnum* val) = 0;
  virtual HRESULT put_Slope1(TevraSlopeEnum val) = 0;
  virtual HRESULT get_Slope2(TevraSlopeEnum* val) = 0;
  virtual HRESULT put_Slope2(TevraSlopeEnum val) = 0;
  virtual HRESULT get_NoiseRejectEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_NoiseRejectEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_ProbeFactor(TevraProbeFactorEnum* val) = 0;
  virtual HRESULT put_ProbeFactor(TevraProbeFactorEnum val) = 0;
  virtual HRESULT get_AutoLevelEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoLevelEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_IsProtectionEnable(VARIANT_BOOL* val) = 0;
  virtual HRESULT get_Percentage1(LONG* val) = 0;
  virtual HRESULT put_Percentage1(LONG val) = 0;
  virtual HRESULT get_Percentage2(LONG* val) = 0;
  virtual HRESULT put_Percentage2(LONG val) = 0;
  virtual HRESULT get_Strength(LONG* val) = 0;
  virtual HRESULT ConfigureLevel(double Voltage, VARIANT_BOOL NoiseRejectEnabled) = 0;
  virtual HRESULT Configure(TevraImpedanceEnum Impedance, TevraCouplingEnum Coupling,
                            TevraAttenuationFactorEnum Range) = 0;
  virtual HRESULT ResetProtection() = 0;
  virtual HRESULT AutoLevelOnce() = 0;

 protected:
  ~ITevraChannel() = default;
};

/// The class-compliant view of a channel: impedance and attenuation as numbers, the hysteresis
/// as noise rejection. The frequency filter limits are not available on this counter.
struct IIviCounterChannel : IUnknown {
  virtual HRESULT get_Impedance(double* val) = 0;
  virtual HRESULT put_Impedance(double val) = 0;
  virtual HRESULT get_Coupling(IviCounterCouplingEnum* val) = 0;
  virtual HRESULT put_Coupling(IviCounterCouplingEnum val) = 0;
  virtual HRESULT get_Attenuation(double* val) = 0;
  virtual HRESULT put_Attenuation(double val) = 0;
  virtual HRESULT get_Level(double* val) = 0;
  virtual HRESULT put_Level(double val) = 0;
  virtual HRESULT get_Hysteresis(double* val) = 0;
  virtual HRESULT put_Hysteresis(double val) = 0;
  virtual HRESULT get_FilterEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_FilterEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Slope(IviCounterSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(IviCounterSlopeEnum val) = 0;
  virtual HRESULT get_MinimumFrequency(double* val) = 0;
  virtual HRESULT put_MinimumFrequency(double val) = 0;
  virtual HRESULT get_MaximumFrequency(double* val) = 0;
  virtual HRESULT put_MaximumFrequency(double val) = 0;
  virtual HRESULT ConfigureLevel(double TriggerLevel, double Hysteresis) = 0;
  virtual HRESULT Configure(double Impedance, IviCounterCouplingEnum Coupling,
                            double Attenuation) = 0;
  virtual HRESULT ConfigureFilter(double MinimumFrequency, double MaximumFrequency) = 0;

 protected:
  ~IIviCounterChannel() = default;
};

/// The channel collection: Count channels named by physical or virtual name; Name takes a
/// 1-based index.
struct ITevraChannels : IUnknown {
  virtual HRESULT get_Count(LONG* val) = 0;
  virtual HRESULT get_Item(BSTR Name, ITevraChannel** val) = 0;
  virtual HRESULT get_Name(LONG Index, BSTR* val) = 0;
  /// Lets the counter choose levels and ranges for the signals present.
  virtual HRESULT Autoscale() = 0;
  /// The lowest signal frequency the automatic trigger levels follow.
  virtual HRESULT get_AutoLevelFrequency(TevraAutoLevelFrequencyEnum* val) = 0;
  virtual HRESULT put_AutoLevelFrequency(TevraAutoLevelFrequencyEnum val) = 0;

 protected:
  ~ITevraChannels() = default;
};

struct IIviCounterChannels : IUnknown {
  virtual HRESULT get_Item(BSTR Name, IIviCounterChannel** val) = 0;
  virtual HRESULT get_Count(LONG* val) = 0;
  virtual HRESULT get_Name(LONG Index, BSTR* val) = 0;

 protected:
  ~IIviCounterChannels() = default;
};

/// The driver's root interface; the instrument-specific sub-interface getters follow the
/// IIviDriver slots as the instrument functions are added.
struct ITevra : IIviDriver {
  virtual HRESULT get_Channels(ITevraChannels** val) = 0;
  /// The measurement functions. Configure returns the instrument's "CONF?" text; GetFunction the
  /// selected function's word; SetFunction selects a function without configuring it.
  virtual HRESULT Configure(BSTR* Val) = 0;
  virtual HRESULT GetFunction(BSTR* Val) = 0;
  virtual HRESULT SetFunction(TevraMeasurementFunctionEnum MeasurementFunction) = 0;
  virtual HRESULT get_Frequency(struct ITevraFrequency** val) = 0;
  virtual HRESULT get_Period(struct ITevraPeriod** val) = 0;
  virtual HRESULT get_PulseWidth(struct ITevraPulseWidth** val) = 0;
  virtual HRESULT get_DutyCycle(struct ITevraDutyCycle** val) = 0;
  virtual HRESULT get_EdgeTime(struct ITevraEdgeTime** val) = 0;
  virtual HRESULT get_FrequencyRatio(struct ITevraFrequencyRatio** val) = 0;
  virtual HRESULT get_TimeInterval(struct ITevraTimeInterval** val) = 0;
  virtual HRESULT get_Phase(struct ITevraPhase** val) = 0;
  virtual HRESULT get_TotalizeContinuous(struct ITevraTotalizeContinuous** val) = 0;
  virtual HRESULT get_TotalizeGated(struct ITevraTotalizeGated** val) = 0;
  virtual HRESULT get_TotalizeTimed(struct ITevraTotalizeTimed** val) = 0;
  virtual HRESULT get_Voltage(struct ITevraVoltage** val) = 0;
  virtual HRESULT get_SinglePeriod(struct ITevraSinglePeriod** val) = 0;
  virtual HRESULT get_TimeStamp(struct ITevraTimeStamp** val) = 0;
  virtual HRESULT get_Burst(struct ITevraBurst** val) = 0;
  virtual HRESULT get_TotalizeContinuous2(struct ITevraTotalizeContinuous2** val) = 0;

 protected:
  ~ITevra() = default;
};

/// The second version of the root: the arming, measurement, trigger, system, display, reference
/// oscillator, gate output and math interfaces.
struct ITevra2 : ITevra {
  virtual HRESULT get_Arm(struct ITevraArm** val) = 0;
  virtual HRESULT get_Measurement(struct ITevraMeasurement** val) = 0;
  virtual HRESULT get_Trigger(struct ITevraTrigger** val) = 0;
  virtual HRESULT get_System(struct ITevraSystem** val) = 0;
  virtual HRESULT get_Display(struct ITevraDisplay** val) = 0;
  virtual HRESULT get_ReferenceOscillator(struct ITevraReferenceOscillator** val) = 0;
  virtual HRESULT get_Output(struct ITevraOutput** val) = 0;
  virtual HRESULT get_Math(struct ITevraMath** val) = 0;

 protected:
  ~ITevra2() = default;
};

/// The third version of the root: the status registers, the memory and the calibration.
struct ITevra3 : ITevra2 {
  virtual HRESULT get_Status(struct ITevraStatus** val) = 0;
  virtual HRESULT get_Memory(struct ITevraMemory** val) = 0;
  virtual HRESULT get_Calibration(struct ITevraCalibration** val) = 0;

 protected:
  ~ITevra3() = default;
};

extern "C" {
/// Creates a Tevra driver object (uninitialised) and returns the requested interface.
TEVRA_API HRESULT TevraCreateDriver(REFIID riid, void** ppv);
/// The module entry points.
TEVRA_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
TEVRA_API HRESULT DllCanUnloadNow();
/// Registration in the key store (see README, "Registration"): DllRegisterServer writes the
/// module's classes, program identifiers, application identifier and type library into the
/// machine-wide store and DllUnregisterServer removes them; each is one locked read-modify-write
/// of the store, saved once. DllInstall registers (install != 0; a failed registration is undone)
/// or unregisters, per user when the command line is "user" in any case, else machine-wide.
/// A failure leaves the store as it was and sets the thread's error information, naming the store.
TEVRA_API HRESULT DllRegisterServer();
TEVRA_API HRESULT DllUnregisterServer();
TEVRA_API HRESULT DllInstall(int install, const OLECHAR* commandLine);
/// Calls line once per line of the module's keys and values present in the per-user (perUser !=
/// 0) or the machine-wide store, in the store's text form (UTF-8, without the line feed).
TEVRA_API HRESULT TevraListRegistration(int perUser, void (*line)(const char* text, void* context),
                                        void* context);
/// The library's version text, "1.2.2.0".
TEVRA_API const char* TevraLibraryVersion();
}

#include "tevra/TevraArmInterfaces.h"
#include "tevra/TevraFunctionInterfaces.h"
#include "tevra/TevraInstrumentInterfaces.h"
#include "tevra/TevraMathInterfaces.h"
#include "tevra/TevraMeasurementInterfaces.h"
#include "tevra/TevraMemoryInterfaces.h"
#include "tevra/TevraStatusInterfaces.h"
#include "tevra/TevraSystemInterfaces.h"

#endif
