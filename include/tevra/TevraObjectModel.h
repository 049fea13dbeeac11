/// @file
/// The object-model interfaces every Tevra object may answer besides its instrument interfaces:
/// error-information support, the class's type information, and the trace event a client can
/// subscribe to. The type-information interface holds the part of its namesake that a caller on
/// this platform needs: the class identifier and name, and the list of the class's interfaces
/// with their names and identifiers.
#ifndef TEVRA_OBJECT_MODEL_H
#define TEVRA_OBJECT_MODEL_H

#include "tevra/TevraTypes.h"

/// Says which interfaces set the thread's error information when a call fails.
struct ISupportErrorInfo : IUnknown {
  /// S_OK for an interface of the object that reports errors this way, S_FALSE for any other.
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

using TYPEKIND = std::int32_t;
inline constexpr TYPEKIND TKIND_INTERFACE = 3;
inline constexpr TYPEKIND TKIND_COCLASS = 5;
using HREFTYPE = std::uint32_t;
using MEMBERID = std::int32_t;
inline constexpr MEMBERID MEMBERID_NIL = -1;

struct TYPEATTR {
  GUID guid;                 // the class or interface identifier
  TYPEKIND typekind;         // TKIND_COCLASS or TKIND_INTERFACE
  std::uint16_t cImplTypes;  // a class: the number of its interfaces
};

struct ITypeInfo : IUnknown {
  /// The type's attributes; the caller gives them back with ReleaseTypeAttr.
  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  /// The type's name and description for MEMBERID_NIL (any output may be null); a type has no
  /// members of its own here, so any other id is refused.
  virtual HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, ULONG* helpContext,
                                   BSTR* helpFile) = 0;
  /// A class's interface at index (0 .. cImplTypes - 1), as a reference and as its type.
  virtual HRESULT GetRefTypeOfImplType(std::uint32_t index, HREFTYPE* ref) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;

 protected:
  ~ITypeInfo() = default;
};
inline constexpr IID IID_ITypeInfo = {
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IProvideClassInfo : IUnknown {
  virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;

 protected:
  ~IProvideClassInfo() = default;
};
inline constexpr IID IID_IProvideClassInfo = {
    0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

inline constexpr std::uint32_t GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

struct IProvideClassInfo2 : IProvideClassInfo {
  /// For GUIDKIND_DEFAULT_SOURCE_DISP_IID: the identifier of the class's event interface.
  virtual HRESULT GetGUID(std::uint32_t guidKind, GUID* guid) = 0;

 protected:
  ~IProvideClassInfo2() = default;
};
inline constexpr IID IID_IProvideClassInfo2 = {
    0xA6BC3AC0, 0xDBAA, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

/// The driver's trace event: each completed trace record, delivered to every subscribed sink.
/// kind is 1; processId is the identifier of the process the driver runs in. A sink's failure
/// does not change the traced call's result.
struct ITevraTraceEvents : IUnknown {
  virtual HRESULT OnTraceEvent(BSTR record, LONG kind, BSTR logName, ULONG processId) = 0;

 protected:
  ~ITevraTraceEvents() = default;
};
inline constexpr IID IID_ITevraTraceEvents = {
    0x3E0D5A52, 0x81C4, 0x4E0B, {0x9A, 0x47, 0x2C, 0x6B, 0xF1, 0x0D, 0x73, 0xA8}};

inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

extern "C" {
/// Creating a registered class as an object-model client does, through the key store that
/// tevra-register writes (the user's store first, then the machine's): the class identifier of
/// a program identifier ("Tevra.Tevra" or "Tevra.Tevra.1"; CO_E_CLASSSTRING when none is
/// registered), and an object of a class (REGDB_E_CLASSNOTREG when the class is not registered,
/// CO_E_DLLNOTFOUND when its module does not load, CO_E_ERRORINDLL when the module has no
/// DllGetClassObject), optionally inside an outer object. A module stays loaded once loaded.
/// Each failure leaves its reason as the thread's error information.
TEVRA_API HRESULT TevraCLSIDFromProgID(const char* progId, CLSID* clsid);
TEVRA_API HRESULT TevraCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID riid, void** ppv);

/// Subscribes sink to the trace events of the driver object that object belongs to (any of its
/// interfaces, or the outer object that aggregates it); *cookie (never 0) unsubscribes it. The
/// driver holds a reference to the sink until it is unsubscribed or the driver is destroyed.
TEVRA_API HRESULT TevraAdviseTrace(IUnknown* object, ITevraTraceEvents* sink, ULONG* cookie);
/// CONNECT_E_NOCONNECTION for a cookie the driver did not give out or already took back.
TEVRA_API HRESULT TevraUnadviseTrace(IUnknown* object, ULONG cookie);

/// A driver object that an object-model client created has no C session: attaching one fails
/// with 0x80047011 (method not supported) and the C handle with 0x80047012 (property not
/// supported), each with its message as the thread's error information.
TEVRA_API HRESULT TevraAttachToExistingCSession(IUnknown* object, std::uint32_t session);
TEVRA_API HRESULT TevraGetNativeCHandle(IUnknown* object, std::uint32_t* handle);
}

#endif  // TEVRA_OBJECT_MODEL_H
