// The instrument's memory: ITevraMemory. Every member is a row of its member file except the
// catalogs (a listing parsed into several outputs), the learn string read and written back, and
// the transfers between the instrument's files and local ones.
#pragma once

#include <memory>

#include "core/Registry.h"
#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class MemoryInterface final : public DriverPart<ITevraMemory> {
 public:
  using DriverPart::DriverPart;
  HRESULT GetCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree, SAFEARRAY** FileList,
                     double* FileCount) override;
  HRESULT DataCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree, SAFEARRAY** FileList,
                      double* FileCount) override;
  HRESULT CatalogState(BSTR Folder, double* MemoryUsed, double* MemoryFree, SAFEARRAY** FileList,
                       double* FileCount) override;
  HRESULT UploadFile(BSTR SourceFile, BSTR DestinationFile) override;
  HRESULT DownloadFile(BSTR Source, BSTR Destination) override;
  HRESULT GetState(SAFEARRAY** Data) override;
  HRESULT PutState(SAFEARRAY* Data) override;
#define TEVRA_ROWS "counter/members/ITevraMemory.def"
#include "core/DeclareAccessors.inc"

 private:
  HRESULT Catalog(const core::Method& row, BSTR Folder, double* MemoryUsed, double* MemoryFree,
                  SAFEARRAY** FileList, double* FileCount);
};

std::unique_ptr<InterfaceGroup> CreateMemoryGroup(Tevra& driver);

}  // namespace tevra::counter
