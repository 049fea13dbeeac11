/* The attribute identifiers of the C interface: the first argument after the repeated-capability
   name of Tevra_GetAttribute* and Tevra_SetAttribute*. Valid C89, C99 and C++. */
#ifndef TEVRA_ATTRIBUTES_H
#define TEVRA_ATTRIBUTES_H

/* Inherent IVI attributes. */
#define TEVRA_ATTR_RANGE_CHECK                                   1050002
#define TEVRA_ATTR_QUERY_INSTRUMENT_STATUS                       1050003
#define TEVRA_ATTR_CACHE                                         1050004
#define TEVRA_ATTR_SIMULATE                                      1050005
#define TEVRA_ATTR_RECORD_COERCIONS                              1050006
#define TEVRA_ATTR_DRIVER_SETUP                                  1050007
#define TEVRA_ATTR_INTERCHANGE_CHECK                             1050021
#define TEVRA_ATTR_CHANNEL_COUNT                                 1050203
#define TEVRA_ATTR_SPECIFIC_DRIVER_PREFIX                        1050302
#define TEVRA_ATTR_LOGICAL_NAME                                  1050305
#define TEVRA_ATTR_SUPPORTED_INSTRUMENT_MODELS                   1050327
#define TEVRA_ATTR_GROUP_CAPABILITIES                            1050401
#define TEVRA_ATTR_INSTRUMENT_FIRMWARE_REVISION                  1050510
#define TEVRA_ATTR_SPECIFIC_DRIVER_VENDOR                        1050513
#define TEVRA_ATTR_SPECIFIC_DRIVER_DESCRIPTION                   1050514
#define TEVRA_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MAJOR_VERSION      1050515
#define TEVRA_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MINOR_VERSION      1050516
#define TEVRA_ATTR_SPECIFIC_DRIVER_REVISION                      1050551

