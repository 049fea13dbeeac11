#include "core/Driver.h"

#include <exception>
#include <new>

#include "core/Identity.h"
#include "core/Rows.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

// Error bits of the IEEE 488.2 standard event status register: query error, device-dependent
// error, execution error, command error.
constexpr std::int32_t kEsrErrorBits = 4 | 8 | 16 | 32;

}  // namespace

CDriver::CDriver(IObjectRoot& root, std::unique_ptr<IIoSession> io,
                 std::unique_ptr<ITraceLog> trace)
    : CNode(this),
      trace_(std::move(trace)),
      reporter_(std::string(identity::kProgId), calls_),
      io_(std::move(io)),
      operation_(root, *this),
      identity_(root, *this),
      utility_(root, *this) {}

CDriver::~CDriver() {
  if (io_) io_->Close();
}

std::optional<std::string_view> CDriver::LookupOption(std::string_view name) const {
  auto it = optionMap_.find(ToLower(name));
  if (it == optionMap_.end()) return std::nullopt;
  return std::string_view(it->second);
}

std::optional<std::string_view> CDriver::LookupDriverSetup(std::string_view name) const {
  auto it = driverSetupMap_.find(ToLower(name));
  if (it == driverSetupMap_.end()) return std::nullopt;
  return std::string_view(it->second);
}

IUnknown* CDriver::FindInherent(REFIID riid) {
  if (riid == IID_IIviDriverOperation) return static_cast<IIviDriverOperation*>(&operation_);
  if (riid == IID_IIviDriverIdentity) return static_cast<IIviDriverIdentity*>(&identity_);
  if (riid == IID_IIviComponentIdentity) return static_cast<IIviComponentIdentity*>(&identity_);
  if (riid == IID_IIviDriverUtility) return static_cast<IIviDriverUtility*>(&utility_);
  return nullptr;
}

HRESULT CDriver::FormatCommand(const char* commandTemplate, std::span<const Param>,
                               CommandText& command) {
  // Without the format engine only templates without specifiers can be sent as they are.
  for (const char* c = commandTemplate; *c; ++c)
    if (*c == '%') return reporter_.ReportStatusText(E_NOTIMPL, "No command formatter.");
  command = commandTemplate;
  return S_OK;
}

void CDriver::UpdateModelBit() {
  const identity::ModelEntry* e = identity::FindModel(instrumentModel_);
  modelBit_ = e ? e->bit : kNoModels;
  family_ = e ? e->family : std::string_view{};
}

// --- IIviDriver ---------------------------------------------------------------------------

HRESULT CDriver::ApiGetDriverOperation(IIviDriverOperation** val) {
  return Enter(
      rows::IIviDriver_DriverOperation.get,
      [&] { return GiveInterface<IIviDriverOperation>(&operation_, (void**)val); },
      Out("val", val));
}

HRESULT CDriver::ApiGetIdentity(IIviDriverIdentity** val) {
  return Enter(
      rows::IIviDriver_Identity.get,
      [&] { return GiveInterface<IIviDriverIdentity>(&identity_, (void**)val); }, Out("val", val));
}

HRESULT CDriver::ApiGetUtility(IIviDriverUtility** val) {
  return Enter(
      rows::IIviDriver_Utility.get,
      [&] { return GiveInterface<IIviDriverUtility>(&utility_, (void**)val); }, Out("val", val));
}

HRESULT CDriver::ApiInitialize(BSTR resourceName, VARIANT_BOOL idQuery, VARIANT_BOOL reset,
                               BSTR optionString) {
  return Enter(
      rows::IIviDriver_Initialize.record,
      [&] { return InitializeImpl(resourceName, idQuery != 0, reset != 0, optionString); },
      InString("ResourceName", resourceName), In("IdQuery", idQuery), In("Reset", reset),
      InString("OptionString", optionString));
}

HRESULT CDriver::ApiGetInitialized(VARIANT_BOOL* val) {
  return Enter(
      rows::IIviDriver_Initialized.get,
      [&] {
        *val = initialized_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      },
      Out("val", val));
}

HRESULT CDriver::ApiClose() {
  return Enter(rows::IIviDriver_Close.record, [&] { return CloseImpl(); });
}

// --- Initialize -----------------------------------------------------------------------------

