// The IVI inherent interfaces that every driver object carries: driver operation (session
// properties), identity and utility. Each is a member of the driver object.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::core {

class CDriver;

class DriverOperationImpl final : public Embedded<IIviDriverOperation> {
 public:
  DriverOperationImpl(IObjectRoot& root, CDriver& driver) : Embedded(root), d_(driver) {}

#define TEVRA_ROWS "core/members/IIviDriverOperation.def"
#include "core/DeclareAccessors.inc"
  HRESULT InvalidateAllAttributes() override;
  HRESULT ClearInterchangeWarnings() override;
  HRESULT GetNextInterchangeWarning(BSTR* pbstrWarning) override;
  HRESULT ResetInterchangeCheck() override;
  HRESULT GetNextCoercionRecord(BSTR* val) override;

 private:
  CDriver& d_;
};

class DriverIdentityImpl final : public Embedded<IIviDriverIdentity> {
 public:
  DriverIdentityImpl(IObjectRoot& root, CDriver& driver) : Embedded(root), d_(driver) {}

#define TEVRA_ROWS "core/members/IIviComponentIdentity.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "core/members/IIviDriverIdentity.def"
#include "core/DeclareAccessors.inc"

 private:
  CDriver& d_;
};

class DriverUtilityImpl final : public Embedded<IIviDriverUtility> {
 public:
  DriverUtilityImpl(IObjectRoot& root, CDriver& driver) : Embedded(root), d_(driver) {}

  HRESULT Reset() override;
  HRESULT ResetWithDefaults() override;
  HRESULT Disable() override;
  HRESULT SelfTest(LONG* TestResult, BSTR* TestMessage) override;
  HRESULT ErrorQuery(LONG* ErrorCode, BSTR* ErrorMessage) override;
  HRESULT LockObject() override;
  HRESULT UnlockObject() override;

 private:
  CDriver& d_;
};

}  // namespace tevra::core
