// The IIviDriver slots of any root interface derived from IIviDriver (ITevra, and the class
// interface later): every slot forwards to the driver's session methods.
#pragma once

#include "core/Driver.h"
#include "core/Embedded.h"

namespace tevra::core {

template <class Itf>
class IviDriverImpl : public Embedded<Itf> {
 public:
  IviDriverImpl(IObjectRoot& root, CDriver& driver) : Embedded<Itf>(root), d_(driver) {}

  HRESULT get_DriverOperation(IIviDriverOperation** val) override {
    return d_.ApiGetDriverOperation(val);
  }
  HRESULT get_Identity(IIviDriverIdentity** val) override { return d_.ApiGetIdentity(val); }
  HRESULT get_Utility(IIviDriverUtility** val) override { return d_.ApiGetUtility(val); }
  HRESULT Initialize(BSTR ResourceName, VARIANT_BOOL IdQuery, VARIANT_BOOL Reset,
                     BSTR OptionString) override {
    return d_.ApiInitialize(ResourceName, IdQuery, Reset, OptionString);
  }
  HRESULT get_Initialized(VARIANT_BOOL* val) override { return d_.ApiGetInitialized(val); }
  HRESULT Close() override { return d_.ApiClose(); }

 protected:
  ~IviDriverImpl() = default;
  CDriver& d_;
};

}  // namespace tevra::core
