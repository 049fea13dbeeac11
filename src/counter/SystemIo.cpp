// Pass-through I/O on the driver's session (ITevraSystem2 and 3) and the formatted I/O object
// that ITevraSystem.DirectIO hands out. Nothing here formats a command or checks the
// instrument's status; a simulated driver has no session, so each call says so.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

#include "counter/Property.h"
#include "counter/System.h"
#include "platform/SafeArray.h"

namespace tevra::counter {
namespace {

using Clock = std::chrono::steady_clock;

// The most a single read asks of the transport; longer reads go on in steps of this size.
constexpr std::size_t kReadStep = 65536;

HRESULT RefuseSimulated(Tevra& d) { return d.Reporter().Report(Code::NotInitialized); }

// Reads one response of at most limit bytes into out. With dropRest, what the instrument sends
// beyond limit is read and dropped up to the end of the response; without it, it stays for the
// next read. The whole call keeps within the session timeout.
HRESULT ReadResponse(Tevra& d, std::size_t limit, bool dropRest, std::vector<std::uint8_t>& out) {
  core::IIoSession& io = d.Io();
  std::int32_t timeout = 0;
  if (HRESULT hr = io.GetTimeout(timeout); FAILED(hr)) return hr;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
  std::vector<std::uint8_t> scratch;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
      return d.Reporter().ReportV(Code::IoTimeout, {"the response did not end"});
    const bool dropping = out.size() >= limit;
    std::span<std::uint8_t> into;
    if (dropping) {
      scratch.resize(kReadStep);
      into = scratch;
    } else {
      const std::size_t at = out.size();
      out.resize(at + std::min(limit - at, kReadStep));
      into = std::span(out).subspan(at);
    }
    std::size_t count = 0;
    const HRESULT hr = io.LowLevelReadNoPoll(
        into, count, static_cast<std::int32_t>(std::max<std::int64_t>(1, left.count())));
    if (!dropping) out.resize(out.size() - into.size() + count);
    if (FAILED(hr)) return hr;
    if (hr != core::kResultMoreData) return S_OK;  // the response ended
    if (out.size() >= limit && !dropRest) return S_OK;
  }
}

HRESULT ReadBytesInto(Tevra& d, const Method& row, LONG Count, bool dropRest, SAFEARRAY** Val) {
  if (Count < 1)
    return d.Reporter().ReportInvalidValueInt(row.record.methodName, "Count", Count, "%d");
  if (d.Simulating()) return RefuseSimulated(d);
  std::vector<std::uint8_t> bytes;
  if (HRESULT hr = ReadResponse(d, static_cast<std::size_t>(Count), dropRest, bytes); FAILED(hr))
    return hr;
  return GiveBytes(d, bytes, Val);
}

HRESULT WriteBytesFrom(Tevra& d, const Method& row, SAFEARRAY* Data, LONG* Written) {
  void* data = nullptr;
  std::size_t count = 0;
  constexpr VARTYPE kBytes[] = {VT_UI1, VT_I1};
  if (!platform::ViewVector(Data, kBytes, data, count))
    return d.Reporter().ReportInvalidValueText(row.record.methodName, "Data",
                                               "not an array of bytes");
  if (d.Simulating()) return RefuseSimulated(d);
  core::IIoSession& io = d.Io();
  if (HRESULT hr = io.StartMessage(); FAILED(hr)) return hr;
  std::size_t written = 0;
  const HRESULT hr = io.LowLevelWriteNoPoll(
      std::span(static_cast<const std::uint8_t*>(data), count), written, core::kDefaultTimeout);
  if (Written) *Written = static_cast<LONG>(written);
  return hr;
}

// The formatted I/O object: a reference to the driver object keeps the driver alive as long as
// the object is held.
class FormattedIo final : public IFormattedIO488 {
 public:
  explicit FormattedIo(Tevra& driver) : d_(driver) { d_.AddRefObject(); }
  ~FormattedIo() { d_.ReleaseObject(); }
  FormattedIo(const FormattedIo&) = delete;
  FormattedIo& operator=(const FormattedIo&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IFormattedIO488) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IFormattedIO488*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT WriteString(BSTR data, VARIANT_BOOL flushAndEND) override {
    return Run(
        rows::IFormattedIO488_WriteString,
        [&](core::IIoSession& io) {
          return io.WriteString(platform::BstrToUtf8(data), flushAndEND != VARIANT_FALSE,
                                core::kDefaultTimeout);
        },
        core::In("data", data), core::In("flushAndEND", flushAndEND));
  }
  HRESULT ReadString(BSTR* pbstrString) override {
    return Run(
        rows::IFormattedIO488_ReadString,
        [&](core::IIoSession& io) {
          std::string text;
          if (HRESULT hr = io.ReadString(text, false, core::kDefaultTimeout); FAILED(hr)) return hr;
          return GiveString(d_, text, *pbstrString);
        },
        core::Out("pbstrString", pbstrString));
  }
  HRESULT WriteNumber(double data, VARIANT_BOOL flushAndEND) override {
    return Run(
        rows::IFormattedIO488_WriteNumber,
        [&](core::IIoSession& io) {
          return io.WriteNumber(core::FormatArg(data), flushAndEND != VARIANT_FALSE,
                                core::kDefaultTimeout);
        },
        core::In("data", data), core::In("flushAndEND", flushAndEND));
  }
  HRESULT ReadNumber(double* pdata) override {
    return Run(
        rows::IFormattedIO488_ReadNumber,
        [&](core::IIoSession& io) {
          return io.ReadNumber(core::ScanArg(pdata), false, core::kDefaultTimeout);
        },
        core::Out("pdata", pdata));
  }
  HRESULT FlushWrite(VARIANT_BOOL sendEND) override {
    return Run(
        rows::IFormattedIO488_FlushWrite,
        [&](core::IIoSession& io) {
          return io.FlushWrite(sendEND != VARIANT_FALSE, core::kDefaultTimeout);
        },
        core::In("sendEND", sendEND));
  }
  HRESULT FlushRead() override {
    return Run(rows::IFormattedIO488_FlushRead,
               [&](core::IIoSession& io) { return io.DiscardRead(core::kDefaultTimeout); });
  }

