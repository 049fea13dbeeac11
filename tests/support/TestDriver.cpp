#include "support/TestDriver.h"

#include "platform/Bstr.h"

namespace tevra::testing {
TestDriver::TestDriver()
    : CDriver(*this, std::make_unique<ScriptedIoSession>(script_),
              std::make_unique<RecordingTraceLog>()) {}

HRESULT TestDriver::Init(std::string_view options) {
  platform::Bstr name("SIM"), opts(options);
  return ApiInitialize(name.get(), 0, 0, opts.get());
}

}  // namespace tevra::testing