/* Instrument-specific attributes. */
#define TEVRA_ATTR_SYSTEM_DATE                                   1150001
#define TEVRA_ATTR_SYSTEM_SERIAL_NUMBER                          1150002
#define TEVRA_ATTR_SYSTEM_TIME                                   1150003
#define TEVRA_ATTR_SYSTEM_TIMEOUT_MILLISECONDS                   1150004
#define TEVRA_ATTR_SYSTEM_TRACE_ENABLED                          1150005
#define TEVRA_ATTR_STATUS_SERIAL_POLL                            1150006
#define TEVRA_ATTR_DISPLAY_ENABLED                               1150007
#define TEVRA_ATTR_DISPLAY_TEXT                                  1150008
#define TEVRA_ATTR_INPUT_NOISE_REJECT_ENABLED                    1150009
#define TEVRA_ATTR_INPUT_PROBE_FACTOR                            1150010
#define TEVRA_ATTR_REFERENCE_OSCILLATOR_SOURCE                   1150011
#define TEVRA_ATTR_REFERENCE_OSCILLATOR_AUTO_SOURCE_ENABLED      1150012
#define TEVRA_ATTR_REFERENCE_OSCILLATOR_POWER_STANDBY_ENABLED    1150013
#define TEVRA_ATTR_REFERENCE_OSCILLATOR_EXTERNAL_FREQUENCY       1150014
#define TEVRA_ATTR_OUTPUT_POLARITY                               1150016
#define TEVRA_ATTR_OUTPUT_ENABLED                                1150017
#define TEVRA_ATTR_TRIGGER_COUNT                                 1150018
#define TEVRA_ATTR_TRIGGER_DELAY                                 1150019
#define TEVRA_ATTR_TRIGGER_SLOPE                                 1150020
#define TEVRA_ATTR_TRIGGER_SOURCE                                1150021
#define TEVRA_ATTR_TRIGGER_SAMPLE_COUNT                          1150023
#define TEVRA_ATTR_TIME_STAMP_RATE                               1150024
#define TEVRA_ATTR_BURST_LEVEL                                   1150025
#define TEVRA_ATTR_BURST_GATE_TIME                               1150026
#define TEVRA_ATTR_BURST_AUTO_GATING_ENABLED                     1150027
#define TEVRA_ATTR_BURST_DELAY                                   1150028
#define TEVRA_ATTR_BURST_NARROW_PULSE_ENABLED                    1150029
#define TEVRA_ATTR_MATH_ENABLED                                  1150030
#define TEVRA_ATTR_MATH_HISTOGRAM_DATA_COUNT                     1150032
#define TEVRA_ATTR_MATH_HISTOGRAM_DATA_POINTS                    1150034
#define TEVRA_ATTR_MATH_HISTOGRAM_ENABLED                        1150035
#define TEVRA_ATTR_MATH_HISTOGRAM_LOWER_RANGE                    1150036
#define TEVRA_ATTR_MATH_HISTOGRAM_AUTO_RANGE_ENABLED             1150038
#define TEVRA_ATTR_MATH_HISTOGRAM_AUTO_RANGE_COUNT               1150039
#define TEVRA_ATTR_MATH_LIMITS_LOWER                             1150042
#define TEVRA_ATTR_MATH_LIMITS_UPPER                             1150043
#define TEVRA_ATTR_MATH_LIMITS_ENABLED                           1150044
#define TEVRA_ATTR_MATH_HISTOGRAM_UPPER_RANGE                    1150070
#define TEVRA_ATTR_INPUT_VOLTAGE2                                1150090
#define TEVRA_ATTR_INPUT_AUTO_LEVEL_ENABLED                      1150091
#define TEVRA_ATTR_INPUT_IS_PROTECTION_ENABLE                    1150092
#define TEVRA_ATTR_INPUT_PERCENTAGE1                             1150093
#define TEVRA_ATTR_INPUT_PERCENTAGE2                             1150094
#define TEVRA_ATTR_INPUT_STRENGTH                                1150095
#define TEVRA_ATTR_DISPLAY_MODE                                  1150097
#define TEVRA_ATTR_DISPLAY_DIGIT_COUNT                           1150098
#define TEVRA_ATTR_DISPLAY_AUTO_DIGIT_COUNT_ENABLED              1150099
#define TEVRA_ATTR_SYSTEM_BEEPER_ENABLED                         1150103
#define TEVRA_ATTR_SYSTEM_OPTION                                 1150104
#define TEVRA_ATTR_SYSTEM_LOCK_NAME                              1150105
#define TEVRA_ATTR_SYSTEM_LOCK_OWNER                             1150106
#define TEVRA_ATTR_SYSTEM_SCPI_VERSION                           1150107
#define TEVRA_ATTR_INPUT_VOLTAGE1                                1150110
#define TEVRA_ATTR_CHANNELS_AUTO_LEVEL_FREQUENCY                 1150111
#define TEVRA_ATTR_INPUT_SLOPE1                                  1150112
#define TEVRA_ATTR_INPUT_SLOPE2                                  1150113
#define TEVRA_ATTR_INPUT_IMPEDANCE                               1150114
#define TEVRA_ATTR_INPUT_RANGE                                   1150115
#define TEVRA_ATTR_SYSTEM_IO_TIMEOUT                             1150116

/* IviCounter class attributes. */
#define TEVRA_ATTR_FUNCTION                                      1250003
#define TEVRA_ATTR_CHANNEL_IMPEDANCE                             1250004
#define TEVRA_ATTR_CHANNEL_COUPLING                              1250005
#define TEVRA_ATTR_CHANNEL_ATTENUATION                           1250006
#define TEVRA_ATTR_CHANNEL_LEVEL                                 1250007
#define TEVRA_ATTR_CHANNEL_HYSTERESIS                            1250008
#define TEVRA_ATTR_CHANNEL_SLOPE                                 1250009
#define TEVRA_ATTR_CHANNEL_FILTER_ENABLED                        1250010
#define TEVRA_ATTR_ARM_START_TYPE                                1250053
#define TEVRA_ATTR_ARM_START_EXTERNAL_SOURCE                     1250054
#define TEVRA_ATTR_ARM_START_EXTERNAL_LEVEL                      1250055
#define TEVRA_ATTR_ARM_START_EXTERNAL_SLOPE                      1250056
#define TEVRA_ATTR_ARM_START_EXTERNAL_DELAY                      1250057
#define TEVRA_ATTR_ARM_STOP_TYPE                                 1250058
#define TEVRA_ATTR_ARM_STOP_EXTERNAL_SOURCE                      1250059
#define TEVRA_ATTR_ARM_STOP_EXTERNAL_LEVEL                       1250060
#define TEVRA_ATTR_ARM_STOP_EXTERNAL_SLOPE                       1250061
#define TEVRA_ATTR_ARM_STOP_EXTERNAL_DELAY                       1250062

#endif
