#include "visa/SerialTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace tevra::visa {
namespace {

using Clock = std::chrono::steady_clock;

struct BaudRate {
  std::uint32_t rate;
  speed_t code;
};
constexpr BaudRate kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool Code(std::uint32_t rate, speed_t& code) {
  for (const BaudRate& known : kBaudRates) {
    if (known.rate == rate) {
      code = known.code;
      return true;
    }
  }
  return false;
}

bool IsConnectionLoss(int error) { return error == EIO || error == ENODEV || error == ENXIO; }

}  // namespace

std::string SerialTransport::DevicePath(const ResourceAddress& address) {
  if (!address.deviceName.empty()) return address.deviceName;
  if (address.board == 0) return {};
  return "/dev/ttyS" + std::to_string(address.board - 1);
}

ViStatus SerialTransport::Open(const ResourceAddress& address, std::uint32_t,
                               std::unique_ptr<Transport>& transport, std::string& detail) {
  const std::string path = DevicePath(address);
  if (path.empty()) {
    detail = "ASRL0 names no serial port: ports count from ASRL1 (/dev/ttyS0)";
    return kViErrorRsrcNfound;
  }
  const int descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    const int error = errno;
    detail = "open " + path + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM) {
      detail +=
          " (serial ports belong to the group 'dialout': add the user to it with "
          "'sudo usermod -aG dialout $USER' and log in again)";
      return kViErrorIo;
    }
    return error == EBUSY ? kViErrorRsrcBusy : kViErrorRsrcNfound;
  }
  if (!isatty(descriptor)) {
    ::close(descriptor);
    detail = path + " is not a serial port";
    return kViErrorRsrcNfound;
  }
  std::unique_ptr<SerialTransport> serial(new SerialTransport(descriptor, path));
  if (const ViStatus applied = serial->Apply(serial->settings_); applied < 0) {
    detail = serial->TakeErrorDetail();
    return applied;
  }
  tcflush(descriptor, TCIOFLUSH);  // nothing the port held before belongs to this session
  transport = std::move(serial);
  return kViSuccess;
}

SerialTransport::SerialTransport(int descriptor, std::string path)
    : descriptor_(descriptor),
      path_(std::move(path)),
      buffer_(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

SerialTransport::~SerialTransport() { ::close(descriptor_); }

ViStatus SerialTransport::Failure(int error, const char* operation) {
  if (IsConnectionLoss(error)) {
    lost_ = true;
    return Fail(kViErrorConnLost, std::string(operation) + " " + path_ + ": " +
                                      std::strerror(error) + " (the port went away)");
  }
  return Fail(kViErrorIo, std::string(operation) + " " + path_ + ": " + std::strerror(error));
}

ViStatus SerialTransport::Apply(const SerialSettings& settings) {
  termios line{};
  if (tcgetattr(descriptor_, &line) != 0) return Failure(errno, "tcgetattr");
  cfmakeraw(&line);
  line.c_cflag |= CLOCAL | CREAD;
  line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  line.c_cflag |= kSizes[settings.dataBits - 5];
  switch (settings.parity) {
    case Parity::None:
      break;
    case Parity::Odd:
      line.c_cflag |= PARENB | PARODD;
      break;
    case Parity::Even:
      line.c_cflag |= PARENB;
      break;
    case Parity::Mark:
      line.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case Parity::Space:
      line.c_cflag |= PARENB | CMSPAR;
      break;
  }
  // termios has no 1.5 stop bits; two is the nearest a UART sends for it.
  if (settings.stopBits != StopBits::One) line.c_cflag |= CSTOPB;
  line.c_iflag &= ~(IXON | IXOFF | IXANY);
  switch (settings.flowControl) {
    case FlowControl::None:
      break;
    case FlowControl::XonXoff:
      line.c_iflag |= IXON | IXOFF;
      break;
    case FlowControl::RtsCts:
      line.c_cflag |= CRTSCTS;
      break;
    case FlowControl::DtrDsr:
      return Fail(kViErrorNsupAttrState, "DTR/DSR flow control is not available on Linux ports");
  }
  speed_t code;
  if (!Code(settings.baudRate, code)) {
    return Fail(kViErrorNsupAttrState,
                "baud rate " + std::to_string(settings.baudRate) + " is not one termios knows");
  }
  cfsetispeed(&line, code);
  cfsetospeed(&line, code);
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
  if (tcsetattr(descriptor_, TCSANOW, &line) != 0) {
    if (errno == EINVAL) return Fail(kViErrorNsupAttrState, path_ + " refuses these settings");
    return Failure(errno, "tcsetattr");
  }
  settings_ = settings;
  return kViSuccess;
}

ViStatus SerialTransport::Write(std::span<const std::uint8_t> data, bool end,
                                const LineSettings& line, std::size_t& written) {
  written = 0;
  if (lost_) return Fail(kViErrorConnLost, path_ + " went away");
  if (data.empty()) return kViSuccess;
  // The line has no END signal: END is the termination character, sent after data that does not
  // already end with it (as VI_ASRL_END_TERMCHAR does).
  const bool appendTermChar = end && data.back() != line.termChar;
  const std::size_t total = data.size() + (appendTermChar ? 1 : 0);
  const auto started = Clock::now();
  for (std::size_t sent = 0; sent < total;) {
    iovec pieces[2];
    int pieceCount = 0;
    if (sent < data.size())
      pieces[pieceCount++] = {const_cast<std::uint8_t*>(data.data() + sent), data.size() - sent};
    if (appendTermChar) pieces[pieceCount++] = {const_cast<std::uint8_t*>(&line.termChar), 1};
    const ssize_t done = ::writev(descriptor_, pieces, pieceCount);
    if (done > 0) {
      sent += static_cast<std::size_t>(done);
      written = std::min(sent, data.size());
      continue;
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && errno != EAGAIN) return Failure(errno, "write");
    pollfd waiting{descriptor_, POLLOUT, 0};
    const int ready = poll(&waiting, 1, RemainingMs(line.timeoutMs, started));
    if (ready == 0) return Fail(kViErrorTmo, {});
    if (ready < 0 && errno != EINTR) return Failure(errno, "poll");
  }
  return kViSuccess;
}

ViStatus SerialTransport::Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                               std::size_t& count) {
  count = 0;
  lastReadStale_ = false;
  if (lost_) return Fail(kViErrorConnLost, path_ + " went away");
  const auto started = Clock::now();
  bool hungUp = false;  // the last wait saw the line hang up
  for (;;) {
    // Deliver what is buffered; bytes that arrived before the exchange began go out on a read of
    // their own.
    if (ViStatus status; DeliverHeld(buffer_.get(), bufferStart_, bufferEnd_, staleEnd_, buffer,
                                     count, line, lastReadStale_, status))
      return status;
    if (count == buffer.size()) return kViSuccessMaxCnt;
    bufferStart_ = bufferEnd_ = staleEnd_ = 0;
    const ssize_t received = ::read(descriptor_, buffer_.get(), kBufferSize);
    if (received > 0) {
      bufferEnd_ = static_cast<std::size_t>(received);
      continue;
    }
    if (received < 0 && errno == EINTR) continue;
    if (received < 0 && errno != EAGAIN) return Failure(errno, "read");
    // Nothing to read: a raw tty reads 0 bytes then, and so does one that hung up (an unplugged
    // adapter, a pty whose master closed), which polls ready for ever after.
    if (hungUp) return Failure(EIO, "read");
    pollfd waiting{descriptor_, POLLIN, 0};
    const int ready = poll(&waiting, 1, RemainingMs(line.timeoutMs, started));
    if (ready == 0) return Fail(kViErrorTmo, {});
    if (ready < 0 && errno != EINTR) return Failure(errno, "poll");
    hungUp = ready > 0 && (waiting.revents & (POLLHUP | POLLERR));
  }
}

