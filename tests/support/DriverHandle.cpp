#include "support/DriverHandle.h"

#include <gtest/gtest.h>

#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/ErrorInfo.h"

namespace tevra::testing {

DriverHandle::DriverHandle(std::unique_ptr<core::IIoSession> io,
                           std::unique_ptr<core::ITraceLog> trace) {
  if (!io) io = std::make_unique<io::CVisaComSession>();
  EXPECT_EQ(counter::Tevra::Create(std::move(io), std::move(trace), IID_ITevra, (void**)&driver),
            S_OK);
  driver->QueryInterface(IID_IIviDriverOperation, (void**)&operation);
  driver->QueryInterface(IID_IIviDriverIdentity, (void**)&identity);
  driver->QueryInterface(IID_IIviDriverUtility, (void**)&utility);
}

DriverHandle::~DriverHandle() {
  utility->Release();
  identity->Release();
  operation->Release();
  driver->Release();
}

HRESULT DriverHandle::Initialize(std::string_view resource, std::string_view options, bool idQuery,
                                 bool reset) {
  platform::Bstr name(resource);
  platform::Bstr optionString(options);
  return driver->Initialize(name.get(), idQuery ? VARIANT_TRUE : VARIANT_FALSE,
                            reset ? VARIANT_TRUE : VARIANT_FALSE, optionString.get());
}

bool DriverHandle::Initialized() {
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_EQ(driver->get_Initialized(&value), S_OK);
  return value != VARIANT_FALSE;
}

std::string TakeErrorDescription() {
  platform::ErrorRecord record;
  if (!platform::TakeThreadError(record)) return {};
  return record.description;
}

}  // namespace tevra::testing
