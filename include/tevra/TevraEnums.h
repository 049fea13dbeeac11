/// @file
/// The enumerations of the object interfaces, with their fixed values. Each is an int underneath,
/// so that any value a caller passes is a value of the type (and can be refused cleanly).
#ifndef TEVRA_ENUMS_H
#define TEVRA_ENUMS_H

enum TevraMeasurementFunctionEnum : int {
  TevraMeasurementFunctionFrequency2 = 0,
  TevraMeasurementFunctionFrequency1 = 1,
  TevraMeasurementFunctionFrequencyRatio1and3 = 2,
  TevraMeasurementFunctionFrequencyRatio1and2 = 8,
  TevraMeasurementFunctionTimeInterval1and2 = 9,
  TevraMeasurementFunctionPhase1and2 = 10,
  TevraMeasurementFunctionTotalize1 = 11,
  TevraMeasurementFunctionTotalize2 = 12,
  TevraMeasurementFunctionTimeStamp1 = 13,
  TevraMeasurementFunctionFrequency3 = 14,
  TevraMeasurementFunctionFrequencyRatio2and1 = 17,
  TevraMeasurementFunctionFrequencyRatio2and3 = 19,
  TevraMeasurementFunctionFrequencyRatio3and2 = 20,
  TevraMeasurementFunctionFrequencyRatio3and1 = 21,
  TevraMeasurementFunctionPeriod1 = 22,
  TevraMeasurementFunctionPeriod2 = 23,
  TevraMeasurementFunctionPeriod3 = 24,
  TevraMeasurementFunctionFallTime1 = 25,
  TevraMeasurementFunctionFallTime2 = 26,
  TevraMeasurementFunctionNegativeDutyCycle1 = 28,
  TevraMeasurementFunctionNegativeDutyCycle2 = 29,
  TevraMeasurementFunctionPositiveDutyCycle1 = 30,
  TevraMeasurementFunctionPositiveDutyCycle2 = 31,
  TevraMeasurementFunctionNegativeWidth1 = 32,
  TevraMeasurementFunctionNegativeWidth2 = 33,
  TevraMeasurementFunctionPositiveWidth1 = 34,
  TevraMeasurementFunctionPositiveWidth2 = 35,
  TevraMeasurementFunctionPhase2and1 = 36,
  TevraMeasurementFunctionRiseTime1 = 37,
  TevraMeasurementFunctionRiseTime2 = 38,
  TevraMeasurementFunctionSinglePeriod1 = 39,
  TevraMeasurementFunctionSinglePeriod2 = 40,
  TevraMeasurementFunctionTimeInterval2and1 = 41,
  TevraMeasurementFunctionTimeInterval1 = 42,
  TevraMeasurementFunctionTimeInterval2 = 43,
  TevraMeasurementFunctionTimeStamp2 = 44,
  TevraMeasurementFunctionTimeStamp3 = 45,
  TevraMeasurementFunctionBurst = 46,
  TevraMeasurementFunctionPRF = 47,
  TevraMeasurementFunctionPRI = 48,
  TevraMeasurementFunctionNegativeBurstWidth = 49,
  TevraMeasurementFunctionPositiveBurstWidth = 50,
};

enum TevraReferenceTypeEnum : int {
  TevraReferenceTypeVoltage = 1,
  TevraReferenceTypePercent = 2,
};

enum TevraPolarityEnum : int {
  TevraPolarityPositive = 0,
  TevraPolarityNegative = 1,
};

enum TevraEdgeTypeEnum : int {
  TevraEdgeTypeFalling = 0,
  TevraEdgeTypeRising = 1,
};

enum TevraSlopeEnum : int {
  TevraSlopeNegative = 0,
  TevraSlopePositive = 1,
};

enum TevraArmSourceEnum : int {
  TevraArmSourceChannel1 = 0,
  TevraArmSourceChannel2 = 1,
  TevraArmSourceExternal = 2,
  TevraArmSourceAdvanced = 3,
  TevraArmSourceTime = 4,
  TevraArmSourceImmediate = 5,
};

enum TevraVoltageFunctionEnum : int {
  TevraVoltageFunctionDC = 0,
  TevraVoltageFunctionMaximum = 1,
  TevraVoltageFunctionMinimum = 2,
  TevraVoltageFunctionPeakToPeak = 3,
};

enum TevraPulseWidthTypeEnum : int {
  TevraPulseWidthTypePositive = 0,
  TevraPulseWidthTypeNegative = 1,
};

enum TevraFrequencyMeasurementModeEnum : int {
  TevraFrequencyMeasurementModeAuto = 0,
  TevraFrequencyMeasurementModeReciprocal = 1,
  TevraFrequencyMeasurementModeContinuous = 2,
};

enum TevraArmMeasurementTypeEnum : int {
  TevraArmMeasurementTypeFrequency = 0,
  TevraArmMeasurementTypeTimeInterval = 1,
  TevraArmMeasurementTypeTotalize = 2,
};

enum TevraArmTypeEnum : int {
  TevraArmTypeImmediate = 1,
  TevraArmTypeExternal = 2,
};

enum TevraExternalSourceEnum : int {
  TevraExternalSourceBNC = 0,
  TevraExternalSourceChannel1 = 1,
  TevraExternalSourceChannel2 = 2,
};

enum TevraDelayHoldOffSourceEnum : int {
  TevraDelayHoldOffSourceImmediate = 0,
  TevraDelayHoldOffSourceTime = 1,
  TevraDelayHoldOffSourceEvents = 2,
};

enum TevraTriggerSourceEnum : int {
  TevraTriggerSourceImmediate = 0,
  TevraTriggerSourceExternal = 1,
  TevraTriggerSourceBus = 2,
};