void SerialTransport::BeginExchange() {
  // A serial line stamps nothing: what the port holds at this moment arrived before the
  // exchange, so it is collected now and delivered as stale.
  if (lost_) return;
  CollectHeld(
      buffer_.get(), kBufferSize, bufferStart_, bufferEnd_, staleEnd_,
      [this](std::uint8_t* into, std::size_t room) { return ::read(descriptor_, into, room); });
}

ViStatus SerialTransport::Clear(const LineSettings&) {
  if (lost_) return Fail(kViErrorConnLost, path_ + " went away");
  bufferStart_ = bufferEnd_ = staleEnd_ = 0;
  if (tcflush(descriptor_, TCIOFLUSH) != 0) return Failure(errno, "tcflush");
  // Not every tty can send a break (a pty cannot); the flush is the clear then.
  tcsendbreak(descriptor_, 0);
  return kViSuccess;
}

ViStatus SerialTransport::GetAttribute(ViAttr attribute, AttributeValue& value) const {
  switch (attribute) {
    case kViAttrAsrlBaud:
      value = settings_.baudRate;
      return kViSuccess;
    case kViAttrAsrlDataBits:
      value = settings_.dataBits;
      return kViSuccess;
    case kViAttrAsrlParity:
      value = static_cast<std::uint16_t>(settings_.parity);
      return kViSuccess;
    case kViAttrAsrlStopBits:
      value = static_cast<std::uint16_t>(settings_.stopBits);
      return kViSuccess;
    case kViAttrAsrlFlowCntrl:
      value = static_cast<std::uint16_t>(settings_.flowControl);
      return kViSuccess;
    default:
      return kViErrorNsupAttr;
  }
}

ViStatus SerialTransport::SetAttribute(ViAttr attribute, const AttributeValue& value) {
  std::uint32_t number = 0;
  if (!NumberOf(value, number)) return kViErrorNsupAttrState;
  SerialSettings wanted = settings_;
  switch (attribute) {
    case kViAttrAsrlBaud:
      wanted.baudRate = number;
      break;
    case kViAttrAsrlDataBits:
      if (number < 5 || number > 8) return kViErrorNsupAttrState;
      wanted.dataBits = static_cast<std::uint16_t>(number);
      break;
    case kViAttrAsrlParity:
      if (number > static_cast<std::uint16_t>(Parity::Space)) return kViErrorNsupAttrState;
      wanted.parity = static_cast<Parity>(number);
      break;
    case kViAttrAsrlStopBits:
      if (number != 10 && number != 15 && number != 20) return kViErrorNsupAttrState;
      wanted.stopBits = static_cast<StopBits>(number);
      break;
    case kViAttrAsrlFlowCntrl:
      if (number != 0 && number != 1 && number != 2 && number != 4) return kViErrorNsupAttrState;
      wanted.flowControl = static_cast<FlowControl>(number);
      break;
    default:
      return kViErrorNsupAttr;
  }
  return Apply(wanted);
}

}  // namespace tevra::visa
