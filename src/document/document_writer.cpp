// Documents written a business object at a time, through the writer that
// Document::Write uses for a whole store.
#include <optional>

#include "document/memory_files.h"
#include "io/error_info.h"
#include "io/read_back_check.h"
#include "io/writer.h"
#include "kuv/document.hpp"

namespace kuv {

class DocumentWriter::Output {
 public:
  explicit Output(std::ostream& out) : file(out), writer(file, platform::kTextLineEnd) {}
  document::StreamOutput file;
  io::ObjectStreamWriter writer;
};

DocumentWriter::DocumentWriter(std::ostream& out) : output_(std::make_unique<Output>(out)) {}

DocumentWriter::~DocumentWriter() = default;

void DocumentWriter::Write(const BusinessObject& object) {
  const CBusinessObject& node = *object.live();
  // Refused before any of it is written.
  if (const std::optional<io::ReadBackProblem> problem = io::FindReadBackProblem(node)) {
    CErrorInfo error;
    error.SetError(kErrorOpenForSave, io::Describe(*problem).c_str());
    throw Error(static_cast<ErrorCode>(error.code), error.message);
  }
  output_->writer.Write(node);
}

void DocumentWriter::Finish() {
  if (!output_->writer.Finish() || !output_->file.Commit()) {
    CErrorInfo error;
    error.SetError(kErrorOpenForSave, nullptr);
    throw Error(static_cast<ErrorCode>(error.code), error.message);
  }
}

}  // namespace kuv
