// Text in and out of a VISA session for the transport tests: a write that must take every byte,
// and reads that say how they ended and what they returned.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "visa/VisaSession.h"

namespace tevra::testing {

struct ReadResult {
  visa::ViStatus status;
  std::string bytes;
};

inline ReadResult ReadUpTo(visa::VisaSession& session, std::size_t size) {
  std::vector<std::uint8_t> buffer(size);
  std::size_t count = 0;
  const visa::ViStatus status = session.Read(buffer, count);
  return {status, std::string(buffer.begin(), buffer.begin() + static_cast<long>(count))};
}

// Reads up to size bytes and checks how the read ended and what it returned.
inline void ExpectRead(visa::VisaSession& session, std::size_t size, visa::ViStatus status,
                       std::string_view bytes) {
  const ReadResult result = ReadUpTo(session, size);
  EXPECT_EQ(result.status, status) << "reading " << bytes;
  EXPECT_EQ(result.bytes, bytes);
}

inline visa::ViStatus WriteText(visa::VisaSession& session, std::string_view text) {
  std::size_t written = 0;
  const visa::ViStatus status = session.Write(text, written);
  if (status >= 0) {
    EXPECT_EQ(written, text.size());
  }
  return status;
}

}  // namespace tevra::testing
