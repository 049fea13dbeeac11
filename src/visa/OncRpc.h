// ONC RPC (RFC 5531) over TCP with XDR (RFC 4506) encoding, as far as VXI-11 and the portmapper
// need it: calls with AUTH_NULL, record marking, replies matched by xid.
//
// Written here rather than taken from libtirpc: its client blocks with a timeout model of its own
// (one per client, not per call), allocates on every call and would add a runtime dependency.
// Every decoder is bounds-checked; the buffers live as long as the connection.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "visa/VisaTypes.h"

namespace tevra::visa::rpc {

// Appends XDR items to a buffer it does not own.
class XdrWriter {
 public:
  explicit XdrWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U32(std::uint32_t value);
  void Opaque(std::span<const std::uint8_t> bytes);  // length, bytes, padding to 4
  void String(std::string_view text);

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads XDR items; any read past the end sets Failed() and yields zeros. The padding after the
// last opaque item may be missing (some devices omit it).
class XdrReader {
 public:
  explicit XdrReader(std::span<const std::uint8_t> data) : data_(data) {}
  std::uint32_t U32();
  std::span<const std::uint8_t> Opaque(std::size_t limit = SIZE_MAX);
  bool Failed() const { return failed_; }
  std::span<const std::uint8_t> Rest() const { return data_.subspan(position_); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// Reassembles records from the byte stream: 4-byte fragment headers (bit 31 = last fragment,
// bits 0..30 = length). Fragments of one record are joined in record_.
class RecordAssembler {
 public:
  enum class Step : std::uint8_t {
    NeedMore,      // the buffered bytes end inside a record
    Record,        // a whole record is in record
    Unterminated,  // a fragment without the last-fragment bit ended and nothing follows yet:
                   // record holds what came so far; Accept() takes it as the whole record
    TooLarge,      // a record longer than the limit
  };
  explicit RecordAssembler(std::size_t limit = 64 * 1024 * 1024) : limit_(limit) {}

  // Where received bytes go, at least minimum bytes of room.
  std::span<std::uint8_t> Space(std::size_t minimum);
  void Received(std::size_t count) { end_ += count; }
  // Looks for the next record in what was received; record stays valid until the next call.
  Step Next(std::span<const std::uint8_t>& record);
  void Accept();  // after Unterminated
  bool HoldsBytes() const { return end_ > start_; }
  void Reset();

 private:
  std::vector<std::uint8_t> inbox_;
  std::size_t start_ = 0, end_ = 0;
  std::vector<std::uint8_t> record_;  // earlier fragments of the current record
  bool recordDelivered_ = false;      // record_ was handed out: emptied on the next call
  std::size_t limit_;
};

inline constexpr std::uint32_t kPortmapperProgram = 100000;
inline constexpr std::uint32_t kPortmapperVersion = 2;
inline constexpr std::uint32_t kPortmapperGetPort = 3;
inline constexpr std::uint32_t kProtocolTcp = 6;

// Writes a call's record header (placeholder), call header and AUTH_NULL credential and verifier;
// the caller appends the arguments and calls FinishCall.
void BeginCall(std::vector<std::uint8_t>& out, std::uint32_t xid, std::uint32_t program,
               std::uint32_t version, std::uint32_t procedure);
void FinishCall(std::vector<std::uint8_t>& out);  // one fragment, last-fragment bit set

enum class ReplyKind : std::uint8_t { Success, OtherXid, Refused, Malformed };
// Decodes a reply record: Success leaves results at the procedure's results; Refused and
// Malformed fill detail ("program unavailable", "RPC version mismatch (2..2)").
ReplyKind DecodeReply(std::span<const std::uint8_t> record, std::uint32_t xid,
                      std::span<const std::uint8_t>& results, std::string& detail);

// The serving side, as far as the VXI-11 interrupt channel needs it: a call record cut into
// its header and arguments, and the accepted reply to it.
struct CallHeader {
  std::uint32_t xid = 0;
  std::uint32_t program = 0;
  std::uint32_t version = 0;
  std::uint32_t procedure = 0;
  std::span<const std::uint8_t> arguments;
};
// False for a record that is no call of RPC version 2.
bool DecodeCall(std::span<const std::uint8_t> record, CallHeader& call);
enum class AcceptStat : std::uint32_t {
  Success = 0,
  ProgramUnavailable = 1,
  ProcedureUnavailable = 3
};
// A whole reply record, record mark included, without results: out is overwritten.
void EncodeAcceptedReply(std::vector<std::uint8_t>& out, std::uint32_t xid, AcceptStat stat);

// One TCP connection to an RPC server: a call at a time, each with its own deadline.
class RpcClient {
 public:
  using Clock = std::chrono::steady_clock;
  RpcClient() = default;
  ~RpcClient();
  RpcClient(const RpcClient&) = delete;
  RpcClient& operator=(const RpcClient&) = delete;

  // kViErrorRsrcNfound (refused, unreachable, unresolved) or kViErrorTmo, with detail.
  ViStatus Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs,
                   std::string& detail);
  void Close();
  bool Open() const { return descriptor_ >= 0; }
  bool Lost() const { return lost_; }
  // The connected socket, for its local address.
  int Descriptor() const { return descriptor_; }

  // The arguments buffer of the next call, already holding its headers.
  std::vector<std::uint8_t>& StartCall(std::uint32_t program, std::uint32_t version,
                                       std::uint32_t procedure);
  // Sends the call built with StartCall and waits until deadline (Clock::time_point::max(): no
  // limit) for its reply, dropping replies to earlier calls. results stays valid until the next
  // call. kViErrorTmo (no reply in time), kViErrorConnLost, kViErrorIo (refused, malformed).
  ViStatus Call(Clock::time_point deadline, std::span<const std::uint8_t>& results,
                std::string& detail);

 private:
  ViStatus Lose(std::string& detail, std::string text);

  int descriptor_ = -1;
  bool lost_ = false;
  std::uint32_t xid_ = 0;
  std::vector<std::uint8_t> call_;
  RecordAssembler assembler_;
};

}  // namespace tevra::visa::rpc
