// CInstrBuffer: the instrument buffer of a session. Formatted writes collect in the write buffer,
// which is sent when it fills or is flushed; formatted reads take bytes from the read buffer,
// which is refilled from the instrument one low-level read at a time, so that a response longer
// than the buffer reaches the scanner as one stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ErrorReporter.h"
#include "core/IIoSession.h"
#include "io/IoBuffer.h"

namespace tevra::io {

class CInstrBuffer final : public IIoBuffer {
 public:
  static constexpr std::int32_t kInitialCapacity = 4096;

  // Null when the buffers cannot be allocated (the session reports that).
  static std::unique_ptr<CInstrBuffer> Create(core::ILowLevelIo& session,
                                              core::IErrorReporter& reporter,
                                              std::string_view readTerminator = "\n",
                                              std::string_view writeTerminator = "\n");

  void SetReadTerminator(std::string_view terminator) { readTerminator_ = terminator; }
  void SetWriteTerminator(std::string_view terminator) { writeTerminator_ = terminator; }
  const std::string& ReadTerminator() const { return readTerminator_; }
  const std::string& WriteTerminator() const { return writeTerminator_; }

  void BeginScan() override;
  HRESULT Peek(std::string_view& text) override;
  HRESULT PeekMore(std::string_view& text) override;
  void Consume(std::size_t count) override;
  HRESULT ReadChar(char& c) override;
  HRESULT PushBack() override;
  HRESULT ReadBytes(std::span<std::uint8_t> into, std::size_t& count) override;
  HRESULT DiscardRead() override;

  HRESULT WriteChar(char c, bool endOfMessage) override;
  HRESULT WriteBytes(std::span<const std::uint8_t> data, std::size_t& taken) override;
  HRESULT WriteString(std::string_view text, bool endOfMessage, std::size_t& taken) override;
  HRESULT FlushWrite(bool sendEnd) override;

  HRESULT SetBufferSize(BufferSelect which, std::int32_t size) override;
  std::int32_t GetReadBufferSize() const override { return readCapacity_; }
  std::int32_t GetWriteBufferSize() const override { return writeCapacity_; }
  bool GetByteSwap() const override { return byteSwap_; }
  void SetByteSwap(bool swap) override { byteSwap_ = swap; }

  // Bytes written but not yet sent.
  std::int32_t PendingBytes() const { return pending_; }
  // Whether the message being read has no more data in the instrument.
  bool MessageComplete() const { return messageComplete_; }
  // Forgets the read state: the next read starts a new response.
  void ResetRead();
  // Whether the last read failed; the operation that met the failure has returned it.
  bool ReadFailed() const { return FAILED(readFailure_); }

 private:
  CInstrBuffer(core::ILowLevelIo& session, core::IErrorReporter& reporter);

  HRESULT Refill();
  // Reads after the first kept bytes of the read buffer.
  HRESULT Receive(std::int32_t kept);
  std::string_view Unread() const;
  void ClearRead();
  HRESULT Send(bool sendEnd);

  core::ILowLevelIo& session_;
  core::IErrorReporter& reporter_;
  std::unique_ptr<std::uint8_t[]> read_;
  std::unique_ptr<std::uint8_t[]> write_;
  std::int32_t readCapacity_ = 0;
  std::int32_t writeCapacity_ = 0;
  std::int32_t available_ = 0;         // unread bytes, including a trailing read terminator
  std::int32_t scannerAvailable_ = 0;  // without the terminator of a complete message
  std::int32_t pending_ = 0;
  std::int32_t position_ = 0;
  bool messageComplete_ = true;  // the instrument has no more data for this response
  bool holdsResponse_ = false;   // the read buffer holds (part of) a response
  bool midMessage_ = false;      // a message was sent in part; its end is still to come
  HRESULT readFailure_ = S_OK;   // the failure of the last read of the current operation
  std::string writeTerminator_;
  std::string readTerminator_;
  bool byteSwap_ = true;  // the wire carries big-endian data
};

}  // namespace tevra::io
