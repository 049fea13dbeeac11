/** @file
   Tevra: the C interface (IVI-C) of the driver for the QX1100, QX1200 and QX1300 universal
   frequency counters.

   Every function returns a ViStatus: 0 for success, negative for an error, positive for a
   warning (or, for a function that fills a caller's text buffer, the size it needs when the
   text did not fit). After a failure, Tevra_GetError gives the status and the text of the last
   error of the session (session 0: of the calling thread).

   Conventions: inputs first, outputs last; a text result comes back as (ViInt32 BufferSize,
   ViChar Buffer[]) under the IVI string-buffer rule; an array result as (ViInt32 ArraySize,
   ViReal64 Array[], ViInt32 *ActualSize); channels are selected by name ("Channel1",
   "Channel1,Channel2", "Channel1-Channel2").

   Valid C89, C99 and C++. */
#ifndef TEVRA_H
#define TEVRA_H

/* The VISA scalar types, with the sizes of a vendor visatype.h on LP64 systems. A visatype.h
   included before this header is used as it is. */
#if !defined(__VISATYPE_HEADER__) && !defined(TEVRA_VISATYPES_DEFINED)
#define TEVRA_VISATYPES_DEFINED
typedef unsigned int ViUInt32;
typedef signed int ViInt32;
typedef unsigned short ViUInt16;
typedef signed short ViInt16;
typedef unsigned char ViUInt8;
typedef signed char ViInt8;
typedef char ViChar;
typedef unsigned char ViByte;
typedef double ViReal64;
typedef float ViReal32;
typedef ViUInt16 ViBoolean;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViUInt32 ViAttr;
typedef ViChar* ViString;
typedef const ViChar* ViConstString;
typedef ViString ViRsrc;
typedef ViConstString ViConstRsrc;
typedef ViBoolean* ViPBoolean;
typedef ViInt32* ViPInt32;
typedef ViReal64* ViPReal64;
typedef ViSession* ViPSession;
typedef ViStatus* ViPStatus;
#define VI_NULL 0
#define VI_TRUE ((ViBoolean)1)
#define VI_FALSE ((ViBoolean)0)
#define VI_SUCCESS 0L
#define _VI_FUNC
#endif

#include "tevra/TevraAttributes.h"
#include "tevra/TevraCValues.h"

#if defined(TEVRA_BUILDING_LIBRARY) && defined(__GNUC__)
#define TEVRA_C_API __attribute__((visibility("default")))
#else
#define TEVRA_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Sessions ---------------------------------------------------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_init(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset,
                                         ViSession* Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_InitWithOptions(ViRsrc ResourceName, ViBoolean IdQuery,
                                                    ViBoolean Reset, ViConstString OptionString,
                                                    ViSession* Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_close(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetError(ViSession Vi, ViStatus* ErrorCode, ViInt32 BufferSize,
                                             ViChar Description[]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_ClearError(ViSession Vi);
TEVRA_C_API ViStatus _VI_FUNC Tevra_LockSession(ViSession Vi, ViBoolean* CallerHasLock);
TEVRA_C_API ViStatus _VI_FUNC Tevra_UnlockSession(ViSession Vi, ViBoolean* CallerHasLock);
/* The C message of a status into a buffer of 256 characters; empty for an unknown status. */
TEVRA_C_API ViStatus _VI_FUNC Tevra_error_message(ViSession Vi, ViStatus ErrorCode,
                                                  ViChar ErrorMessage[256]);

/* ---- Attributes by identifier (TEVRA_ATTR_*) ---------------------------------------------- */

TEVRA_C_API ViStatus _VI_FUNC Tevra_GetAttributeViInt32(ViSession Vi,
                                                        ViConstString RepCapIdentifier,
                                                        ViAttr AttributeID,
                                                        ViInt32* AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetAttributeViReal64(ViSession Vi,
                                                         ViConstString RepCapIdentifier,
                                                         ViAttr AttributeID,
                                                         ViReal64* AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetAttributeViBoolean(ViSession Vi,
                                                          ViConstString RepCapIdentifier,
                                                          ViAttr AttributeID,
                                                          ViBoolean* AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetAttributeViSession(ViSession Vi,
                                                          ViConstString RepCapIdentifier,
                                                          ViAttr AttributeID,
                                                          ViSession* AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_GetAttributeViString(ViSession Vi,
                                                         ViConstString RepCapIdentifier,
                                                         ViAttr AttributeID, ViInt32 BufferSize,
                                                         ViChar AttributeValue[]);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetAttributeViInt32(ViSession Vi,
                                                        ViConstString RepCapIdentifier,
                                                        ViAttr AttributeID, ViInt32 AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetAttributeViReal64(ViSession Vi,
                                                         ViConstString RepCapIdentifier,
                                                         ViAttr AttributeID,
                                                         ViReal64 AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetAttributeViBoolean(ViSession Vi,
                                                          ViConstString RepCapIdentifier,
                                                          ViAttr AttributeID,
                                                          ViBoolean AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetAttributeViSession(ViSession Vi,
                                                          ViConstString RepCapIdentifier,
                                                          ViAttr AttributeID,
                                                          ViSession AttributeValue);
TEVRA_C_API ViStatus _VI_FUNC Tevra_SetAttributeViString(ViSession Vi,
                                                         ViConstString RepCapIdentifier,
                                                         ViAttr AttributeID,
                                                         ViConstString AttributeValue);

/* ---- Functions ---------------------------------------------------------------------------- */

#include "tevra/TevraFunctions.h"

#ifdef __cplusplus
}
#endif

#endif
