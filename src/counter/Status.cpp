#include "counter/Status.h"

#include <array>
#include <cstdint>
#include <string>

#include "counter/PartsGroup.h"
#include "counter/Property.h"
#include "io/FormattedOutput.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;

// A reason names at least one of the 28 events and nothing beyond them.
constexpr LONG kFirstReason = 1;
constexpr LONG kLastReason = 0x0FFFFFFF;

// The enable bits one event of a reason sets in the status byte's service request enable, the
// standard event enable, and the questionable and operation enables. The status byte summarises
// the error queue in bit 2, the questionable register in bit 3, the message available bit in
// bit 4, the standard event register in bit 5 and the operation register in bit 7 (IEEE 488.2
// and SCPI status model).
struct EnableBits {
  int serviceRequest;
  int standardEvent;
  int questionable;
  int operation;
};
// Indexed by the bit of the event in TevraStatusSRQReasonEnum.
constexpr EnableBits kEventEnables[] = {
    {16, 0, 0, 0},      // StbMAV
    {4, 0, 0, 0},       // StbErrorQueue
    {32, 1, 0, 0},      // EsrOPC
    {32, 4, 0, 0},      // EsrQueryError
    {32, 8, 0, 0},      // EsrDeviceError
    {32, 16, 0, 0},     // EsrExecutionError
    {32, 32, 0, 0},     // EsrCommandError
    {32, 128, 0, 0},    // EsrPowerOn
    {8, 0, 1, 0},       // QuesVoltage
    {8, 0, 4, 0},       // QuesTime
    {8, 0, 32, 0},      // QuesFrequency
    {8, 0, 64, 0},      // QuesPhase
    {8, 0, 256, 0},     // QuesCalCorrupt
    {8, 0, 512, 0},     // QuesTotalize
    {8, 0, 1024, 0},    // QuesTimebase
    {8, 0, 2048, 0},    // QuesLowerLimit
    {8, 0, 4096, 0},    // QuesUpperLimit
    {8, 0, 16384, 0},   // QuesReadingMemory
    {128, 0, 0, 1},     // OperCalibrating
    {128, 0, 0, 2},     // OperRunningOnBattery
    {128, 0, 0, 4},     // OperBatteryCritical
    {128, 0, 0, 16},    // OperMeasuring
    {128, 0, 0, 32},    // OperWaitingForTrig
    {128, 0, 0, 512},   // OperInternalReference
    {128, 0, 0, 1024},  // OperInstrumentLocked
    {128, 0, 0, 2048},  // OperConfigChg
    {128, 0, 0, 4096},  // OperRdgMemThreshold
    {128, 0, 0, 8192},  // GlobalError
};
static_assert(std::size(kEventEnables) == 28);
static_assert(TevraStatusSRQReasonGlobalError == 1 << 27);

EnableBits EnablesOf(LONG reason) {
  EnableBits masks{};
  for (std::size_t bit = 0; bit < std::size(kEventEnables); ++bit) {
    if (!(reason & (LONG{1} << bit))) continue;
    masks.serviceRequest |= kEventEnables[bit].serviceRequest;
    masks.standardEvent |= kEventEnables[bit].standardEvent;
    masks.questionable |= kEventEnables[bit].questionable;
    masks.operation |= kEventEnables[bit].operation;
  }
  return masks;
}

// The commands of one part of a register: the query that reads it and, for the parts that can
// be written, the header its new value follows. Null where the register lacks the part.
struct PartCommands {
  const char* query;
  const char* header;
};
struct RegisterCommands {
  const char* prefix;
  LONG width;                         // the bits a written value keeps
  std::array<PartCommands, 5> parts;  // by TevraStatusSubRegisterEnum
};
// By TevraStatusRegisterEnum. The status byte and the standard event register are the IEEE
// 488.2 common registers; operation and questionable the SCPI status registers.
constexpr PartCommands kNone{nullptr, nullptr};
constexpr std::array<PartCommands, 5> kScpiRegisterParts = {
    {{"COND?", nullptr}, {"NTR?", "NTR"}, {"PTR?", "PTR"}, {"EVEN?", nullptr}, {"ENAB?", "ENAB"}}};
constexpr RegisterCommands kRegisters[] = {
    {"", 0xFF, {{{"*STB?", nullptr}, kNone, kNone, kNone, {"*SRE?", "*SRE"}}}},
    {"", 0xFF, {{kNone, kNone, kNone, {"*ESR?", nullptr}, {"*ESE?", "*ESE"}}}},
    {"STAT:OPER:", 0xFFFF, kScpiRegisterParts},
    {"STAT:QUES:", 0xFFFF, kScpiRegisterParts},
};

constexpr const char* kSubRegisterNames[] = {
    "TevraStatusSubRegisterCondition", "TevraStatusSubRegisterNegativeTransition",
    "TevraStatusSubRegisterPositiveTransition", "TevraStatusSubRegisterEvent",
    "TevraStatusSubRegisterEnable"};

