// Names and descriptions of the VISA codes the binding returns, for error messages.
#include <cstdio>

#include "visa/VisaTypes.h"

namespace tevra::visa {
namespace {

struct StatusText {
  ViStatus status;
  std::string_view name;
  std::string_view description;
};

constexpr StatusText kStatusTexts[] = {
    {kViSuccess, "VI_SUCCESS", "Operation completed successfully."},
    {kViSuccessEventEn, "VI_SUCCESS_EVENT_EN", "The event was already enabled."},
    {kViSuccessEventDis, "VI_SUCCESS_EVENT_DIS", "The event was already disabled."},
    {kViSuccessTermChar, "VI_SUCCESS_TERM_CHAR", "The read ended on the termination character."},
    {kViSuccessMaxCnt, "VI_SUCCESS_MAX_CNT", "The read stopped at the requested byte count."},
    {kViSuccessNestedShared, "VI_SUCCESS_NESTED_SHARED",
     "The shared lock was granted; the session already held one."},
    {kViSuccessNestedExclusive, "VI_SUCCESS_NESTED_EXCLUSIVE",
     "The exclusive lock was granted; the session already held one."},
    {kViErrorSystemError, "VI_ERROR_SYSTEM_ERROR", "Unknown system error."},
    {kViErrorInvObject, "VI_ERROR_INV_OBJECT", "The session or object reference is invalid."},
    {kViErrorRsrcLocked, "VI_ERROR_RSRC_LOCKED",
     "The resource is locked by another session for this kind of access."},
    {kViErrorInvExpr, "VI_ERROR_INV_EXPR", "The search expression is not valid."},
    {kViErrorRsrcNfound, "VI_ERROR_RSRC_NFOUND", "The resource could not be found."},
    {kViErrorInvRsrcName, "VI_ERROR_INV_RSRC_NAME", "The resource string is not valid."},
    {kViErrorInvAccMode, "VI_ERROR_INV_ACC_MODE", "Invalid access mode."},
    {kViErrorTmo, "VI_ERROR_TMO", "Timeout expired before the operation completed."},
    {kViErrorNsupAttr, "VI_ERROR_NSUP_ATTR", "The attribute is not supported by this resource."},
    {kViErrorNsupAttrState, "VI_ERROR_NSUP_ATTR_STATE",
     "The attribute value is not supported by this resource."},
    {kViErrorAttrReadonly, "VI_ERROR_ATTR_READONLY", "The attribute is read-only."},
    {kViErrorInvLockType, "VI_ERROR_INV_LOCK_TYPE", "The lock type is not valid."},
    {kViErrorInvAccessKey, "VI_ERROR_INV_ACCESS_KEY",
     "The access key does not match the key of the shared lock."},
    {kViErrorInvEvent, "VI_ERROR_INV_EVENT",
     "The event type is not valid or not supported by this resource."},
    {kViErrorInvMech, "VI_ERROR_INV_MECH", "The event mechanism is not valid."},
    {kViErrorNenabled, "VI_ERROR_NENABLED",
     "The session is not enabled for the event by the mechanism given."},
    {kViErrorAbort, "VI_ERROR_ABORT", "The transfer was aborted."},
    {kViErrorAlloc, "VI_ERROR_ALLOC", "Not enough memory for the operation."},
    {kViErrorIo, "VI_ERROR_IO", "An error occurred during the transfer."},
    {kViErrorNsupOper, "VI_ERROR_NSUP_OPER", "The operation is not supported by this resource."},
    {kViErrorRsrcBusy, "VI_ERROR_RSRC_BUSY", "The resource is busy."},
    {kViErrorInvParameter, "VI_ERROR_INV_PARAMETER", "A parameter is not valid."},
    {kViErrorInvProt, "VI_ERROR_INV_PROT", "The protocol is not valid."},
    {kViErrorSesnNlocked, "VI_ERROR_SESN_NLOCKED", "The session does not hold a lock."},
    {kViErrorLibraryNfound, "VI_ERROR_LIBRARY_NFOUND", "A required library was not found."},
    {kViErrorConnLost, "VI_ERROR_CONN_LOST", "The connection to the instrument was lost."},
    {kViErrorNpermission, "VI_ERROR_NPERMISSION", "Access to the resource is denied to this user."},
};

const StatusText* FindStatus(ViStatus status) {
  for (const StatusText& text : kStatusTexts) {
    if (text.status == status) return &text;
  }
  return nullptr;
}

}  // namespace

std::string StatusName(ViStatus status) {
  if (const StatusText* text = FindStatus(status)) return std::string(text->name);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(status));
  return hex;
}

std::string_view StatusDescription(ViStatus status) {
  const StatusText* text = FindStatus(status);
  return text ? text->description : std::string_view{};
}

}  // namespace tevra::visa
