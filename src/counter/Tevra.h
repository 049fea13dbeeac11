// Tevra: the driver class. A CDriver with the counter's own state, the object identity shared by
// all of its interfaces, and the interface map.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "core/Driver.h"
#include "core/IviDriverImpl.h"
#include "counter/ChannelProbe.h"
#include "counter/Channels.h"
#include "counter/ClassInfo.h"
#include "counter/DriverInterfaces.h"
#include "counter/InterfaceGroup.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {

class Tevra final : public core::IObjectRoot, public core::CDriver {
 public:
  // Creates a driver object with one reference and returns the requested interface.
  static HRESULT Create(REFIID riid, void** ppv);
  // The same with the given I/O session (tests hand in their own).
  static HRESULT Create(std::unique_ptr<core::IIoSession> io, REFIID riid, void** ppv);
  // The same with the given I/O session and trace log (the module hands in the log that writes
  // the trace file). Without a log the driver traces nothing. Both are owned by the driver.
  // With an outer object the driver is created inside it: riid must then be IID_IUnknown, and
  // what it gives is the driver's own (non-delegating) IUnknown, which the outer object keeps;
  // every other interface of the driver forwards its IUnknown slots to the outer object.
  static HRESULT Create(std::unique_ptr<core::IIoSession> io,
                        std::unique_ptr<core::ITraceLog> trace, REFIID riid, void** ppv);
  static HRESULT Create(std::unique_ptr<core::IIoSession> io,
                        std::unique_ptr<core::ITraceLog> trace, IUnknown* outer, REFIID riid,
                        void** ppv);

  // The identity's QueryInterface, AddRef and Release: the outer object's when the driver is
  // aggregated, else the driver's own.
  HRESULT QueryObject(REFIID riid, void** ppv) override;
  ULONG AddRefObject() override;
  ULONG ReleaseObject() override;

  // The driver's interface at a position of the declared list, without a new reference.
  template <class Itf>
  Itf* Interface() {
    return static_cast<Itf*>(interfaces_[kDriverIndexOf<Itf>]);
  }
  // The driver object behind the IUnknown that Create gave for IID_IUnknown without an outer
  // object (the C sessions hold their drivers this way).
  static Tevra& FromOwnUnknown(IUnknown* unknown);
  // The live driver object whose identity (the IUnknown its interfaces answer) is identity;
  // null for any other object.
  static Tevra* FromIdentity(IUnknown* identity);

  // The measurement state the configure methods keep and Read/Fetch consult. In simulation
  // functionWord is the map word of the function SetFunction set last ("FREQ" after
  // initialisation). A non-zero voltageChannel (set by the voltage configure, cleared by every
  // other configure) turns Read and Fetch into a voltage measurement of voltageFunction.
  struct MeasurementState {
    std::string functionWord = "FREQ";
    std::int32_t voltageChannel = 0;
    TevraVoltageFunctionEnum voltageFunction = TevraVoltageFunctionMaximum;
  };
  MeasurementState& Measurement() { return measurement_; }
  const std::string& CurrentFunction() const { return measurement_.functionWord; }
  // The inputs found at Initialize.
  const ChannelLayout& Layout() const { return layout_; }
  ChannelCollection& Channels() { return channels_; }

 private:
  Tevra(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace,
        IUnknown* outer);
  ~Tevra() override;

  // The non-delegating IUnknown: the driver's own identity and reference count.
  class Inner final : public IUnknown {
   public:
    explicit Inner(Tevra& t) : t_(t) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    Tevra& Owner() { return t_; }

   private:
    Tevra& t_;
  };
  // The object that carries an interface of the declared list.
  void* Locate(REFIID riid);

  HRESULT CreateRepCapObjects() override;
  void ReleaseRepCapObjects() override;
  void ResetState() override;
  HRESULT FormatCommand(const char* commandTemplate, std::span<const core::Param> args,
                        core::CommandText& command) override;

 public:
  // The enumeration words of the running method and the identified model's family.
  HRESULT Format(std::string_view typeName, std::int32_t value, std::string_view& word) override;
  HRESULT Parse(std::string_view typeName, std::string_view word, std::int32_t& value) override;
  HRESULT ParseBooleanResponse(std::string_view reply, VARIANT_BOOL& value);
  // What the enumeration lookups need: the running method, the model family, the reporter.
  state::EnumScope EnumWords() { return {Calls(), Family(), Reporter()}; }

  class Root final : public core::IviDriverImpl<ITevra3> {
   public:
    Root(Tevra& tevra) : IviDriverImpl(tevra, tevra), t_(tevra) {}
    // The measurement-function members, in FunctionRoot.cpp.
    HRESULT Configure(BSTR* Val) override;
    HRESULT GetFunction(BSTR* Val) override;
    HRESULT SetFunction(TevraMeasurementFunctionEnum MeasurementFunction) override;
#define TEVRA_ROWS "counter/members/ITevra.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevra2.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevra3.def"
#include "core/DeclareAccessors.inc"

   private:
    Tevra& t_;
  };

  std::atomic<ULONG> refs_{1};
  Inner inner_;
  IUnknown* const outer_;
  Root root_;
  MeasurementState measurement_;
  ChannelLayout layout_;
  ChannelCollection channels_;
  std::vector<std::unique_ptr<InterfaceGroup>> groups_;
  ErrorInfoSupport errorInfo_;
  DriverClassInfo classInfo_;
  std::array<void*, kDriverInterfaceCount> interfaces_{};
};

}  // namespace tevra::counter