enum TevraSmoothingResponseEnum : int {
  TevraSmoothingResponseSlow = 0,
  TevraSmoothingResponseMedium = 1,
  TevraSmoothingResponseFast = 2,
};

enum TevraScalingFunctionEnum : int {
  TevraScalingFunctionNull = 0,
  TevraScalingFunctionPercent = 1,
  TevraScalingFunctionPPM = 2,
  TevraScalingFunctionPPB = 3,
  TevraScalingFunctionScale = 4,
};

enum TevraStatusRegisterEnum : int {
  TevraStatusRegisterStatusByte = 0,
  TevraStatusRegisterStandardEvent = 1,
  TevraStatusRegisterOperation = 2,
  TevraStatusRegisterQuestionable = 3,
};

enum TevraStatusSubRegisterEnum : int {
  TevraStatusSubRegisterCondition = 0,
  TevraStatusSubRegisterNegativeTransition = 1,
  TevraStatusSubRegisterPositiveTransition = 2,
  TevraStatusSubRegisterEvent = 3,
  TevraStatusSubRegisterEnable = 4,
};

/// The events a service request is asked for, one bit each; a reason combines them.
enum TevraStatusSRQReasonEnum : int {
  TevraStatusSRQReasonStbMAV = 1 << 0,
  TevraStatusSRQReasonStbErrorQueue = 1 << 1,
  TevraStatusSRQReasonEsrOPC = 1 << 2,
  TevraStatusSRQReasonEsrQueryError = 1 << 3,
  TevraStatusSRQReasonEsrDeviceError = 1 << 4,
  TevraStatusSRQReasonEsrExecutionError = 1 << 5,
  TevraStatusSRQReasonEsrCommandError = 1 << 6,
  TevraStatusSRQReasonEsrPowerOn = 1 << 7,
  TevraStatusSRQReasonQuesVoltage = 1 << 8,
  TevraStatusSRQReasonQuesTime = 1 << 9,
  TevraStatusSRQReasonQuesFrequency = 1 << 10,
  TevraStatusSRQReasonQuesPhase = 1 << 11,
  TevraStatusSRQReasonQuesCalCorrupt = 1 << 12,
  TevraStatusSRQReasonQuesTotalize = 1 << 13,
  TevraStatusSRQReasonQuesTimebase = 1 << 14,
  TevraStatusSRQReasonQuesLowerLimit = 1 << 15,
  TevraStatusSRQReasonQuesUpperLimit = 1 << 16,
  TevraStatusSRQReasonQuesReadingMemory = 1 << 17,
  TevraStatusSRQReasonOperCalibrating = 1 << 18,
  TevraStatusSRQReasonOperRunningOnBattery = 1 << 19,
  TevraStatusSRQReasonOperBatteryCritical = 1 << 20,
  TevraStatusSRQReasonOperMeasuring = 1 << 21,
  TevraStatusSRQReasonOperWaitingForTrig = 1 << 22,
  TevraStatusSRQReasonOperInternalReference = 1 << 23,
  TevraStatusSRQReasonOperInstrumentLocked = 1 << 24,
  TevraStatusSRQReasonOperConfigChg = 1 << 25,
  TevraStatusSRQReasonOperRdgMemThreshold = 1 << 26,
  TevraStatusSRQReasonGlobalError = 1 << 27,
};

enum TevraImpedanceEnum : int {
  TevraImpedance1E6 = 0,
  TevraImpedance50 = 1,
};

enum TevraCouplingEnum : int {
  TevraCouplingAC = 1,
  TevraCouplingDC = 2,
};

enum TevraAttenuationFactorEnum : int {
  TevraAttenuationFactor1 = 0,
  TevraAttenuationFactor10 = 1,
};

enum TevraProbeFactorEnum : int {
  TevraProbeFactor1x = 0,
  TevraProbeFactor10x = 1,
};

enum TevraAutoLevelFrequencyEnum : int {
  TevraAutoLevelFrequency50 = 0,
  TevraAutoLevelFrequency10E3 = 1,
};

enum TevraMemoryLocationEnum : int {
  TevraMemoryLocation0 = 0,
  TevraMemoryLocation1 = 1,
  TevraMemoryLocation2 = 2,
  TevraMemoryLocation3 = 3,
  TevraMemoryLocation4 = 4,
};

enum TevraReferenceOscillatorSourceEnum : int {
  TevraReferenceOscillatorSourceInternal = 0,
  TevraReferenceOscillatorSourceExternal = 1,
};

enum TevraExternalFrequencyEnum : int {
  TevraExternalFrequency1E6 = 0,
  TevraExternalFrequency5E6 = 1,
  TevraExternalFrequency10E6 = 2,
};

enum TevraOutSignalPolarityEnum : int {
  TevraOutSignalPolarityNormal = 0,
  TevraOutSignalPolarityInverted = 1,
};

enum TevraDisplayModeEnum : int {
  TevraDisplayModeNumeric = 0,
  TevraDisplayModeHistogram = 1,
  TevraDisplayModeTchart = 2,
};

enum TevraBurstLevelEnum : int {
  TevraBurstLevelLevel1 = 0,
  TevraBurstLevelLevel2 = 1,
};

enum TevraTimeStampRateEnum : int {
  TevraTimeStampRate10E3 = 0,
  TevraTimeStampRate100E3 = 1,
  TevraTimeStampRate800E3 = 2,
  TevraTimeStampRate1E6 = 3,
};

enum TevraPhaseRangeEnum : int {
  TevraPhaseRangeAuto = 0,
  TevraPhaseRangePositive = 1,
  TevraPhaseRangeCentered = 2,
};

#endif  // TEVRA_ENUMS_H
