// The outcome of one KuvAttach, KuvOpen or KuvSave call: the code of the
// error recorded last (0 for none) and the message the caller receives.
#ifndef KUV_IO_ERROR_INFO_H_
#define KUV_IO_ERROR_INFO_H_

#include <string>

namespace kuv {

enum ErrorNumber : int {
  kNoError = 0,
  kErrorOpenInput = 1,
  kErrorCorrupted = 2,
  kErrorNotKuv = 3,
  kErrorInvalidToken = 4,
  kErrorOpenForSave = 5,
  kErrorBusinessObject = 6,
  kErrorTemplateVersion = 7,
};

class CErrorInfo {
 public:
  int code = kNoError;
  std::string message;

  // Records an error, replacing any recorded before. Code 0 does nothing.
  // The message is "Error ", then ": " and the table text when the code
  // has one, then ": " and the detail when one is given.
  void SetError(int errorCode, const char* detail);
  std::string GetMessage() const { return message; }
};

}  // namespace kuv

#endif  // KUV_IO_ERROR_INFO_H_
