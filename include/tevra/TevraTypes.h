/// @file
/// The component-runtime types the Tevra object interface is written in: status results, GUIDs,
/// IUnknown, counted UTF-16 strings (BSTR) and VARIANT_BOOL. They have the shapes and semantics
/// of their namesakes on the platform the IVI-COM architecture comes from.
#ifndef TEVRA_TYPES_H
#define TEVRA_TYPES_H

#include <cstddef>
#include <cstdint>

#include "tevra/TevraExport.h"

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using SHORT = std::int16_t;  // the same C++ type as VARIANT_BOOL
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

/// Every object interface derives from IUnknown; the three slots come first.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

/// The thread's error information, as set by the driver for every reported failure.
struct IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* pGuid) = 0;
  virtual HRESULT GetSource(BSTR* pSource) = 0;
  virtual HRESULT GetDescription(BSTR* pDescription) = 0;
  virtual HRESULT GetHelpFile(BSTR* pHelpFile) = 0;
  virtual HRESULT GetHelpContext(ULONG* pHelpContext) = 0;

 protected:
  ~IErrorInfo() = default;
};
inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
  virtual HRESULT LockServer(int lock) = 0;

 protected:
  ~IClassFactory() = default;
};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

extern "C" {
/// Counted strings: the length (in bytes) is stored in the four bytes before the first
/// character, and the text is NUL-terminated. A null BSTR is the empty string.
TEVRA_API BSTR TevraSysAllocString(LPCOLESTR text);
TEVRA_API BSTR TevraSysAllocStringLen(LPCOLESTR text, std::uint32_t length);
TEVRA_API void TevraSysFreeString(BSTR text);
TEVRA_API std::uint32_t TevraSysStringLen(BSTR text);
TEVRA_API std::uint32_t TevraSysStringByteLen(BSTR text);

/// Takes the thread's error information (the caller owns the reference; *info is null when
/// there is none) and sets it (null clears it).
TEVRA_API HRESULT TevraGetErrorInfo(ULONG reserved, IErrorInfo** info);
TEVRA_API HRESULT TevraSetErrorInfo(ULONG reserved, IErrorInfo* info);
}

#endif

// One-dimensional (and, for completeness, multi-dimensional) safe arrays: the array type of the
// object interface. The element type travels with the array; arrays of BSTR own their strings.
#ifndef TEVRA_SAFEARRAY_TYPES
#define TEVRA_SAFEARRAY_TYPES

using VARTYPE = std::uint16_t;
inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_I8 = 20;
inline constexpr VARTYPE VT_UI8 = 21;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;

inline constexpr std::uint16_t FADF_HAVEVARTYPE = 0x0080;
inline constexpr std::uint16_t FADF_BSTR = 0x0100;

inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000Du);

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  std::uint16_t cDims;
  std::uint16_t fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];  // cDims entries
};

extern "C" {
/// Null when the type is not supported, a dimension count is 0 or the size overflows.
TEVRA_API SAFEARRAY* TevraSafeArrayCreate(VARTYPE vt, std::uint32_t cDims,
                                          const SAFEARRAYBOUND* bounds);
TEVRA_API SAFEARRAY* TevraSafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
/// Frees the data (and the strings of a BSTR array); DISP_E_ARRAYISLOCKED while accessed.
TEVRA_API HRESULT TevraSafeArrayDestroy(SAFEARRAY* psa);
TEVRA_API HRESULT TevraSafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
TEVRA_API HRESULT TevraSafeArrayUnaccessData(SAFEARRAY* psa);
/// nDim counts from 1.
TEVRA_API HRESULT TevraSafeArrayGetUBound(SAFEARRAY* psa, std::uint32_t nDim, LONG* plUbound);
TEVRA_API HRESULT TevraSafeArrayGetLBound(SAFEARRAY* psa, std::uint32_t nDim, LONG* plLbound);
TEVRA_API HRESULT TevraSafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
TEVRA_API std::uint32_t TevraSafeArrayGetDim(SAFEARRAY* psa);
TEVRA_API std::uint32_t TevraSafeArrayGetElemsize(SAFEARRAY* psa);
}

#endif
