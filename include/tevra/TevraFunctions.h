/** @file
   The function family of the C interface, one group per section. Part of <tevra/Tevra.h>, which
   includes it inside its extern "C" block; do not include it by itself.

   Each function calls one method of the driver's object interface with its arguments in the
   same order, outputs last. Channel numbers are 1-based; enumeration arguments take the values
   of the object interface's enumerations. Scalar outputs are written only when the call
   succeeded. Text outputs follow the string-buffer rule of <tevra/Tevra.h>. An array output
   (ArraySize, Array[], ActualSize) receives at most ArraySize elements from the start and
   ActualSize the number written; a null array gives 0x80000000. */
#ifndef TEVRA_FUNCTIONS_H
#define TEVRA_FUNCTIONS_H

#ifndef TEVRA_H
#error "include <tevra/Tevra.h> instead"
#endif

/* ---- Utility: reset, self-test, error queue, revisions, attribute cache, coercions ---------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_reset(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ResetWithDefaults(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_Disable(ViSession Vi);
/* The test result and its message, into a buffer of 256 characters. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_self_test(ViSession Vi, ViInt32* TestResult,
                                              ViChar TestMessage[256]);
/* The oldest entry of the instrument's error queue, its message into 256 characters. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_error_query(ViSession Vi, ViInt32* ErrorCode,
                                                ViChar ErrorMessage[256]);
/* The driver's revision and the instrument's firmware revision, 256 characters each. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_revision_query(ViSession Vi, ViChar DriverRev[256],
                                                   ViChar InstrRev[256]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_InvalidateAllAttributes(ViSession Vi);
/* The oldest coercion record; an empty text when there is none. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetNextCoercionRecord(ViSession Vi, ViInt32 BufferSize,
                                                          ViChar Record[]);

/* ---- Measurement function selection ------------------------------------------------------- */

/* The instrument's configuration text ("CONF?"). */
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureMain(ViSession Vi, ViInt32 BufferSize, ViChar Val[]);
/* The selected function's word. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetFunction(ViSession Vi, ViInt32 BufferSize, ViChar Val[]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetFunction(ViSession Vi, ViInt32 MeasurementFunction);

/* ---- Class-compliant measurement functions (channels by name) ----------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureFrequency(ViSession Vi, ViConstString Channel,
                                                       ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureFrequencyManual(ViSession Vi, ViConstString Channel,
                                                             ViReal64 Estimate,
                                                             ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureFrequencyWithApertureTime(ViSession Vi,
                                                                       ViConstString Channel,
                                                                       ViReal64 Estimate,
                                                                       ViReal64 Resolution,
                                                                       ViReal64 ApertureTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigurePeriod(ViSession Vi, ViConstString Channel,
                                                    ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigurePeriodWithApertureTime(ViSession Vi,
                                                                    ViConstString Channel,
                                                                    ViReal64 Estimate,
                                                                    ViReal64 Resolution,
                                                                    ViReal64 ApertureTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigurePulseWidth(ViSession Vi, ViConstString Channel,
                                                        ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureDutyCycle(ViSession Vi, ViConstString Channel,
                                                       ViReal64 FrequencyEstimate,
                                                       ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureEdgeTime(ViSession Vi, ViConstString Channel,
                                                      ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureEdgeTimeReferenceLevels(ViSession Vi,
                                                                     ViConstString Channel,
                                                                     ViInt32 ReferenceType,
                                                                     ViReal64 HighReference,
                                                                     ViReal64 LowReference);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureFrequencyRatio(ViSession Vi,
                                                            ViConstString NumeratorChannel,
                                                            ViConstString DenominatorChannel,
                                                            ViReal64 NumeratorFrequencyEstimate,
                                                            ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureTimeInterval(ViSession Vi, ViConstString StartChannel,
                                                          ViConstString StopChannel,
                                                          ViReal64 Estimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureTimeIntervalStopHoldoff(ViSession Vi,
                                                                     ViReal64 StopHoldoff);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigurePhase(ViSession Vi, ViConstString InputChannel,
                                                   ViConstString ReferenceChannel,
                                                   ViReal64 FrequencyEstimate, ViReal64 Resolution);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureContinuousTotalize(ViSession Vi,
                                                                ViConstString Channel);
/* GateSlope: 0 negative, 1 positive. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureGatedTotalize(ViSession Vi, ViConstString Channel,
                                                           ViConstString GateSource,
                                                           ViInt32 GateSlope);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureTimedTotalize(ViSession Vi, ViConstString Channel,
                                                           ViReal64 GateTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StartContinuousTotalize(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StopContinuousTotalize(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FetchContinuousTotalizeCount(ViSession Vi, ViReal64* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureVoltage(ViSession Vi, ViConstString Channel,
                                                     ViInt32 Function, ViReal64 Estimate,
                                                     ViReal64 Resolution);

/* ---- Class-compliant measurement ---------------------------------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_Initiate(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_Abort(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_Fetch(ViSession Vi, ViReal64* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_Read(ViSession Vi, ViInt32 MaxTimeMilliseconds, ViReal64* Val);

/* ---- Class-compliant arming --------------------------------------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureStartArm(ViSession Vi, ViInt32 Type);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureStopArm(ViSession Vi, ViInt32 Type);
/* Source: "Channel1", "Channel2" or "BNC". */
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureExternalStartArm(ViSession Vi, ViConstString Source,
                                                              ViReal64 Level, ViInt32 Slope,
                                                              ViReal64 Delay);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureExternalStopArm(ViSession Vi, ViConstString Source,
                                                             ViReal64 Level, ViInt32 Slope,
                                                             ViReal64 Holdoff);

