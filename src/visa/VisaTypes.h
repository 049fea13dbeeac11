// VISA scalar types, completion and error codes, attribute identifiers and interface types, with
// the numeric values of the VISA C library, so that a system VISA library loaded at run time can
// stand behind the same session interface as the built-in transports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace tevra::visa {

using ViStatus = std::int32_t;
using ViAttr = std::uint32_t;

constexpr ViStatus MakeStatus(std::uint32_t code) { return static_cast<ViStatus>(code); }

// Completion codes (non-negative).
inline constexpr ViStatus kViSuccess = 0;
inline constexpr ViStatus kViSuccessEventEn = MakeStatus(0x3FFF0002);
inline constexpr ViStatus kViSuccessEventDis = MakeStatus(0x3FFF0003);
inline constexpr ViStatus kViSuccessTermChar = MakeStatus(0x3FFF0005);
inline constexpr ViStatus kViSuccessMaxCnt = MakeStatus(0x3FFF0006);
inline constexpr ViStatus kViSuccessNestedShared = MakeStatus(0x3FFF0099);
inline constexpr ViStatus kViSuccessNestedExclusive = MakeStatus(0x3FFF009A);

// Error codes (negative).
inline constexpr ViStatus kViErrorSystemError = MakeStatus(0xBFFF0000);
inline constexpr ViStatus kViErrorInvObject = MakeStatus(0xBFFF000E);
inline constexpr ViStatus kViErrorRsrcLocked = MakeStatus(0xBFFF000F);
inline constexpr ViStatus kViErrorInvExpr = MakeStatus(0xBFFF0010);
inline constexpr ViStatus kViErrorRsrcNfound = MakeStatus(0xBFFF0011);
inline constexpr ViStatus kViErrorInvRsrcName = MakeStatus(0xBFFF0012);
inline constexpr ViStatus kViErrorInvAccMode = MakeStatus(0xBFFF0013);
inline constexpr ViStatus kViErrorTmo = MakeStatus(0xBFFF0015);
inline constexpr ViStatus kViErrorNsupAttr = MakeStatus(0xBFFF001D);
inline constexpr ViStatus kViErrorNsupAttrState = MakeStatus(0xBFFF001E);
inline constexpr ViStatus kViErrorAttrReadonly = MakeStatus(0xBFFF001F);
inline constexpr ViStatus kViErrorInvLockType = MakeStatus(0xBFFF0020);
inline constexpr ViStatus kViErrorInvAccessKey = MakeStatus(0xBFFF0021);
inline constexpr ViStatus kViErrorInvEvent = MakeStatus(0xBFFF0026);
inline constexpr ViStatus kViErrorInvMech = MakeStatus(0xBFFF0027);
inline constexpr ViStatus kViErrorNenabled = MakeStatus(0xBFFF002F);
inline constexpr ViStatus kViErrorAbort = MakeStatus(0xBFFF0030);
inline constexpr ViStatus kViErrorAlloc = MakeStatus(0xBFFF003C);
inline constexpr ViStatus kViErrorIo = MakeStatus(0xBFFF003E);
inline constexpr ViStatus kViErrorNsupOper = MakeStatus(0xBFFF0067);
inline constexpr ViStatus kViErrorRsrcBusy = MakeStatus(0xBFFF0072);
inline constexpr ViStatus kViErrorInvParameter = MakeStatus(0xBFFF0078);
inline constexpr ViStatus kViErrorInvProt = MakeStatus(0xBFFF0079);
inline constexpr ViStatus kViErrorSesnNlocked = MakeStatus(0xBFFF009C);
inline constexpr ViStatus kViErrorLibraryNfound = MakeStatus(0xBFFF009E);
inline constexpr ViStatus kViErrorConnLost = MakeStatus(0xBFFF00A6);
inline constexpr ViStatus kViErrorNpermission = MakeStatus(0xBFFF00A8);

constexpr bool Succeeded(ViStatus status) { return status >= 0; }

