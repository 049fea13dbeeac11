// HiSLIP (IVI-6.1) message headers: 16 bytes, big-endian: "HS", message type (u8), control code
// (u8), message parameter (u32), payload length (u64).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tevra::visa::hislip {

inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::uint16_t kDefaultPort = 4880;

enum MessageType : std::uint8_t {
  kInitialize = 0,
  kInitializeResponse = 1,
  kFatalError = 2,
  kError = 3,
  kAsyncLock = 4,
  kAsyncLockResponse = 5,
  kData = 6,
  kDataEnd = 7,
  kDeviceClearComplete = 8,
  kDeviceClearAcknowledge = 9,
  kAsyncRemoteLocalControl = 10,
  kAsyncRemoteLocalResponse = 11,
  kTrigger = 12,
  kInterrupted = 13,
  kAsyncInterrupted = 14,
  kAsyncMaximumMessageSize = 15,
  kAsyncMaximumMessageSizeResponse = 16,
  kAsyncInitialize = 17,
  kAsyncInitializeResponse = 18,
  kAsyncDeviceClear = 19,
  kAsyncServiceRequest = 20,
  kAsyncStatusQuery = 21,
  kAsyncStatusResponse = 22,
  kAsyncDeviceClearAcknowledge = 23,
  kAsyncLockInfo = 24,
  kAsyncLockInfoResponse = 25,
};

// The first MessageID after initialising and after a device clear; each Data, DataEnd and
// Trigger sent takes the next one, two further on. A reply may carry kAnyMessageId instead.
inline constexpr std::uint32_t kFirstMessageId = 0xFFFFFF00;
inline constexpr std::uint32_t kAnyMessageId = 0xFFFFFFFF;

struct Header {
  std::uint8_t type = 0;
  std::uint8_t control = 0;
  std::uint32_t parameter = 0;
  std::uint64_t payloadLength = 0;
};

// Writes header into out.
void EncodeHeader(const Header& header, std::span<std::uint8_t, kHeaderSize> out);

enum class DecodeResult : std::uint8_t { Ok, BadPrologue, PayloadTooLong };

// Reads a header from bytes (at least kHeaderSize of them). A payload longer than maxPayload
// is refused: detail then says how long it was and what the limit is.
DecodeResult DecodeHeader(std::span<const std::uint8_t> bytes, std::uint64_t maxPayload,
                          Header& header, std::string& detail);

// The name of a message type, for failure details ("AsyncLockResponse", "vendor type 200").
std::string TypeName(std::uint8_t type);

}  // namespace tevra::visa::hislip
