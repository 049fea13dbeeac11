// CDriver: one instrument session. It owns the session options and identity strings, the error
// reporter, the trace log, the call-context stack and the I/O session, runs Initialize and Close,
// and carries the inherent interfaces.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ConfigStore.h"
#include "core/ErrorReporter.h"
#include "core/IIoSession.h"
#include "core/ITraceLog.h"
#include "core/InherentInterfaces.h"
#include "core/InitialSettings.h"
#include "core/Node.h"
#include "core/Options.h"

namespace tevra::core {

class CDriver : public CNode, public IInstrErrorPoller, public IEnumFormatter, public IIoObserver {
 public:
  // root: the object this driver is embedded in (identity and reference count of every
  // interface); io: the session Initialize opens unless simulating; trace: the trace log.
  CDriver(IObjectRoot& root, std::unique_ptr<IIoSession> io, std::unique_ptr<ITraceLog> trace);
  ~CDriver() override;

  // Session services that the rest of the driver uses.
  bool IsInitialized() const { return initialized_; }
  const SessionFlags& Flags() const { return flags_; }
  void SetQueryInstrumentStatus(bool on) { flags_.queryInstrumentStatus = on; }
  bool Simulating() const { return flags_.simulate; }
  IIoSession& Io() { return *io_; }
  CTevraErrorReporter& Reporter() { return reporter_; }
  ITraceLog& Trace() { return *trace_; }
  ICallContextProvider& Calls() { return calls_; }
  // The session lock: every call on the driver or any of its nodes holds it, re-entrantly.
  std::recursive_mutex& Mutex() { return *lock_; }
  // Makes lock the session lock from now on, in place of the driver's own: a C session's lock, so
  // that a C call, which holds its session's lock anyway, takes the driver's again for free. Only
  // before the driver is reachable by another thread; lock must outlive the driver.
  void ShareSessionLock(std::recursive_mutex& lock) { lock_ = &lock; }
  const std::string& Model() const { return instrumentModel_; }
  // The model family of the identified model; empty before identification and after Close.
  std::string_view Family() const { return family_; }
  ModelMask ModelBit() const { return modelBit_; }
  const std::string& ResourceDescriptor() const { return ioResourceDescriptor_; }
  const std::string& InstalledOptions() const { return installedOptions_; }
  void SetInstalledOptions(std::string options) { installedOptions_ = std::move(options); }
  const std::string& IdentificationReply() const { return identificationReply_; }
  const std::string& SerialNumber() const { return serialNumber_; }
  // Lookups lower-case the name first.
  std::optional<std::string_view> LookupOption(std::string_view name) const;
  std::optional<std::string_view> LookupDriverSetup(std::string_view name) const;
  // Repeated-capability names from the configuration store: virtual name (lower case) to
  // physical name, and "RepCap!!physical" to virtual name.
  const PairMap& VirtualNameMap() const { return virtualNameMap_; }
  const PairMap& PhysicalToVirtualMap() const { return physicalToVirtualMap_; }
  const InitialSettings& ConfigurableInitialSettings() const {
    return configurableInitialSettings_;
  }

  // The inherent interfaces, for calls of the driver into itself.
  IIviDriverOperation& OperationInterface() { return operation_; }
  IIviDriverIdentity& IdentityInterface() { return identity_; }
  IIviDriverUtility& UtilityInterface() { return utility_; }
  // The object of an inherent interface (without a new reference); null for any other id.
  IUnknown* FindInherent(REFIID riid);

  // IIviDriver, run through the entry protocol; the root interface of the instrument class
  // forwards its IIviDriver slots here.
  HRESULT ApiGetDriverOperation(IIviDriverOperation** val);
  HRESULT ApiGetIdentity(IIviDriverIdentity** val);
  HRESULT ApiGetUtility(IIviDriverUtility** val);
  HRESULT ApiInitialize(BSTR resourceName, VARIANT_BOOL idQuery, VARIANT_BOOL reset,
                        BSTR optionString);
  HRESULT ApiGetInitialized(VARIANT_BOOL* val);
  HRESULT ApiClose();

