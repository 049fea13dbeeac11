// The session handles of the C interface: a table of handles, each with one data value, a
// recursive lock and the last error (status and text) of the session. Session 0 addresses the
// calling thread's own error instead. A handle carries the generation of its slot, so a disposed
// handle, or one never issued, fails with kInvalidSession instead of reaching a later session.
// Texts given out follow the string-buffer rule of CopyString.
#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>

namespace tevra::platform {

using CStatus = std::int32_t;
using CSession = std::uint32_t;

inline constexpr CStatus kInvalidSession = static_cast<CStatus>(0xBFFA1190);

// The string-buffer rule: copies text into buffer of size characters (terminated) and returns
// 0 when it fit, else the size it needs (text length + 1, nothing written for a null buffer or a
// size of 0, the cut text written otherwise); a negative size copies the whole text. No text at
// all (null) writes an empty string into a usable buffer and returns 0, else returns 1.
std::int32_t CopyString(const char* text, std::int32_t size, char* buffer);
std::int32_t CopyString(std::string_view text, std::int32_t size, char* buffer);

// A new live session; lock, when given, receives the session's lock, which lives as long as the
// process.
CStatus NewSession(CSession* session, std::recursive_mutex** lock = nullptr);
CStatus DisposeSession(CSession session);
CStatus SetSessionData(CSession session, std::uintptr_t value);
// A call's hold on its session: the session's lock, taken while the hold lives, and the
// session's data value read under it. While a hold lives no other thread can dispose the
// session, so what the data names stays valid for the call.
class SessionHold {
 public:
  SessionHold() = default;
  SessionHold(const SessionHold&) = delete;
  SessionHold& operator=(const SessionHold&) = delete;
  ~SessionHold();
  std::uintptr_t Data() const { return data_; }

 private:
  friend CStatus HoldSession(CSession session, SessionHold& hold);
  std::recursive_mutex* lock_ = nullptr;
  std::uintptr_t data_ = 0;
};

// Takes the session's lock into hold (waiting while another thread holds it) and reads the
// data value; kInvalidSession when the session is not live, or was disposed while this thread
// waited. A hold already taken is released first.
CStatus HoldSession(CSession session, SessionHold& hold);

// Takes the session's recursive lock. With a flag, the lock is taken only when *callerHasLock is
// false, and the flag then says it is held; Unlock releases it only when the flag says so.
// Without a flag, each Lock takes it once more and each Unlock releases it once. Unlock releases
// only levels its own thread took with Lock; closing the session releases those of the closing
// thread.
CStatus LockSession(CSession session, std::int16_t* callerHasLock);
CStatus UnlockSession(CSession session, std::int16_t* callerHasLock);

CStatus SetSessionError(CSession session, CStatus code, std::string_view text);
// The last error's status into *code (when given) and its text by the string-buffer rule; the
// function returns the rule's count, or kInvalidSession.
CStatus GetSessionError(CSession session, std::int32_t bufferSize, CStatus* code, char* buffer);
CStatus ClearSessionError(CSession session);

}  // namespace tevra::platform
