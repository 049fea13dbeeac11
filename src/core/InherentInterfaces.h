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

  HRESULT get_LogicalName(BSTR* val) override;
  HRESULT get_IoResourceDescriptor(BSTR* val) override;
  HRESULT get_Cache(VARIANT_BOOL* val) override;
  HRESULT put_Cache(VARIANT_BOOL val) override;
  HRESULT get_InterchangeCheck(VARIANT_BOOL* val) override;
  HRESULT put_InterchangeCheck(VARIANT_BOOL val) override;
  HRESULT get_QueryInstrumentStatus(VARIANT_BOOL* val) override;
  HRESULT put_QueryInstrumentStatus(VARIANT_BOOL val) override;
  HRESULT get_RangeCheck(VARIANT_BOOL* val) override;
  HRESULT put_RangeCheck(VARIANT_BOOL val) override;
  HRESULT get_RecordCoercions(VARIANT_BOOL* val) override;
  HRESULT put_RecordCoercions(VARIANT_BOOL val) override;
  HRESULT get_Simulate(VARIANT_BOOL* val) override;
  HRESULT put_Simulate(VARIANT_BOOL val) override;
  HRESULT get_DriverSetup(BSTR* val) override;
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

  HRESULT get_Description(BSTR* val) override;
  HRESULT get_Revision(BSTR* val) override;
  HRESULT get_Vendor(BSTR* val) override;
  HRESULT get_InstrumentManufacturer(BSTR* val) override;
  HRESULT get_InstrumentModel(BSTR* val) override;
  HRESULT get_InstrumentFirmwareRevision(BSTR* val) override;
  HRESULT get_Identifier(BSTR* val) override;
  HRESULT get_SupportedInstrumentModels(BSTR* val) override;
  HRESULT get_SpecificationMajorVersion(LONG* val) override;
  HRESULT get_SpecificationMinorVersion(LONG* val) override;
  HRESULT get_GroupCapabilities(BSTR* val) override;

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
