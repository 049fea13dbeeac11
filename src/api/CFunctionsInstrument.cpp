// The C interface's functions of the instrument's other parts: trigger, math, status, memory,
// calibration, display, reference oscillator and system, each forwarded to its object method.
#include "api/CForward.h"
#include "tevra/Tevra.h"

using tevra::api::Forward;
using tevra::api::InArray;
using tevra::api::Out;
using tevra::api::OutArray;
using tevra::api::OutJoined;

extern "C" {

// ---- Trigger

ViStatus Tevra_TriggerSendSoftwareTrigger(ViSession Vi) {
  return Forward(Vi, &ITevraTrigger::SendSoftwareTrigger);
}

// ---- Math

ViStatus Tevra_AverageAll(ViSession Vi, ViReal64* Average, ViReal64* StandardDeviation,
                          ViReal64* Minimum, ViReal64* Maximum) {
  return Forward(Vi, &ITevraMathStatistics::AverageAll, Out{Average, "Average"},
                 Out{StandardDeviation, "StandardDeviation"}, Out{Minimum, "Minimum"},
                 Out{Maximum, "Maximum"});
}
ViStatus Tevra_HistogramClear(ViSession Vi) { return Forward(Vi, &ITevraMathHistogram::Clear); }
ViStatus Tevra_HistogramReadData(ViSession Vi, ViInt32 ValArraySize, ViReal64 Val[],
                                 ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraMathHistogram::ReadData,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}
ViStatus Tevra_HistogramData(ViSession Vi, ViReal64* MinValue, ViReal64* MaxValue, ViReal64* Count,
                             ViInt32 BinDataArraySize, ViReal64 BinData[],
                             ViInt32* BinDataActualSize) {
  return Forward(Vi, &ITevraMathHistogram::HistogramData, Out{MinValue, "MinValue"},
                 Out{MaxValue, "MaxValue"}, Out{Count, "Count"},
                 OutArray{BinDataArraySize, BinData, BinDataActualSize, "BinDataActualSize"});
}
ViStatus Tevra_LimitsClear(ViSession Vi) { return Forward(Vi, &ITevraMathLimits::Clear); }

// ---- Status

ViStatus Tevra_StatusPreset(ViSession Vi) { return Forward(Vi, &ITevraStatus::Preset); }
ViStatus Tevra_StatusClear(ViSession Vi) { return Forward(Vi, &ITevraStatus::Clear); }
ViStatus Tevra_StatusConfigureServiceRequest(ViSession Vi, ViInt32 Reason) {
  return Forward(Vi, &ITevraStatus::ConfigureServiceRequest, Reason);
}
ViStatus Tevra_StatusGetRegister(ViSession Vi, ViInt32 Register, ViInt32 SubRegister,
                                 ViInt32* Val) {
  return Forward(Vi, &ITevraStatus::get_Register, Register, SubRegister, Out{Val, "Val"});
}
ViStatus Tevra_StatusSetRegister(ViSession Vi, ViInt32 Register, ViInt32 SubRegister, ViInt32 Val) {
  return Forward(Vi, &ITevraStatus::put_Register, Register, SubRegister, Val);
}

// ---- Memory

ViStatus Tevra_MemorySaveState(ViSession Vi, ViInt32 Memorylocation) {
  return Forward(Vi, &ITevraMemory::SaveState, Memorylocation);
}
ViStatus Tevra_MemoryRecallState(ViSession Vi, ViInt32 Memorylocation) {
  return Forward(Vi, &ITevraMemory::RecallState, Memorylocation);
}
ViStatus Tevra_MemoryDelete(ViSession Vi, ViInt32 Memorylocation) {
  return Forward(Vi, &ITevraMemory::Delete, Memorylocation);
}
ViStatus Tevra_MemoryDeleteAll(ViSession Vi) { return Forward(Vi, &ITevraMemory::DeleteAll); }
ViStatus Tevra_MemoryIsValidState(ViSession Vi, ViInt32 Memorylocation, ViBoolean* IsValidState) {
  return Forward(Vi, &ITevraMemory::get_IsValidState, Memorylocation,
                 Out{IsValidState, "IsValidState"});
}
ViStatus Tevra_MemoryGetCatalog(ViSession Vi, ViConstString Folder, ViReal64* MemoryUsed,
                                ViReal64* MemoryFree, ViInt32 BufferSize, ViChar FileList[],
                                ViReal64* FileCount) {
  return Forward(Vi, &ITevraMemory::GetCatalog, Folder, Out{MemoryUsed, "MemoryUsed"},
                 Out{MemoryFree, "MemoryFree"}, OutJoined{BufferSize, FileList},
                 Out{FileCount, "FileCount"});
}
ViStatus Tevra_MemoryDataCatalog(ViSession Vi, ViConstString Folder, ViReal64* MemoryUsed,
                                 ViReal64* MemoryFree, ViInt32 BufferSize, ViChar FileList[],
                                 ViReal64* FileCount) {
  return Forward(Vi, &ITevraMemory::DataCatalog, Folder, Out{MemoryUsed, "MemoryUsed"},
                 Out{MemoryFree, "MemoryFree"}, OutJoined{BufferSize, FileList},
                 Out{FileCount, "FileCount"});
}
ViStatus Tevra_MemoryCatalogState(ViSession Vi, ViConstString Folder, ViReal64* MemoryUsed,
                                  ViReal64* MemoryFree, ViInt32 BufferSize, ViChar FileList[],
                                  ViReal64* FileCount) {
  return Forward(Vi, &ITevraMemory::CatalogState, Folder, Out{MemoryUsed, "MemoryUsed"},
                 Out{MemoryFree, "MemoryFree"}, OutJoined{BufferSize, FileList},
                 Out{FileCount, "FileCount"});
}
ViStatus Tevra_MemoryCopy(ViSession Vi, ViConstString SourceFile, ViConstString DestinationFile) {
  return Forward(Vi, &ITevraMemory::Copy, SourceFile, DestinationFile);
}
ViStatus Tevra_MemoryLoadState(ViSession Vi, ViConstString File) {
  return Forward(Vi, &ITevraMemory::LoadState, File);
}
ViStatus Tevra_MemoryStoreState(ViSession Vi, ViConstString StateLocation) {
  return Forward(Vi, &ITevraMemory::StoreState, StateLocation);
}
ViStatus Tevra_MemoryStoreData(ViSession Vi, ViConstString File) {
  return Forward(Vi, &ITevraMemory::StoreData, File);
}
ViStatus Tevra_MemoryCreateFolder(ViSession Vi, ViConstString FolderLocation) {
  return Forward(Vi, &ITevraMemory::CreateFolder, FolderLocation);
}
ViStatus Tevra_MemoryDeleteFolder(ViSession Vi, ViConstString FolderLocation) {
  return Forward(Vi, &ITevraMemory::DeleteFolder, FolderLocation);
}
ViStatus Tevra_MemoryRemoveFile(ViSession Vi, ViConstString FileLocation) {
  return Forward(Vi, &ITevraMemory::RemoveFile, FileLocation);
}
ViStatus Tevra_MemoryUploadFile(ViSession Vi, ViConstString SourceFile,
                                ViConstString DestinationFile) {
  return Forward(Vi, &ITevraMemory::UploadFile, SourceFile, DestinationFile);
}
ViStatus Tevra_MemoryDownloadFile(ViSession Vi, ViConstString Source, ViConstString Destination) {
  return Forward(Vi, &ITevraMemory::DownloadFile, Source, Destination);
}
ViStatus Tevra_MemoryGetState(ViSession Vi, ViInt32 DataArraySize, ViByte Data[],
                              ViInt32* DataActualSize) {
  return Forward(Vi, &ITevraMemory::GetState,
                 OutArray{DataArraySize, Data, DataActualSize, "DataActualSize"});
}
ViStatus Tevra_MemoryPutState(ViSession Vi, ViInt32 DataSize, const ViByte Data[]) {
  return Forward(Vi, &ITevraMemory::PutState, InArray{DataSize, Data, "Data"});
}

// ---- Calibration

ViStatus Tevra_CalibrationCalibrate(ViSession Vi, ViInt16* Val) {
  return Forward(Vi, &ITevraCalibration::Calibrate, Out{Val, "Val"});
}
ViStatus Tevra_CalibrationAutoCalibrate(ViSession Vi, ViInt16* Val) {
  return Forward(Vi, &ITevraCalibration::AutoCalibrate, Out{Val, "Val"});
}
ViStatus Tevra_CalibrationSecurityEnabled(ViSession Vi, ViBoolean SecurityState,
                                          ViConstString SecurityCode) {
  return Forward(Vi, &ITevraCalibration::SecurityEnabled, SecurityState, SecurityCode);
}
ViStatus Tevra_CalibrationMicroWaveChannelLevelCalibration(ViSession Vi, ViReal64 Frequency,
                                                           ViReal64 Power, ViInt32* Val) {
  return Forward(Vi, &ITevraCalibration::MicroWaveChannelLevelCalibration, Frequency, Power,
                 Out{Val, "Val"});
}

// ---- Display and reference oscillator

ViStatus Tevra_DisplayClear(ViSession Vi) { return Forward(Vi, &ITevraDisplay::Clear); }
ViStatus Tevra_DisplayGetScreenImage(ViSession Vi, ViInt32 ValArraySize, ViByte Val[],
                                     ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraDisplay::GetScreenImage,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}
ViStatus Tevra_ReferenceOscillatorExternalFrequencyCheck(ViSession Vi) {
  return Forward(Vi, &ITevraReferenceOscillator::ExternalFrequencyCheck);
}

// ---- System

ViStatus Tevra_SystemWaitForOperationComplete(ViSession Vi, ViInt32 MaxTimeMilliseconds) {
  return Forward(Vi, &ITevraSystem::WaitForOperationComplete, MaxTimeMilliseconds);
}
ViStatus Tevra_SystemBeep(ViSession Vi) { return Forward(Vi, &ITevraSystem::Beep); }
ViStatus Tevra_SystemRequestLock(ViSession Vi, ViBoolean* Val) {
  return Forward(Vi, &ITevraSystem::RequestLock, Out{Val, "Val"});
}
ViStatus Tevra_SystemReleaseLock(ViSession Vi) { return Forward(Vi, &ITevraSystem::ReleaseLock); }
ViStatus Tevra_SystemReset(ViSession Vi) { return Forward(Vi, &ITevraSystem::Reset); }
}
