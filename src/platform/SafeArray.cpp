#include "platform/SafeArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tevra::platform {
namespace {

// The variant type is kept in the four bytes before the descriptor, as FADF_HAVEVARTYPE says.
constexpr std::size_t kHeader = 16;

VARTYPE& VarTypeSlot(SAFEARRAY* array) {
  return *reinterpret_cast<VARTYPE*>(reinterpret_cast<unsigned char*>(array) - 4);
}

std::size_t DescriptorBytes(std::uint32_t dims) {
  return sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
}

// The data of the last large array a thread destroyed, kept for that thread's next large array:
// a program that reads block after block reuses the memory instead of taking fresh pages from the
// kernel and faulting each one in on every read (at 8 MB a read, 2,048 faults). One block a
// thread at most, freed with the thread.
constexpr std::size_t kSpareAtLeast = std::size_t{1} << 20;
constexpr std::size_t kSpareAtMost = std::size_t{64} << 20;

struct SpareBlock {
  void* data = nullptr;
  std::size_t bytes = 0;
  ~SpareBlock() { std::free(data); }
};
thread_local SpareBlock t_spare;

// Zeroed data for bytes (> 0): the spare block when it fits without wasting more than half.
void* AllocateData(std::size_t bytes) {
  if (bytes >= kSpareAtLeast && t_spare.data && t_spare.bytes >= bytes &&
      t_spare.bytes / 2 <= bytes) {
    void* data = t_spare.data;
    t_spare.data = nullptr;
    t_spare.bytes = 0;
    return std::memset(data, 0, bytes);
  }
  return std::calloc(bytes, 1);
}

void FreeData(void* data, std::size_t bytes) {
  if (data && bytes >= kSpareAtLeast && bytes <= kSpareAtMost) {
    std::free(t_spare.data);
    t_spare.data = data;
    t_spare.bytes = bytes;
    return;
  }
  std::free(data);
}

}  // namespace

std::size_t ElementSizeOf(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_INT:
    case VT_UINT:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
      return 8;
    case VT_BSTR:
      return sizeof(BSTR);
    default:
      return 0;
  }
}

bool ViewVector(const SAFEARRAY* array, std::span<const VARTYPE> accepted, void*& data,
                std::size_t& count) {
  if (!array || array->cDims != 1 || array->rgsabound[0].lLbound != 0) return false;
  VARTYPE vt = VT_EMPTY;
  if (FAILED(TevraSafeArrayGetVartype(const_cast<SAFEARRAY*>(array), &vt))) return false;
  bool known = false;
  for (VARTYPE a : accepted) known = known || a == vt;
  if (!known) return false;
  data = array->pvData;
  count = array->rgsabound[0].cElements;
  return true;
}

// A one-dimensional, unlocked array of numbers: one whose data may move.
bool Resizable(const SAFEARRAY* array) {
  return array && array->cDims == 1 && !(array->fFeatures & FADF_BSTR) && array->cLocks == 0;
}

bool ResizeVector(SAFEARRAY* array, ULONG elements) {
  if (!Resizable(array)) return false;
  const std::size_t size = array->cbElements;
  if (elements > (std::size_t{1} << 31) / size) return false;
  if (elements == 0) {
    std::free(array->pvData);
    array->pvData = nullptr;
  } else {
    void* data = std::realloc(array->pvData, elements * size);
    if (!data) return false;
    array->pvData = data;
  }
  array->rgsabound[0].cElements = elements;
  return true;
}

ULONG GrowVector(SAFEARRAY* array, ULONG elements) {
  if (!Resizable(array)) return 0;
  const std::size_t size = array->cbElements;
  const std::size_t bytes = std::size_t{elements} * size;
  if (bytes >= kSpareAtLeast && t_spare.data && t_spare.bytes >= bytes &&
      t_spare.bytes <= (std::size_t{1} << 31)) {
    const std::size_t have = std::size_t{array->rgsabound[0].cElements} * size;
    if (have) std::memcpy(t_spare.data, array->pvData, std::min(have, bytes));
    std::free(array->pvData);
    array->pvData = t_spare.data;
    array->rgsabound[0].cElements = static_cast<ULONG>(t_spare.bytes / size);
    t_spare.data = nullptr;
    t_spare.bytes = 0;
    return array->rgsabound[0].cElements;
  }
  return ResizeVector(array, elements) ? elements : 0;
}

}  // namespace tevra::platform

