// CVisaIoSession: the VISA layer of the session tree. It knows the VISA concepts (interface type
// and resource class of the open resource, I/O and trigger protocols, attributes by identifier,
// register access) but not how the library is reached; the concrete session supplies the calls.
// Its own behaviour is the line configuration after open, the protocol and attribute
// conversions with their messages, and the refusals of register access the library lacks.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "io/IoSession.h"
#include "visa/VisaTypes.h"

namespace tevra::io {

// The session's numbering of hardware interfaces.
enum class SessionInterfaceType : std::int32_t {
  Gpib = 0,
  Vxi = 1,
  GpibVxi = 2,
  Asrl = 3,
  Pxi = 4,
  Tcpip = 5,
  Usb = 6,
  Other = 8,
};

// The status a VISA code becomes at the session: errors 0x8004xxxx, warnings 0x0004xxxx, with the
// low half of the code.
HRESULT ComStatusOfVisa(visa::ViStatus status);

class CVisaIoSession : public CIoSession {
 public:
  // I/O protocol: 0 normal, 1 fast data channel, 2 HS488, 3 488.2 strict, 4 USBTMC vendor.
  HRESULT SetProtocol(std::int32_t protocol);
  HRESULT GetProtocol(std::int32_t& protocol);

  // Attributes by VISA identifier, converted to the requested kind.
  HRESULT GetAttribute(visa::ViAttr id, std::uint8_t& value);
  HRESULT GetAttribute(visa::ViAttr id, std::uint16_t& value);
  HRESULT GetAttribute(visa::ViAttr id, std::uint32_t& value);
  HRESULT GetAttribute(visa::ViAttr id, std::uint64_t& value);
  HRESULT GetAttribute(visa::ViAttr id, bool& value);
  HRESULT GetAttribute(visa::ViAttr id, std::string& value);
  // The value reaches the library in the kind it holds.
  HRESULT SetAttribute(visa::ViAttr id, const visa::AttributeValue& value);

  // Trigger protocol: 0 default, 1 on, 2 off, 3 sync.
  HRESULT AssertTrigger(std::int32_t protocol);

  // Session information.
  HRESULT GetResourceName(std::string& name);
  HRESULT GetInterfaceDescription(std::string& description);
  HRESULT GetInterfaceType(SessionInterfaceType& type);
  HRESULT GetInterfaceNumber(std::int16_t& number);
  HRESULT GetResourceClass(std::string& resourceClass);
  HRESULT GetManufacturerName(std::string& name);
  HRESULT GetManufacturerId(std::int16_t& id);

  // Register access, shared memory and asynchronous transfers, which the binding does not offer:
  // each checks its arguments and is refused with its message. width is the data width in bits
  // (8, 16, 32, 64); space a VISA address space.
  HRESULT In(std::int16_t space, std::uint64_t offset, int width, std::uint64_t& value);
  HRESULT Out(std::int16_t space, std::uint64_t offset, int width, std::uint64_t value);
  HRESULT MoveIn(std::int16_t space, std::uint64_t offset, int width, std::span<std::uint8_t> into);
  HRESULT MoveOut(std::int16_t space, std::uint64_t offset, int width,
                  std::span<const std::uint8_t> from);
  HRESULT MoveAsync();
  HRESULT AllocateMemory(std::uint32_t size, std::uint64_t& offset);
  HRESULT FreeMemory(std::uint64_t offset);
  HRESULT ReadAsync(std::uint32_t count);
  HRESULT WriteAsync(std::span<const std::uint8_t> data);

 protected:
  // The library's calls.
  virtual HRESULT GetLibraryAttribute(visa::ViAttr id, visa::AttributeValue& value) = 0;
  virtual HRESULT SetLibraryAttribute(visa::ViAttr id, const visa::AttributeValue& value) = 0;
  virtual HRESULT AssertLibraryTrigger(std::uint16_t visaProtocol) = 0;

  // Decides, after the library opened the resource, whether reads end on the termination
  // character: serial lines and raw sockets do, buses with an END signal do not.
  HRESULT ConfigureLine();

 private:
  template <class T>
  HRESULT GetConverted(visa::ViAttr id, T& value, const char* kindName);
  HRESULT Refuse(const char* what);
  HRESULT CheckRegisterAccess(std::int16_t space, std::uint64_t offset, int width);
};

}  // namespace tevra::io