 private:
  template <class Body, class... P>
  HRESULT Run(const Method& row, Body&& body, P... params) {
    return d_.Enter(
        row.record,
        [&]() -> HRESULT {
          if (d_.Simulating()) return RefuseSimulated(d_);
          const StatusCheckOff statusCheckOff(d_);
          return body(d_.Io());
        },
        params...);
  }

  Tevra& d_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT CreateFormattedIo(Tevra& driver, IFormattedIO488** val) {
  *val = new (std::nothrow) FormattedIo(driver);
  return *val ? S_OK : driver.Reporter().Report(Code::OutOfMemory);
}

HRESULT SystemInterface::ClearIO() {
  return d_.Enter(rows::ITevraSystem2_ClearIO.record, [&]() -> HRESULT {
    if (d_.Simulating()) return RefuseSimulated(d_);
    return d_.Io().Clear();
  });
}

// One response, without the session's read terminator at its end.
HRESULT SystemInterface::ReadString(BSTR* Val) {
  return d_.Enter(
      rows::ITevraSystem2_ReadString.record,
      [&]() -> HRESULT {
        if (d_.Simulating()) return RefuseSimulated(d_);
        std::vector<std::uint8_t> bytes;
        if (HRESULT hr = ReadResponse(d_, SIZE_MAX, true, bytes); FAILED(hr)) return hr;
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::string terminator;
        if (SUCCEEDED(d_.Io().GetReadTerminator(terminator)) && !terminator.empty() &&
            text.ends_with(terminator))
          text.remove_suffix(terminator.size());
        return GiveString(d_, text, *Val);
      },
      core::Out("Val", Val));
}

HRESULT SystemInterface::WriteString(BSTR Command) {
  return d_.Enter(
      rows::ITevraSystem2_WriteString.record,
      [&]() -> HRESULT {
        if (d_.Simulating()) return RefuseSimulated(d_);
        return d_.Io().LowLevelWriteStringNoPoll(platform::BstrToUtf8(Command),
                                                 core::kDefaultTimeout);
      },
      core::In("Command", Command));
}

HRESULT SystemInterface::ReadBytes(LONG Count, SAFEARRAY** Val) {
  return d_.Enter(
      rows::ITevraSystem2_ReadBytes.record,
      [&] { return ReadBytesInto(d_, rows::ITevraSystem2_ReadBytes, Count, true, Val); },
      core::In("Count", Count), core::Out("Val", Val));
}

HRESULT SystemInterface::WriteBytes(SAFEARRAY* Data) {
  return d_.Enter(
      rows::ITevraSystem2_WriteBytes.record,
      [&] { return WriteBytesFrom(d_, rows::ITevraSystem2_WriteBytes, Data, nullptr); },
      core::In("Data", Data));
}

HRESULT SystemInterface::ReadBytes2(LONG Count, SAFEARRAY** Val) {
  return d_.Enter(
      rows::ITevraSystem3_ReadBytes2.record,
      [&] { return ReadBytesInto(d_, rows::ITevraSystem3_ReadBytes2, Count, false, Val); },
      core::In("Count", Count), core::Out("Val", Val));
}

HRESULT SystemInterface::WriteBytes2(SAFEARRAY* Data, LONG* Written) {
  return d_.Enter(
      rows::ITevraSystem3_WriteBytes2.record,
      [&] { return WriteBytesFrom(d_, rows::ITevraSystem3_WriteBytes2, Data, Written); },
      core::In("Data", Data), core::Out("Written", Written));
}

}  // namespace tevra::counter
