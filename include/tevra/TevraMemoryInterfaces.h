/// @file
/// The instrument's memory: the numbered state registers, the automatic recall at power-on and the
/// mass-memory file system (folders, state and data files, transfers between the instrument and
/// local files), and the learn string of the present settings.
#ifndef TEVRA_MEMORY_INTERFACES_H
#define TEVRA_MEMORY_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraMemory = {
    0xB809C4AB, 0x83B7, 0x4500, {0xA4, 0xD1, 0x69, 0x29, 0xD5, 0x06, 0x3B, 0x8F}};

struct ITevraMemory : IUnknown {
  virtual HRESULT SaveState(TevraMemoryLocationEnum Memorylocation) = 0;
  virtual HRESULT RecallState(TevraMemoryLocationEnum Memorylocation) = 0;
  virtual HRESULT Delete(TevraMemoryLocationEnum Memorylocation) = 0;
  virtual HRESULT DeleteAll() = 0;
  virtual HRESULT get_NumStates(LONG* val) = 0;
  virtual HRESULT get_IsValidState(TevraMemoryLocationEnum Memorylocation, VARIANT_BOOL* val) = 0;
  virtual HRESULT get_AutoRecallEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoRecallEnabled(VARIANT_BOOL val) = 0;
  /// The state file recalled at power-on, without the double quotes the instrument answers in.
  virtual HRESULT get_AutoRecallState(BSTR* val) = 0;
  virtual HRESULT put_AutoRecallState(BSTR val) = 0;
  virtual HRESULT get_AutoRecallIndexedState(TevraMemoryLocationEnum* val) = 0;
  virtual HRESULT put_AutoRecallIndexedState(TevraMemoryLocationEnum val) = 0;
  virtual HRESULT get_CurrentDirectory(BSTR* val) = 0;
  virtual HRESULT put_CurrentDirectory(BSTR val) = 0;
  /// The folder's listing: bytes used and free, one "name,type,size" text per file and their
  /// number. GetCatalog lists every file, DataCatalog the data files, CatalogState the state files.
  virtual HRESULT GetCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                             SAFEARRAY** FileList, double* FileCount) = 0;
  virtual HRESULT DataCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                              SAFEARRAY** FileList, double* FileCount) = 0;
  virtual HRESULT CatalogState(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                               SAFEARRAY** FileList, double* FileCount) = 0;
  virtual HRESULT Copy(BSTR SourceFile, BSTR DestinationFile) = 0;
  virtual HRESULT LoadState(BSTR File) = 0;
  virtual HRESULT StoreState(BSTR StateLocation) = 0;
  /// Stores the readings memory in the file.
  virtual HRESULT StoreData(BSTR File) = 0;
  virtual HRESULT CreateFolder(BSTR FolderLocation) = 0;
  virtual HRESULT DeleteFolder(BSTR FolderLocation) = 0;
  virtual HRESULT RemoveFile(BSTR FileLocation) = 0;
  /// Copies the instrument's file SourceFile into the local file DestinationFile, which is
  /// replaced only once the whole file has arrived.
  virtual HRESULT UploadFile(BSTR SourceFile, BSTR DestinationFile) = 0;
  /// Copies the local file Source into the instrument's file Destination.
  virtual HRESULT DownloadFile(BSTR Source, BSTR Destination) = 0;
  /// The learn string of the present settings (at most 50000 bytes), and its writing back, which
  /// restores them. A simulated instrument gives no array.
  virtual HRESULT GetState(SAFEARRAY** Data) = 0;
  virtual HRESULT PutState(SAFEARRAY* Data) = 0;

 protected:
  ~ITevraMemory() = default;
};

#endif
