// Tevra: the driver class. A CDriver with the counter's own state, the object identity shared by
// all of its interfaces, and the interface map.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/Driver.h"
#include "core/IviDriverImpl.h"

namespace tevra::counter {

class Tevra final : public core::IObjectRoot, public core::CDriver {
 public:
  // Creates a driver object with one reference and returns the requested interface.
  static HRESULT Create(REFIID riid, void** ppv);
  // The same with the given I/O session (tests hand in their own).
  static HRESULT Create(std::unique_ptr<core::IIoSession> io, REFIID riid, void** ppv);

  HRESULT QueryObject(REFIID riid, void** ppv) override;
  ULONG AddRefObject() override;
  ULONG ReleaseObject() override;

  // The measurement function the instrument was last configured for.
  const std::string& CurrentFunction() const { return currentFunction_; }

 private:
  Tevra(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace);
  ~Tevra() override;

  HRESULT PostInitialize() override;
  void ResetState() override;

  class Root final : public core::IviDriverImpl<ITevra> {
   public:
    using IviDriverImpl::IviDriverImpl;
  };

  std::atomic<ULONG> refs_{1};
  Root root_;
  std::string currentFunction_ = "FREQ";
};

}  // namespace tevra::counter
