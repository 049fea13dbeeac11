#include "support/DriverHandle.h"

#include <gtest/gtest.h>

#include "counter/Tevra.h"
#include "platform/ErrorInfo.h"

namespace tevra::testing {

DriverHandle::DriverHandle(std::unique_ptr<core::IIoSession> io) {
  const HRESULT hr = io ? counter::Tevra::Create(std::move(io), IID_ITevra, (void**)&driver)
                        : counter::Tevra::Create(IID_ITevra, (void**)&driver);
  EXPECT_EQ(hr, S_OK);
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