HRESULT CDriver::InitializeImpl(BSTR resourceName, bool idQuery, bool reset, BSTR optionString) {
  if (!resourceName) return reporter_.Report(Code::NullPointer, "Initialize", "ResourceName");
  if (initialized_) return reporter_.Report(Code::AlreadyInitialized);
  idQueryRequested_ = idQuery;
  resetRequested_ = reset;

  HRESULT hr =
      InitializeSession(platform::BstrToUtf8(resourceName), platform::BstrToUtf8(optionString));
  if (FAILED(hr)) return hr;

  if (flags_.interchangeCheck && !interchangeCheckSupported_)
    return reporter_.ReportElaborated(
        Code::UnknownOptionValue, "Interchange checking is not supported by the driver.", "True");

  hr = trace_->Prepare(identity::kIdentifier);
  if (FAILED(hr)) return hr;

  if (!flags_.simulate) {
    io_->SetOpenOptions(connection_);
    hr = io_->Open(ioResourceDescriptor_, this, &reporter_, this);
    if (hr == ComStatusOf(static_cast<int>(Code::UnknownResource))) {
      const std::string elaboration = "Resource descriptor = " + ioResourceDescriptor_ + ".";
      return reporter_.ReportElaborated(Code::UnknownResource, elaboration);
    }
    if (FAILED(hr)) return hr;
    io_->SetObserver(this);
  }

  initialized_ = true;
  HRESULT last = S_OK;
  auto step = [&](HRESULT status) {
    if (FAILED(status)) return false;
    last = status;
    return true;
  };

  bool ok = true;
  if (flags_.queryInstrumentStatus && !flags_.simulate)
    ok = step(io_->WriteString("*CLS", true, kDefaultTimeout));
  if (ok && !flags_.simulate) ok = step(hr = IdentifyInstrument());
  UpdateModelBit();
  if (ok && idQuery && !identity::FindModel(instrumentModel_)) {
    hr = reporter_.ReportElaborated(Code::IdQueryFailed,
                                    "Unrecognized model: " + instrumentModel_ + ".");
    ok = false;
  }
  if (ok) {
    ResetState();  // the instrument class starts from its reset state
    ok = step(hr = CreateRepCapObjects());
  }
  if (ok) ok = step(hr = PostInitialize());
  if (ok) ok = step(hr = PostInitializeChildren());
  if (ok && reset) {
    hr = utility_.Reset();
    if (FAILED(hr)) {
      hr = reporter_.Report(Code::ResetFailed);
      ok = false;
    } else {
      last = hr;
    }
  }
  if (ok) return last;

  // Initialization failed after the session was opened: undo it so a new Initialize may follow.
  ReleaseChildren();
  CloseIo();
  initialized_ = false;
  return hr;
}

HRESULT CDriver::InitializeSession(std::string_view resourceName, std::string_view optionString) {
  try {
    optionString_ = optionString;
    logicalName_.clear();
    ioResourceDescriptor_.clear();
    optionMap_.clear();
    driverSetupMap_.clear();
    configurableInitialSettings_.Clear();
    virtualNameMap_.clear();
    virtualNameReverseMap_.clear();
    physicalToVirtualMap_.clear();
    flags_ = SessionFlags{};

    OptionTarget target{flags_,           optionMap_, driverSetupMap_, driverSetup_,
                        instrumentModel_, *trace_,    reporter_,       connection_};
    bool storeUsed = false;
    HRESULT hr = SetUpFromConfigStore(resourceName, target, storeUsed);
    if (FAILED(hr)) return hr;
    if (!storeUsed) {
      // No configuration store is available: the resource name is the address itself.
      ioResourceDescriptor_ = resourceName;
      hr = ProcessOptionString(optionString_, target);
      if (FAILED(hr)) return hr;
    }

    if (flags_.simulate && instrumentModel_.empty()) instrumentModel_ = identity::kDefaultModel;
    initialFlags_ = flags_;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return reporter_.Report(Code::OutOfMemory);
  }
}

HRESULT CDriver::IdentifyInstrument() {
  std::string reply;
  const HRESULT hr = io_->QueryString("*IDN?", reply, kDefaultTimeout);
  if (FAILED(hr)) return hr;

  // Four comma-separated fields; consecutive commas count as one separator.
  std::string* fields[] = {&instrumentManufacturer_, &instrumentModel_, &serialNumber_,
                           &firmwareRevision_};
  for (std::string* f : fields) f->clear();
  std::size_t index = 0;
  std::string_view rest = reply;
  while (!rest.empty() && index < 4) {
    const std::size_t comma = rest.find(',');
    const std::string_view token = rest.substr(0, comma);
    if (!token.empty()) *fields[index++] = Trim(token);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  identificationReply_ = std::move(reply);
  // The identity query always gets this reply: the session uses it to get back in step.
  if (!identificationReply_.empty()) io_->SetStepMarker("*IDN?", identificationReply_);
  return hr;
}

// --- Close ------------------------------------------------------------------------------------

HRESULT CDriver::CloseImpl() {
  if (!initialized_) return reporter_.Report(Code::NotInitialized);
  trace_->SessionEnding();
  CloseIo();
  Cache().Clear();
  initialized_ = false;
  family_ = {};

  HRESULT hr = CloseChildren();
  const HRESULT own = OnClose();
  if (SUCCEEDED(hr)) hr = own;
  ReleaseChildren();
  return FAILED(hr) ? hr : S_OK;
}

void CDriver::CloseIo() {
  // Also closes a session opened before simulation was switched on, so nothing stays open.
  io_->Close();
}

void CDriver::ReleaseChildren() {
  ReleaseRepCapObjects();
  ClearChildren();
}

// --- Status check ---------------------------------------------------------------------------

void CDriver::OnInputDropped(Dropped why, std::string_view head, std::uint64_t total) {
  const char* reason = why == Dropped::Unsolicited   ? "unsolicited"
                       : why == Dropped::RestOfReply ? "rest of an earlier reply"
                                                     : "resynchronised";
  trace_->RecordDroppedInput(reason, head, total);
}

HRESULT CDriver::CheckInstrument() {
  if (!flags_.queryInstrumentStatus) return S_OK;
  std::string reply;
  // The check writes and reads without polling, so it never calls itself; an I/O failure is
  // reported as an instrument error, after a device clear.
  if (FAILED(io_->LowLevelWriteStringNoPoll("*ESR?", kDefaultTimeout)) ||
      FAILED(io_->LowLevelReadStringNoPoll(reply, kDefaultTimeout))) {
    io_->Clear();
    return reporter_.Report(Code::InstrumentError);
  }
  if ((ParseDecimalInt(reply) & kEsrErrorBits) == 0) return S_OK;
  return reporter_.Report(Code::InstrumentError);
}

}  // namespace tevra::core
