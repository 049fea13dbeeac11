// What the workloads run against: fake instruments on loopback with the replies the driver's
// calls ask for, and driver sessions on them through the object and the C interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "emulator/Instrument.h"
#include "support/SampleInstrument.h"
#include "tevra/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::workloads {

using testing::kCountQuery;
using testing::kCountReply;
using Replies = testing::SampleReadings;

// A fake that answers the sample queries (support/SampleInstrument.h), on the raw socket wire
// unless wire names another.
std::unique_ptr<emulator::Instrument> StartFake(
    const Replies& replies, emulator::WireSetUp wire = emulator::SetUpSocketWire);

// A driver object through TevraCreateDriver, initialized on a resource.
class DriverSession {
 public:
  DriverSession() = default;
  ~DriverSession();
  DriverSession(const DriverSession&) = delete;
  DriverSession& operator=(const DriverSession&) = delete;

  // Empty, or why Initialize failed.
  std::string Open(const std::string& resource, const std::string& options);
  template <class Itf>
  Itf* Get(REFIID iid) {
    void* itf = nullptr;
    if (driver_ && SUCCEEDED(driver_->QueryInterface(iid, &itf))) {
      static_cast<IUnknown*>(itf)->Release();  // the driver object keeps it alive
    }
    return static_cast<Itf*>(itf);
  }

 private:
  ITevra* driver_ = nullptr;
};

// A C session through Tevra_InitWithOptions.
class CSession {
 public:
  CSession() = default;
  ~CSession();
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;

  std::string Open(const std::string& resource, const std::string& options);
  ViSession vi() const { return vi_; }
  // The session's last error as text.
  std::string LastError() const;

 private:
  ViSession vi_ = 0;
};

// A failed call's HRESULT and the thread's error description.
std::string Failure(const char* what, HRESULT hr);

}  // namespace tevra::workloads