// The register's commands, or message 8 naming method and the argument that has none.
HRESULT FindPart(Tevra& driver, const char* method, TevraStatusRegisterEnum reg,
                 TevraStatusSubRegisterEnum part, bool writing, const RegisterCommands*& found,
                 const char*& command) {
  core::CTevraErrorReporter& reporter = driver.Reporter();
  if (reg < 0 || static_cast<std::size_t>(reg) >= std::size(kRegisters))
    return reporter.ReportInvalidValueInt(method, "Register", reg, "%d");
  if (part < 0 || static_cast<std::size_t>(part) >= std::size(kSubRegisterNames))
    return reporter.ReportInvalidValueInt(method, "SubRegister", part, "%d");
  found = &kRegisters[reg];
  const PartCommands& commands = found->parts[part];
  command = writing ? commands.header : commands.query;
  if (!command)
    return reporter.ReportInvalidValueText(method, "SubRegister", kSubRegisterNames[part]);
  return S_OK;
}

// In simulation every part of every register is one stored value.
core::CCacheEntry<LONG>* SimulatedRegister(Tevra& driver) {
  return driver.Cache().GetCacheEntry<LONG>(&rows::ITevraStatus_get_Register);
}
constexpr LONG kSimulatedRegister = 0;

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraStatus.def"
#define TEVRA_CLASS StatusInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

// Presets and clears the registers, then enables the events of the reason in one message.
HRESULT StatusInterface::ConfigureServiceRequest(LONG Reason) {
  return d_.Enter(
      rows::ITevraStatus_ConfigureServiceRequest.record,
      [&]() -> HRESULT {
        if (Reason < kFirstReason || Reason > kLastReason)
          return d_.Reporter().ReportInvalidValueInt("ConfigureServiceRequest", "Reason", Reason,
                                                     "%d");
        if (d_.Simulating()) return S_OK;
        const EnableBits masks = EnablesOf(Reason);
        std::string command;
        if (HRESULT hr = io::FormatToString(
                command, nullptr,
                "STAT:PRES; *CLS; *SRE %d; *ESE %d; :STAT:QUES:ENAB %d; :STAT:OPER:ENAB %d",
                masks.serviceRequest, masks.standardEvent, masks.questionable, masks.operation);
            FAILED(hr))
          return hr;
        return d_.Io().WriteString(command, true, core::kDefaultTimeout);
      },
      In("Reason", Reason));
}

HRESULT StatusInterface::get_Register(TevraStatusRegisterEnum Register,
                                      TevraStatusSubRegisterEnum SubRegister, LONG* val) {
  return d_.Enter(
      rows::ITevraStatus_get_Register.record,
      [&]() -> HRESULT {
        *val = -1;
        const RegisterCommands* reg = nullptr;
        const char* suffix = nullptr;
        if (HRESULT hr = FindPart(d_, "get_Register", Register, SubRegister, false, reg, suffix);
            FAILED(hr))
          return hr;
        if (d_.Simulating()) {
          if (!SimulatedRegister(d_)->GetValue(*val)) *val = kSimulatedRegister;
          return S_OK;
        }
        return QueryCommand(d_.Io(), std::string(reg->prefix) + suffix, "%d", core::ScanArg(val));
      },
      In("Register", Register), In("SubRegister", SubRegister), Out("val", val));
}

HRESULT StatusInterface::put_Register(TevraStatusRegisterEnum Register,
                                      TevraStatusSubRegisterEnum SubRegister, LONG val) {
  return d_.Enter(
      rows::ITevraStatus_put_Register.record,
      [&]() -> HRESULT {
        const RegisterCommands* reg = nullptr;
        const char* header = nullptr;
        if (HRESULT hr = FindPart(d_, "put_Register", Register, SubRegister, true, reg, header);
            FAILED(hr))
          return hr;
        if (d_.Simulating()) return SimulatedRegister(d_)->SetValue(val) ? S_OK : E_OUTOFMEMORY;
        // The register keeps only its own width of the value.
        const std::string command =
            std::string(reg->prefix) + header + " " + std::to_string(val & reg->width);
        return d_.Io().WriteString(command, true, core::kDefaultTimeout);
      },
      In("Register", Register), In("SubRegister", SubRegister), In("val", val));
}

// The session's serial poll; a simulated instrument requests no service.
HRESULT StatusInterface::get_SerialPoll(LONG* val) {
  return GetProperty(d_, rows::ITevraStatus_SerialPoll, val, [&](core::CallFrame&) -> HRESULT {
    std::int16_t statusByte = 0;
    if (HRESULT hr = d_.Io().ReadStatusByte(statusByte); FAILED(hr)) return hr;
    *val = static_cast<std::uint8_t>(statusByte);
    return S_OK;
  });
}

std::unique_ptr<InterfaceGroup> CreateStatusGroup(Tevra& driver) {
  return std::make_unique<PartsGroup<StatusInterface>>(driver);
}

}  // namespace tevra::counter