// Attribute identifiers.
inline constexpr ViAttr kViAttrRsrcClass = 0xBFFF0001;        // string
inline constexpr ViAttr kViAttrRsrcName = 0xBFFF0002;         // string
inline constexpr ViAttr kViAttrRsrcLockState = 0x3FFF0004;    // u32: AccessMode
inline constexpr ViAttr kViAttrSendEndEn = 0x3FFF0016;        // boolean
inline constexpr ViAttr kViAttrTermchar = 0x3FFF0018;         // u8
inline constexpr ViAttr kViAttrTmoValue = 0x3FFF001A;         // u32 milliseconds
inline constexpr ViAttr kViAttrIoProt = 0x3FFF001C;           // u16: IoProtocol
inline constexpr ViAttr kViAttrSuppressEndEn = 0x3FFF0036;    // boolean
inline constexpr ViAttr kViAttrTermcharEn = 0x3FFF0038;       // boolean
inline constexpr ViAttr kViAttrAsrlBaud = 0x3FFF0021;         // u32
inline constexpr ViAttr kViAttrAsrlDataBits = 0x3FFF0022;     // u16: 5..8
inline constexpr ViAttr kViAttrAsrlParity = 0x3FFF0023;       // u16: Parity
inline constexpr ViAttr kViAttrAsrlStopBits = 0x3FFF0024;     // u16: StopBits
inline constexpr ViAttr kViAttrAsrlFlowCntrl = 0x3FFF0025;    // u16: FlowControl bits
inline constexpr ViAttr kViAttrIntfInstName = 0xBFFF00E9;     // string
inline constexpr ViAttr kViAttrIntfType = 0x3FFF0171;         // u16: InterfaceType
inline constexpr ViAttr kViAttrRsrcManfName = 0xBFFF0174;     // string
inline constexpr ViAttr kViAttrRsrcManfId = 0x3FFF0175;       // u16
inline constexpr ViAttr kViAttrIntfNum = 0x3FFF0176;          // u16: the board number
inline constexpr ViAttr kViAttrTcpipAddr = 0xBFFF0195;        // string: the peer's address
inline constexpr ViAttr kViAttrTcpipHostname = 0xBFFF0196;    // string: the host as written
inline constexpr ViAttr kViAttrTcpipPort = 0x3FFF0197;        // u16
inline constexpr ViAttr kViAttrTcpipDeviceName = 0xBFFF0199;  // string
inline constexpr ViAttr kViAttrTcpipNodelay = 0x3FFF019A;     // boolean
inline constexpr ViAttr kViAttrTcpipKeepalive = 0x3FFF019B;   // boolean

inline constexpr std::uint32_t kViTmoImmediate = 0;
inline constexpr std::uint32_t kViTmoInfinite = 0xFFFFFFFF;
inline constexpr std::uint32_t kDefaultTimeoutMs = 2000;

// VI_ATTR_INTF_TYPE values.
enum class InterfaceType : std::uint16_t {
  Gpib = 1,
  Vxi = 2,
  GpibVxi = 3,
  Asrl = 4,
  Pxi = 5,
  Tcpip = 6,
  Usb = 7,
};

// VI_ATTR_ASRL_PARITY, VI_ATTR_ASRL_STOP_BITS and VI_ATTR_ASRL_FLOW_CNTRL values.
enum class Parity : std::uint16_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : std::uint16_t { One = 10, OneAndAHalf = 15, Two = 20 };
enum class FlowControl : std::uint16_t { None = 0, XonXoff = 1, RtsCts = 2, DtrDsr = 4 };

// Lock types of viLock and the values of VI_ATTR_RSRC_LOCK_STATE.
enum class AccessMode : std::uint32_t { NoLock = 0, ExclusiveLock = 1, SharedLock = 2 };

// VI_ATTR_IO_PROT values.
enum class IoProtocol : std::uint16_t {
  Normal = 1,
  FastDataChannel = 2,
  Hs488 = 3,
  Ieee4882Strict = 4,  // 488.2 strings: status byte and trigger sent as "*STB?" and "*TRG"
  UsbtmcVendor = 5,
};

// Events: the one type the sessions deliver, the event types of viWaitOnEvent and
// viDisableEvent that stand for every enabled one, and the mechanisms of viEnableEvent.
using ViEventType = std::uint32_t;
inline constexpr ViEventType kViEventServiceReq = 0x3FFF200B;
inline constexpr ViEventType kViAllEnabledEvents = 0x3FFF7FFF;
inline constexpr std::uint16_t kViQueue = 1;
inline constexpr std::uint16_t kViAllMech = 0xFFFF;

// Trigger protocols of viAssertTrigger.
inline constexpr std::uint16_t kViTrigProtDefault = 0;

// An attribute value in the kind the attribute has, as viGetAttribute delivers it; setters accept
// any numeric kind for a numeric attribute.
using AttributeValue = std::variant<bool, std::uint8_t, std::uint16_t, std::uint32_t, std::uint64_t,
                                    std::int32_t, std::string>;

// The number an attribute value holds, converted to T; false for a string.
template <typename T>
bool NumberOf(const AttributeValue& value, T& number) {
  return std::visit(
      [&number](const auto& held) {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, std::string>) {
          return false;
        } else {
          number = static_cast<T>(held);
          return true;
        }
      },
      value);
}

// "VI_ERROR_TMO", or the code in hexadecimal when it has no name.
std::string StatusName(ViStatus status);
// The VISA description of a code, e.g. "Timeout expired before operation completed."; empty when
// the code is unknown.
std::string_view StatusDescription(ViStatus status);

}  // namespace tevra::visa
