#include "io/error_info.h"

#include "resources/messages.h"

namespace kuv {

void CErrorInfo::SetError(int errorCode, const char* detail) {
  if (errorCode == kNoError) return;
  code = errorCode;
  message = "Error ";
  if (const char* text = resources::MessageText(errorCode)) {
    message += ": ";
    message += text;
  }
  if (detail != nullptr) {
    message += ": ";
    message += detail;
  }
}

}  // namespace kuv
