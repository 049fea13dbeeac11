// Feeds arbitrary bytes, in chunks whose sizes come from the first byte, to the record-marking
// reassembly, and every record it yields to the RPC reply decoder and the decoders of the
// VXI-11 results (create_link, device_write, device_read, device_readstb). Checks that views
// stay inside their records and that no record exceeds the reassembly's limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "Require.h"
#include "visa/OncRpc.h"

using tevra::fuzz::Require;
using namespace tevra::visa::rpc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t chunk = 1 + data[0] % 97;
  constexpr std::size_t kLimit = 1 << 20;
  RecordAssembler assembler(kLimit);
  std::size_t at = 1;
  for (int turns = 0; turns < 100000; ++turns) {
    std::span<const std::uint8_t> record;
    const RecordAssembler::Step step = assembler.Next(record);
    if (step == RecordAssembler::Step::TooLarge) return 0;
    if (step == RecordAssembler::Step::Record || step == RecordAssembler::Step::Unterminated) {
      Require(record.size() <= kLimit, "a record stays within the limit");
      std::span<const std::uint8_t> results;
      std::string detail;
      const std::uint32_t xid = record.size() >= 4 ? std::uint32_t(record[0]) << 24 |
                                                         std::uint32_t(record[1]) << 16 |
                                                         std::uint32_t(record[2]) << 8 | record[3]
                                                   : 0;
      const ReplyKind kind = DecodeReply(record, xid, results, detail);
      if (kind == ReplyKind::Success) {
        Require(results.data() >= record.data() &&
                    results.data() + results.size() <= record.data() + record.size(),
                "the results lie inside the record");
        XdrReader read(results);
        read.U32();
        read.U32();
        const auto bytes = read.Opaque(kLimit);
        Require(read.Failed() || (bytes.data() >= results.data() &&
                                  bytes.data() + bytes.size() <= results.data() + results.size()),
                "device_read data lies inside the results");
        XdrReader link(results);
        for (int i = 0; i < 4; ++i) link.U32();
      } else if (kind != ReplyKind::OtherXid) {
        Require(!detail.empty(), "a refused or malformed reply says why");
      }
      if (step == RecordAssembler::Step::Unterminated) assembler.Accept();
      continue;
    }
    if (at >= size) break;
    const std::size_t take = std::min(chunk, size - at);
    const std::span<std::uint8_t> space = assembler.Space(take);
    Require(space.size() >= take, "the space asked for is there");
    std::memcpy(space.data(), data + at, take);
    assembler.Received(take);
    at += take;
  }
  return 0;
}