  // The status check after each exchange.
  HRESULT CheckInstrument() override;
  // Input the session dropped to keep replies matched to queries goes into the trace.
  void OnInputDropped(Dropped why, std::string_view head, std::uint64_t total) override;

 protected:
  // Hooks of the instrument class.
  virtual HRESULT CreateRepCapObjects() { return S_OK; }
  virtual void ReleaseRepCapObjects() {}
  // Formats a method's command template with its input arguments.
  virtual HRESULT FormatCommand(const char* commandTemplate, std::span<const Param> args,
                                CommandText& command);

 private:
  friend class CNode;
  friend class DriverOperationImpl;
  friend class DriverIdentityImpl;
  friend class DriverUtilityImpl;

  HRESULT InitializeImpl(BSTR resourceName, bool idQuery, bool reset, BSTR optionString);
  HRESULT InitializeSession(std::string_view resourceName, std::string_view optionString);
  // Session setup from the configuration store (DriverConfigStore.cpp); storeUsed is false when
  // there is no store and the caller goes on without it.
  HRESULT SetUpFromConfigStore(std::string_view resourceName, OptionTarget& target,
                               bool& storeUsed);
  HRESULT LoadDriverConfiguration(const DriverSession* session, const ConfigStore& store,
                                  OptionTarget& target);
  HRESULT LoadConfigurableInitialSettings(const DataComponent* settings,
                                          std::string_view parameter);
  void LoadVirtualNames(const DriverSession& session);
  void LoadPhysicalNames(const SoftwareModule* module);
  HRESULT IdentifyInstrument();
  HRESULT CloseImpl();
  void CloseIo();
  void ReleaseChildren();
  void UpdateModelBit();

  // Utility bodies.
  HRESULT ResetImpl();
  HRESULT DisableImpl();
  HRESULT ResetWithDefaultsImpl();
  HRESULT SelfTestImpl(LONG& result, BSTR& message);
  HRESULT ErrorQueryImpl(LONG& code, BSTR& message);

  // Session state.
  std::string optionString_;
  std::string logicalName_;
  std::string ioResourceDescriptor_;
  std::string driverSetup_;
  std::string instrumentManufacturer_;
  std::string instrumentModel_;
  std::string serialNumber_;
  std::string firmwareRevision_;
  std::string identificationReply_;
  PairMap optionMap_;
  PairMap driverSetupMap_;
  visa::OpenOptions connection_;
  InitialSettings configurableInitialSettings_;
  PairMap virtualNameMap_;
  PairMap virtualNameReverseMap_;  // mapped name (lower case) to virtual name
  PairMap physicalToVirtualMap_;
  SessionFlags flags_;
  SessionFlags initialFlags_;
  bool resetRequested_ = false;
  bool idQueryRequested_ = false;
  bool initialized_ = false;
  bool interchangeCheckSupported_ = false;
  std::int32_t selfTestTimeout_ = 10000;
  std::int32_t disableTimeout_ = 2000;
  std::int32_t resetTimeout_ = 2000;
  std::unique_ptr<ITraceLog> trace_;
  CallContextStack calls_;
  std::recursive_mutex ownLock_;
  std::recursive_mutex* lock_ = &ownLock_;
  CTevraErrorReporter reporter_;
  std::unique_ptr<IIoSession> io_;
  std::string installedOptions_;
  // Values the driver changed to fit the instrument; this driver never coerces, so it stays
  // empty.
  std::deque<std::string> coercionRecords_;

  ModelMask modelBit_ = kNoModels;
  std::string_view family_;  // a constant of the model table
  DriverOperationImpl operation_;
  DriverIdentityImpl identity_;
  DriverUtilityImpl utility_;
};

}  // namespace tevra::core
