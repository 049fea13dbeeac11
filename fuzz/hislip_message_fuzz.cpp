// Feeds arbitrary server bytes to the HiSLIP header decoder and to the transport's read path over
// in-memory channels: after a valid opening, the synchronous channel serves the input (so Data
// messages, payloads cut anywhere, bad headers and error messages are reassembled by reads of
// varying sizes) and the asynchronous channel serves it too for a status query and a device clear.
// Checks that only the documented statuses come back and that no read overruns its buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "visa/HislipMessage.h"
#include "visa/HislipTransport.h"

#include "Require.h"

using tevra::fuzz::Require;

namespace {

using namespace tevra::visa;

class MemoryChannel final : public HislipChannel {
 public:
  std::string input;
  std::size_t offset = 0;
  std::size_t chunk = 1;

  ViStatus Send(std::span<const std::uint8_t>, std::span<const std::uint8_t>, Clock::time_point,
                std::string&) override {
    return kViSuccess;
  }
  ViStatus Receive(std::uint8_t* into, std::size_t size, Clock::time_point, std::size_t& received,
                   std::string& detail) override {
    if (offset == input.size()) {
      detail.clear();
      return kViErrorTmo;
    }
    received = std::min({size, chunk, input.size() - offset});
    std::memcpy(into, input.data() + offset, received);
    offset += received;
    return kViSuccess;
  }
};

std::string Frame(std::uint8_t type, std::uint8_t control, std::uint32_t parameter,
                  std::string payload) {
  std::uint8_t header[hislip::kHeaderSize];
  hislip::EncodeHeader({type, control, parameter, payload.size()}, header);
  return std::string(reinterpret_cast<char*>(header), sizeof header) + payload;
}

bool Documented(ViStatus status) {
  return status == kViSuccess || status == kViSuccessTermChar || status == kViSuccessMaxCnt ||
         status == kViErrorTmo || status == kViErrorIo || status == kViErrorConnLost;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);

  hislip::Header header;
  std::string detail;
  if (hislip::DecodeHeader({data, size}, 1 << 20, header, detail) == hislip::DecodeResult::Ok) {
    Require(header.payloadLength <= (1 << 20), "a decoded payload stays within the limit");
  }

  auto sync = std::make_unique<MemoryChannel>();
  auto async = std::make_unique<MemoryChannel>();
  sync->chunk = 1 + data[0] % 32;
  async->chunk = 1 + data[0] % 7;
  sync->input = Frame(hislip::kInitializeResponse, 0, 0x01000001, {}) + input;
  async->input =
      Frame(hislip::kAsyncInitializeResponse, 0, 0, {}) +
      Frame(hislip::kAsyncMaximumMessageSizeResponse, 0, 0, std::string("\0\0\0\0\0\0\1\0", 8)) +
      input;
  MemoryChannel* syncChannel = sync.get();
  HislipTransport transport(std::move(sync), std::move(async));
  if (transport.Initialize("hislip0", HislipChannel::Clock::time_point::max(), detail) !=
      kViSuccess) {
    Require(false, "the valid opening succeeds");
  }
  std::size_t written = 0;
  static constexpr std::uint8_t kQuery[] = {'*', 'I', 'D', 'N', '?', '\n'};
  LineSettings line;
  line.termCharEnabled = data[1] & 1;
  Require(Documented(transport.Write(kQuery, true, line, written)), "a write's status");

  std::uint8_t buffer[64];
  for (int round = 0; round < 64 && syncChannel->offset < syncChannel->input.size(); ++round) {
    const std::size_t want = 1 + (round * 7 + data[1]) % sizeof buffer;
    std::size_t count = 0;
    const ViStatus status = transport.Read({buffer, want}, line, count);
    Require(Documented(status), "only the documented statuses of a read");
    Require(count <= want, "a read stays within its buffer");
    if (status == kViErrorConnLost) break;
  }
  std::uint16_t statusByte = 0;
  const ViStatus queried = transport.ReadStatusByte(line, statusByte);
  Require(Documented(queried), "a status query's status");
  Require(statusByte <= 0xFF, "a status byte is a byte");
  Require(Documented(transport.Clear(line)), "a device clear's status");
  return 0;
}
