// The object-model interfaces of the driver and channel objects besides their instrument
// interfaces: which interfaces report errors through the thread's error information, and the
// driver class's type information (its identifier, name and interface list).
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraObjectModel.h"

namespace tevra::counter {

class ErrorInfoSupport final : public core::Embedded<ISupportErrorInfo> {
 public:
  // answers: whether the object answers an interface id.
  ErrorInfoSupport(core::IObjectRoot& root, bool (*answers)(REFIID))
      : Embedded(root), answers_(answers) {}
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return answers_(riid) ? S_OK : S_FALSE;
  }

 private:
  bool (*answers_)(REFIID);
};

class DriverClassInfo final : public core::Embedded<IProvideClassInfo2> {
 public:
  using Embedded::Embedded;
  HRESULT GetClassInfo(ITypeInfo** info) override;
  HRESULT GetGUID(std::uint32_t guidKind, GUID* guid) override;
};

// The driver class's type information: the class, then one type per interface of the list.
ITypeInfo& DriverClassTypeInfo();

}  // namespace tevra::counter