/* ---- Channels: a channel selector names one or more channels, each configured in turn ------ */

TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureChannel(ViSession Vi, ViConstString ChannelName,
                                                     ViReal64 Impedance, ViInt32 Coupling,
                                                     ViReal64 Attenuation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureChannelLevel(ViSession Vi, ViConstString ChannelName,
                                                          ViReal64 TriggerLevel,
                                                          ViReal64 Hysteresis);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureChannelFilterEnabled(ViSession Vi,
                                                                  ViConstString ChannelName,
                                                                  ViBoolean FilterEnabled);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ConfigureChannelSlope(ViSession Vi, ViConstString ChannelName,
                                                          ViInt32 Slope);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ChannelResetProtection(ViSession Vi, ViConstString ChannelName);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ChannelAutoLevelOnce(ViSession Vi, ViConstString ChannelName);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ChannelAutoscale(ViSession Vi);
/* The name of the channel at a 1-based index. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetChannelName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize,
                                                   ViChar Name[]);

/* ---- Arming of each measurement family, and the instrument's external arming -------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmSetSource(ViSession Vi, ViInt32 ArmMeasurementType,
                                                 ViInt32 ArmSource);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmGetSource(ViSession Vi, ViInt32 ArmMeasurementType,
                                                 ViInt32* ArmSource);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmSetPolarity(ViSession Vi, ViInt32 ArmMeasurementType,
                                                   ViInt32 Polarity);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmGetPolarity(ViSession Vi, ViInt32 ArmMeasurementType,
                                                   ViInt32* Polarity);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmSetTime(ViSession Vi, ViInt32 ArmMeasurementType,
                                               ViReal64 Time);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ArmGetTime(ViSession Vi, ViInt32 ArmMeasurementType,
                                               ViReal64* Time);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StartExternalConfigure(ViSession Vi, ViInt32 Source,
                                                           ViReal64 Voltage, ViInt32 Slope,
                                                           ViReal64 DelayTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StopExternalConfigure(ViSession Vi, ViInt32 Source,
                                                          ViReal64 Voltage, ViInt32 Slope,
                                                          ViReal64 HoldOffTime);

/* ---- Instrument-specific measurement functions (channels by number) ----------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyConfigure(ViSession Vi, ViReal64 Estimate,
                                                       ViReal64 Resolution, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyConfigureAuto(ViSession Vi, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyConfigureWithAperture(ViSession Vi, ViInt32 Channel,
                                                                   ViReal64 ApertureTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyMeasure(ViSession Vi, ViReal64 Estimate,
                                                     ViReal64 Resolution, ViInt32 Channel,
                                                     ViReal64* Frequency);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PeriodConfigure(ViSession Vi, ViReal64 Estimate,
                                                    ViReal64 Resolution, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PeriodConfigureAuto(ViSession Vi, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PeriodConfigureWithAperture(ViSession Vi, ViInt32 Channel,
                                                                ViReal64 ApertureTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PeriodMeasure(ViSession Vi, ViReal64 Estimate,
                                                  ViReal64 Resolution, ViInt32 Channel,
                                                  ViReal64* Measurement);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PulseWidthConfigure(ViSession Vi, ViInt32 Channel,
                                                        ViReal64 Reference, ViInt32 ReferenceType,
                                                        ViInt32 Polarity);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PulseWidthConfigureAuto(ViSession Vi, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PulseWidthMeasure(ViSession Vi, ViInt32 Channel,
                                                      ViReal64 Reference, ViInt32 ReferenceType,
                                                      ViInt32 Polarity, ViReal64* Measurement);
TEVRA_C_API ViStatus _VI_FUNC Tevra_DutyCycleConfigure(ViSession Vi, ViInt32 Channel,
                                                       ViReal64 Reference, ViInt32 ReferenceType,
                                                       ViInt32 Polarity);
TEVRA_C_API ViStatus _VI_FUNC Tevra_DutyCycleConfigureAuto(ViSession Vi, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_DutyCycleMeasure(ViSession Vi, ViInt32 Channel,
                                                     ViReal64 Reference, ViInt32 ReferenceType,
                                                     ViInt32 Polarity, ViReal64* Measurement);
TEVRA_C_API ViStatus _VI_FUNC Tevra_EdgeTimeConfigureAuto(ViSession Vi, ViInt32 Channel,
                                                          ViInt32 EdgeType);
TEVRA_C_API ViStatus _VI_FUNC Tevra_EdgeTimeConfigure(ViSession Vi, ViInt32 Channel,
                                                      ViInt32 ReferenceType, ViReal64 HighReference,
                                                      ViReal64 LowReference, ViInt32 EdgeType);
TEVRA_C_API ViStatus _VI_FUNC Tevra_EdgeTimeMeasure(ViSession Vi, ViInt32 Channel,
                                                    ViInt32 ReferenceType, ViReal64 HighReference,
                                                    ViReal64 LowReference, ViInt32 EdgeType,
                                                    ViReal64* Value);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyRatioConfigure(ViSession Vi, ViReal64 Estimate,
                                                            ViReal64 Resolution,
                                                            ViInt32 NumeratorChannel,
                                                            ViInt32 DenominatorChannel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyRatioConfigureAuto(ViSession Vi,
                                                                ViInt32 NumeratorChannel,
                                                                ViInt32 DenominatorChannel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_FrequencyRatioMeasure(ViSession Vi, ViReal64 Estimate,
                                                          ViReal64 Resolution,
                                                          ViInt32 NumeratorChannel,
                                                          ViInt32 DenominatorChannel,
                                                          ViReal64* Ratio);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TimeIntervalConfigure(ViSession Vi, ViInt32 StartChannel,
                                                          ViInt32 StopChannel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TimeIntervalConfigureSingleChannel(ViSession Vi,
                                                                       ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TimeIntervalMeasure(ViSession Vi, ViInt32 StartChannel,
                                                        ViInt32 StopChannel, ViReal64* Data);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PhaseConfigure(ViSession Vi, ViInt32 ReferenceChannel,
                                                   ViInt32 InputChannel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_PhaseMeasure(ViSession Vi, ViInt32 ReferenceChannel,
                                                 ViInt32 InputChannel, ViReal64* Measurement);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TotalizeContinuousConfigure(ViSession Vi, ViInt32 Channel);
/* The running count of a continuous totalize. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_ReadCount(ViSession Vi, ViReal64* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TotalizeGatedConfigure(ViSession Vi, ViInt32 Channel,
                                                           ViInt32 GateSource, ViInt32 GateSlope,
                                                           ViReal64 GateTime);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TotalizeTimedConfigure(ViSession Vi, ViReal64 GateTime,
                                                           ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TotalizeTimedMeasure(ViSession Vi, ViReal64 GateTime,
                                                         ViInt32 Channel, ViReal64* Data);
/* Selects the voltage that Tevra_Read and Tevra_Fetch measure. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_VoltageConfigure(ViSession Vi, ViInt32 Channel,
                                                     ViInt32 VoltageFunction);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SinglePeriodConfigure(ViSession Vi, ViInt32 ChannelNumber);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SinglePeriodMeasure(ViSession Vi, ViInt32 ChannelNumber,
                                                        ViReal64* Measurement);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TimeStampConfigure(ViSession Vi, ViInt32 Count,
                                                       ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_TimeStampMeasure(ViSession Vi, ViInt32 Count, ViInt32 Channel,
                                                     ViInt32 ValArraySize, ViReal64 Val[],
                                                     ViInt32* ValActualSize);

/* ---- Pulsed microwave measurements on the microwave input --------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstConfigure(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstMeasure(ViSession Vi, ViReal64* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstConfigureWidth(ViSession Vi, ViInt32 PulseWidthType);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstMeasureWidth(ViSession Vi, ViInt32 PulseWidthType,
                                                      ViReal64* Value);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstConfigurePRF(ViSession Vi, ViReal64 ExpectedFrequency,
                                                      ViReal64 Resolution, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstConfigurePRI(ViSession Vi, ViReal64 ExpectedFrequency,
                                                      ViReal64 Resolution, ViInt32 Channel);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstMeasurePRF(ViSession Vi, ViReal64 ExpectedFrequency,
                                                    ViReal64 Resolution, ViInt32 Channel,
                                                    ViReal64* Data);
TEVRA_C_API ViStatus _VI_FUNC Tevra_BurstMeasurePRI(ViSession Vi, ViReal64 ExpectedInterval,
                                                    ViReal64 Resolution, ViInt32 Channel,
                                                    ViReal64* Data);

/* ---- Readings: counted and destructive reads, the last reading, the readings held --------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_MeasurementQueryLast(ViSession Vi, ViReal64* LastMeasurement,
                                                         ViInt32 BufferSize,
                                                         ViChar MeasurementUnit[]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MeasurementReadingCount(ViSession Vi, ViInt32* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MeasurementDestructiveReadCounted(ViSession Vi,
                                                                      ViInt32 NumReadings,
                                                                      ViInt32 ValArraySize,
                                                                      ViReal64 Val[],
                                                                      ViInt32* ValActualSize);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MeasurementDestructiveReadUpToCount(
    ViSession Vi, ViInt32 MaxCount, ViInt32 ValArraySize, ViReal64 Val[], ViInt32* ValActualSize);

/* ---- Trigger ------------------------------------------------------------------------------ */

TEVRA_C_API ViStatus _VI_FUNC Tevra_TriggerSendSoftwareTrigger(ViSession Vi);

/* ---- Math: statistics, histogram and limits ----------------------------------------------- */

/* Average, standard deviation, minimum and maximum from one reply. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_AverageAll(ViSession Vi, ViReal64* Average,
                                               ViReal64* StandardDeviation, ViReal64* Minimum,
                                               ViReal64* Maximum);
TEVRA_C_API ViStatus _VI_FUNC Tevra_HistogramClear(ViSession Vi);
/* The bin counts. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_HistogramReadData(ViSession Vi, ViInt32 ValArraySize,
                                                      ViReal64 Val[], ViInt32* ValActualSize);
/* The range, the number of readings and the bin counts from one reply. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_HistogramData(ViSession Vi, ViReal64* MinValue,
                                                  ViReal64* MaxValue, ViReal64* Count,
                                                  ViInt32 BinDataArraySize, ViReal64 BinData[],
                                                  ViInt32* BinDataActualSize);
TEVRA_C_API ViStatus _VI_FUNC Tevra_LimitsClear(ViSession Vi);

/* ---- Status registers and service requests ------------------------------------------------ */

TEVRA_C_API ViStatus _VI_FUNC Tevra_StatusPreset(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StatusClear(ViSession Vi);
/* Reason: a combination of the service-request reason bits. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_StatusConfigureServiceRequest(ViSession Vi, ViInt32 Reason);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StatusGetRegister(ViSession Vi, ViInt32 Register,
                                                      ViInt32 SubRegister, ViInt32* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_StatusSetRegister(ViSession Vi, ViInt32 Register,
                                                      ViInt32 SubRegister, ViInt32 Val);

/* ---- Memory: state registers, the file system, the learn string --------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_MemorySaveState(ViSession Vi, ViInt32 Memorylocation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryRecallState(ViSession Vi, ViInt32 Memorylocation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryDelete(ViSession Vi, ViInt32 Memorylocation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryDeleteAll(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryIsValidState(ViSession Vi, ViInt32 Memorylocation,
                                                       ViBoolean* IsValidState);
/* A folder's listing: bytes used and free, the "name,type,size" entries joined with commas,
   and their number. GetCatalog lists every file, DataCatalog the data files, CatalogState the
   state files. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryGetCatalog(ViSession Vi, ViConstString Folder,
                                                     ViReal64* MemoryUsed, ViReal64* MemoryFree,
                                                     ViInt32 BufferSize, ViChar FileList[],
                                                     ViReal64* FileCount);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryDataCatalog(ViSession Vi, ViConstString Folder,
                                                      ViReal64* MemoryUsed, ViReal64* MemoryFree,
                                                      ViInt32 BufferSize, ViChar FileList[],
                                                      ViReal64* FileCount);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryCatalogState(ViSession Vi, ViConstString Folder,
                                                       ViReal64* MemoryUsed, ViReal64* MemoryFree,
                                                       ViInt32 BufferSize, ViChar FileList[],
                                                       ViReal64* FileCount);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryCopy(ViSession Vi, ViConstString SourceFile,
                                               ViConstString DestinationFile);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryLoadState(ViSession Vi, ViConstString File);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryStoreState(ViSession Vi, ViConstString StateLocation);
/* Stores the readings memory in the file. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryStoreData(ViSession Vi, ViConstString File);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryCreateFolder(ViSession Vi, ViConstString FolderLocation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryDeleteFolder(ViSession Vi, ViConstString FolderLocation);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryRemoveFile(ViSession Vi, ViConstString FileLocation);
/* The instrument's file SourceFile into the local file DestinationFile. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryUploadFile(ViSession Vi, ViConstString SourceFile,
                                                     ViConstString DestinationFile);
/* The local file Source into the instrument's file Destination. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryDownloadFile(ViSession Vi, ViConstString Source,
                                                       ViConstString Destination);
/* The learn string of the present settings, and its writing back. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryGetState(ViSession Vi, ViInt32 DataArraySize,
                                                   ViByte Data[], ViInt32* DataActualSize);
TEVRA_C_API ViStatus _VI_FUNC Tevra_MemoryPutState(ViSession Vi, ViInt32 DataSize,
                                                   const ViByte Data[]);

/* ---- Calibration -------------------------------------------------------------------------- */

/* Val is 0 when the calibration passed. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_CalibrationCalibrate(ViSession Vi, ViInt16* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_CalibrationAutoCalibrate(ViSession Vi, ViInt16* Val);
/* Locks (VI_TRUE) or unlocks calibration with the security code. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_CalibrationSecurityEnabled(ViSession Vi,
                                                               ViBoolean SecurityState,
                                                               ViConstString SecurityCode);
/* Frequency in Hz, Power in dBm. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_CalibrationMicroWaveChannelLevelCalibration(ViSession Vi,
                                                                                ViReal64 Frequency,
                                                                                ViReal64 Power,
                                                                                ViInt32* Val);

/* ---- Display and reference oscillator ----------------------------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_DisplayClear(ViSession Vi);
/* The screen as a bitmap file's bytes. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_DisplayGetScreenImage(ViSession Vi, ViInt32 ValArraySize,
                                                          ViByte Val[], ViInt32* ValActualSize);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ReferenceOscillatorExternalFrequencyCheck(ViSession Vi);

/* ---- System: waiting, beeper, front-panel lock, the instrument's reset -------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemWaitForOperationComplete(ViSession Vi,
                                                                   ViInt32 MaxTimeMilliseconds);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemBeep(ViSession Vi);
/* Val: whether the lock was granted. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemRequestLock(ViSession Vi, ViBoolean* Val);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemReleaseLock(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemReset(ViSession Vi);

/* ---- Pass-through I/O: nothing is formatted and the instrument's status is not checked ----- */

/* A device clear of the session. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemClearIO(ViSession Vi);
/* One response, without its read terminator. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemReadString(ViSession Vi, ViInt32 BufferSize,
                                                     ViChar Val[]);
/* One message, with END after it. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemWriteString(ViSession Vi, ViConstString Command);
/* At most Count bytes of one response; the rest of the response is dropped. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemReadBytes(ViSession Vi, ViInt32 Count,
                                                    ViInt32 ValArraySize, ViByte Val[],
                                                    ViInt32* ValActualSize);
/* The bytes as one message, with END after the last. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemWriteBytes(ViSession Vi, ViInt32 DataSize,
                                                     const ViByte Data[]);
/* One read of at most Count bytes into Val; what the instrument sends beyond them stays for the
   next read. ReturnCount receives the number of bytes read. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_viRead(ViSession Vi, ViInt32 Count, ViByte Val[],
                                           ViInt32* ReturnCount);
/* Count bytes as one message, with END after the last; ReturnCount receives how many were
   sent. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_viWrite(ViSession Vi, ViInt32 Count, const ViByte Data[],
                                            ViInt32* ReturnCount);
/* Through the session's formatted I/O object (not while simulating): one response without its
   read terminator, and one message with END after it. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemIoRead(ViSession Vi, ViInt32 BufferSize, ViChar String[]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SystemIoWrite(ViSession Vi, ViConstString Data);

#endif
