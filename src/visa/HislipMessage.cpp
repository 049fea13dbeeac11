#include "visa/HislipMessage.h"

namespace tevra::visa::hislip {

void EncodeHeader(const Header& header, std::span<std::uint8_t, kHeaderSize> out) {
  out[0] = 'H';
  out[1] = 'S';
  out[2] = header.type;
  out[3] = header.control;
  for (int i = 0; i < 4; ++i)
    out[4 + i] = static_cast<std::uint8_t>(header.parameter >> (24 - 8 * i));
  for (int i = 0; i < 8; ++i) {
    out[8 + i] = static_cast<std::uint8_t>(header.payloadLength >> (56 - 8 * i));
  }
}

DecodeResult DecodeHeader(std::span<const std::uint8_t> bytes, std::uint64_t maxPayload,
                          Header& header, std::string& detail) {
  if (bytes.size() < kHeaderSize || bytes[0] != 'H' || bytes[1] != 'S') {
    detail = "a message header does not begin with \"HS\"";
    return DecodeResult::BadPrologue;
  }
  header.type = bytes[2];
  header.control = bytes[3];
  header.parameter = 0;
  for (int i = 0; i < 4; ++i) header.parameter = (header.parameter << 8) | bytes[4 + i];
  header.payloadLength = 0;
  for (int i = 0; i < 8; ++i) header.payloadLength = (header.payloadLength << 8) | bytes[8 + i];
  if (header.payloadLength > maxPayload) {
    detail = "a " + TypeName(header.type) + " message announces a payload of " +
             std::to_string(header.payloadLength) + " bytes, more than the " +
             std::to_string(maxPayload) + " accepted";
    return DecodeResult::PayloadTooLong;
  }
  return DecodeResult::Ok;
}

std::string TypeName(std::uint8_t type) {
  static const char* const kNames[] = {
      "Initialize",
      "InitializeResponse",
      "FatalError",
      "Error",
      "AsyncLock",
      "AsyncLockResponse",
      "Data",
      "DataEnd",
      "DeviceClearComplete",
      "DeviceClearAcknowledge",
      "AsyncRemoteLocalControl",
      "AsyncRemoteLocalResponse",
      "Trigger",
      "Interrupted",
      "AsyncInterrupted",
      "AsyncMaximumMessageSize",
      "AsyncMaximumMessageSizeResponse",
      "AsyncInitialize",
      "AsyncInitializeResponse",
      "AsyncDeviceClear",
      "AsyncServiceRequest",
      "AsyncStatusQuery",
      "AsyncStatusResponse",
      "AsyncDeviceClearAcknowledge",
      "AsyncLockInfo",
      "AsyncLockInfoResponse",
  };
  if (type < std::size(kNames)) return kNames[type];
  return (type >= 128 ? "vendor type " : "unknown type ") + std::to_string(type);
}

}  // namespace tevra::visa::hislip
