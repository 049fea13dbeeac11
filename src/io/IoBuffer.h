// IIoBuffer: what the formatter writes into and the scanner reads from. CInstrBuffer implements it
// over an instrument session; a text writer over a string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/IIoSession.h"
#include "tevra/TevraTypes.h"

namespace tevra::io {

// The success status of a read that met the end of the response.
inline constexpr HRESULT kEndOfMessage = S_FALSE;

using core::BufferSelect;

class IIoBuffer {
 public:
  // --- reading ---

  // A formatted read begins: when the response in the buffer was read to its end, the next byte
  // comes from the instrument's next response.
  virtual void BeginScan() = 0;
  // The unread bytes of the current response that the scanner may see, refilling when none are
  // left and the response goes on. At the end of the response: empty text and kEndOfMessage.
  virtual HRESULT Peek(std::string_view& text) = 0;
  // Peek for text that runs past the unread bytes: keeps them and appends the next read after
  // them, so that the text is seen in one piece. kEndOfMessage, with the unread bytes, when no
  // byte can be added (the response has no more, or the buffer is full of unread bytes).
  virtual HRESULT PeekMore(std::string_view& text) = 0;
  // Marks count bytes of the last Peek as read.
  virtual void Consume(std::size_t count) = 0;
  // One byte; kEndOfMessage (and no byte) at the end of the response.
  virtual HRESULT ReadChar(char& c) = 0;
  // Moves the read position back by one byte.
  virtual HRESULT PushBack() = 0;
  // Counted binary read of into.size() bytes: refills until they are read, also past a
  // termination character, since binary data may contain one. count receives the bytes read;
  // kEndOfMessage when a read brought no more bytes.
  virtual HRESULT ReadBytes(std::span<std::uint8_t> into, std::size_t& count) = 0;
  // Drops the rest of the current response; the next read starts a new one.
  virtual HRESULT DiscardRead() = 0;

  // --- writing ---

  // endOfMessage: flush with END after the byte(s).
  virtual HRESULT WriteChar(char c, bool endOfMessage) = 0;
  virtual HRESULT WriteBytes(std::span<const std::uint8_t> data, std::size_t& taken) = 0;
  virtual HRESULT WriteString(std::string_view text, bool endOfMessage, std::size_t& taken) = 0;
  virtual HRESULT FlushWrite(bool sendEnd) = 0;

  // --- settings ---

  virtual HRESULT SetBufferSize(BufferSelect which, std::int32_t size) = 0;
  virtual std::int32_t GetReadBufferSize() const = 0;
  virtual std::int32_t GetWriteBufferSize() const = 0;
  // Whether multi-byte binary elements are swapped between host and wire order.
  virtual bool GetByteSwap() const = 0;
  virtual void SetByteSwap(bool swap) = 0;

 protected:
  ~IIoBuffer() = default;
};

}  // namespace tevra::io
