/// @file
/// The class-compliant enumerations of the channel and arm interfaces, with the values this
/// driver's class-compliant layer passes to and from its own enumerations.
#ifndef TEVRA_IVICOUNTER_CHANNEL_ARM_ENUMS_H
#define TEVRA_IVICOUNTER_CHANNEL_ARM_ENUMS_H

enum IviCounterCouplingEnum : int {
  IviCounterCouplingAC = 1,
  IviCounterCouplingDC = 2,
};

enum IviCounterSlopeEnum : int {
  IviCounterSlopeNegative = 0,
  IviCounterSlopePositive = 1,
};

enum IviCounterArmTypeEnum : int {
  IviCounterArmTypeImmediate = 1,
  IviCounterArmTypeExternal = 2,
};

#endif