using tevra::platform::ElementSizeOf;

extern "C" {

TEVRA_API SAFEARRAY* TevraSafeArrayCreate(VARTYPE vt, std::uint32_t cDims,
                                          const SAFEARRAYBOUND* bounds) {
  const std::size_t elementSize = ElementSizeOf(vt);
  if (elementSize == 0 || cDims == 0 || cDims > 64 || !bounds) return nullptr;
  std::size_t elements = 1;
  for (std::uint32_t d = 0; d < cDims; ++d) {
    if (bounds[d].cElements != 0 &&
        elements > std::numeric_limits<std::uint32_t>::max() / bounds[d].cElements)
      return nullptr;
    elements *= bounds[d].cElements;
  }
  if (elements > (std::size_t{1} << 31) / elementSize) return nullptr;
  auto* block = static_cast<unsigned char*>(
      std::calloc(1, tevra::platform::kHeader + tevra::platform::DescriptorBytes(cDims)));
  if (!block) return nullptr;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + tevra::platform::kHeader);
  void* data = nullptr;
  if (elements > 0 && !(data = tevra::platform::AllocateData(elements * elementSize))) {
    std::free(block);
    return nullptr;
  }
  array->cDims = static_cast<std::uint16_t>(cDims);
  array->fFeatures = FADF_HAVEVARTYPE | (vt == VT_BSTR ? FADF_BSTR : 0);
  array->cbElements = static_cast<ULONG>(elementSize);
  array->pvData = data;
  for (std::uint32_t d = 0; d < cDims; ++d) array->rgsabound[d] = bounds[d];
  tevra::platform::VarTypeSlot(array) = vt;
  return array;
}

TEVRA_API SAFEARRAY* TevraSafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  const SAFEARRAYBOUND bound{cElements, lLbound};
  return TevraSafeArrayCreate(vt, 1, &bound);
}

TEVRA_API HRESULT TevraSafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  std::size_t elements = 1;
  for (std::uint16_t d = 0; d < psa->cDims; ++d) elements *= psa->rgsabound[d].cElements;
  if ((psa->fFeatures & FADF_BSTR) && psa->pvData) {
    auto* strings = static_cast<BSTR*>(psa->pvData);
    for (std::size_t i = 0; i < elements; ++i) TevraSysFreeString(strings[i]);
  }
  tevra::platform::FreeData(psa->pvData, elements * psa->cbElements);
  std::free(reinterpret_cast<unsigned char*>(psa) - tevra::platform::kHeader);
  return S_OK;
}

TEVRA_API HRESULT TevraSafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  ++psa->cLocks;
  *ppvData = psa->pvData;
  return S_OK;
}

TEVRA_API HRESULT TevraSafeArrayUnaccessData(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

TEVRA_API HRESULT TevraSafeArrayGetUBound(SAFEARRAY* psa, std::uint32_t nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = psa->rgsabound[nDim - 1];
  *plUbound = b.lLbound + static_cast<LONG>(b.cElements) - 1;
  return S_OK;
}

TEVRA_API HRESULT TevraSafeArrayGetLBound(SAFEARRAY* psa, std::uint32_t nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[nDim - 1].lLbound;
  return S_OK;
}

TEVRA_API HRESULT TevraSafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  if (!(psa->fFeatures & FADF_HAVEVARTYPE)) return E_INVALIDARG;
  *pvt = tevra::platform::VarTypeSlot(psa);
  return S_OK;
}

TEVRA_API std::uint32_t TevraSafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

TEVRA_API std::uint32_t TevraSafeArrayGetElemsize(SAFEARRAY* psa) {
  return psa ? psa->cbElements : 0;
}
}
