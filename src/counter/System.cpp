// ITevraSystem's reset, session timeout and identity, and the group that answers the three
// versions of the system interface with one object.
#include "counter/System.h"

#include <algorithm>

#include "counter/Property.h"

namespace tevra::counter {
namespace {

constexpr LONG kShortestTimeout = 100;

// The session timeout under either of its names; in simulation the row's stored value.
HRESULT GetSessionTimeout(Tevra& d, const Property& row, LONG* val) {
  return d.Enter(
      row.get,
      [&]() -> HRESULT {
        if (d.Simulating()) return GetSimulated(d, row, *val);
        std::int32_t timeout = 0;
        const HRESULT hr = d.Io().GetTimeout(timeout);
        if (SUCCEEDED(hr)) *val = timeout;
        return hr;
      },
      core::Out("val", val));
}

HRESULT PutSessionTimeout(Tevra& d, const Property& row, LONG val) {
  return d.Enter(
      row.put,
      [&]() -> HRESULT {
        const LONG stored = std::max(val, kShortestTimeout);
        if (d.Simulating()) return PutSimulated(d, row, stored);
        return d.Io().SetTimeout(stored);
      },
      core::In("val", val));
}

HRESULT GetText(Tevra& d, const Property& row, const std::string& text, BSTR* val) {
  return d.Enter(
      row.get, [&] { return GiveString(d, text, *val); }, core::Out("val", val));
}

class SystemGroup final : public InterfaceGroup {
 public:
  explicit SystemGroup(Tevra& driver) : system_(driver) {}

  IUnknown* Find(REFIID riid) override {
    if (riid == IID_ITevraSystem || riid == IID_ITevraSystem2 || riid == IID_ITevraSystem3)
      return static_cast<ITevraSystem3*>(&system_);
    return nullptr;
  }

 private:
  SystemInterface system_;
};

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraSystem.def"
#define TEVRA_CLASS SystemInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

HRESULT SystemInterface::Reset() {
  return d_.Enter(rows::ITevraSystem_Reset.record, [&] { return d_.UtilityInterface().Reset(); });
}

HRESULT SystemInterface::get_TimeoutMilliseconds(LONG* val) {
  return GetSessionTimeout(d_, rows::ITevraSystem_TimeoutMilliseconds, val);
}
HRESULT SystemInterface::put_TimeoutMilliseconds(LONG val) {
  return PutSessionTimeout(d_, rows::ITevraSystem_TimeoutMilliseconds, val);
}
HRESULT SystemInterface::get_IOTimeout(LONG* val) {
  return GetSessionTimeout(d_, rows::ITevraSystem3_IOTimeout, val);
}
HRESULT SystemInterface::put_IOTimeout(LONG val) {
  return PutSessionTimeout(d_, rows::ITevraSystem3_IOTimeout, val);
}

HRESULT SystemInterface::get_SerialNumber(BSTR* val) {
  return GetText(d_, rows::ITevraSystem_SerialNumber, d_.SerialNumber(), val);
}
HRESULT SystemInterface::get_Option(BSTR* val) {
  return GetText(d_, rows::ITevraSystem_Option, d_.InstalledOptions(), val);
}

HRESULT SystemInterface::get_DirectIO(IFormattedIO488** val) {
  return d_.Enter(
      rows::ITevraSystem_DirectIO.get,
      [&]() -> HRESULT {
        if (d_.Simulating())
          return d_.Reporter().ReportV(Code::IoError,
                                       {"Direct I/O not available while Simulating"});
        return CreateFormattedIo(d_, val);
      },
      core::Out("val", val));
}

std::unique_ptr<InterfaceGroup> CreateSystemGroup(Tevra& driver) {
  return std::make_unique<SystemGroup>(driver);
}

}  // namespace tevra::counter
