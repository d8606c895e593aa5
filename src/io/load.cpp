#include "io/load.h"

#include <new>
#include <optional>

#include "io/read_back_check.h"
#include "io/reader.h"
#include "io/writer.h"

namespace kuv::io {

std::unique_ptr<platform::InputFile> LoadStore(platform::Platform& platform, CObjectStore& store,
                                               CErrorInfo& error, const std::string& path,
                                               platform::Sharing sharing) {
  store.Clear();
  std::unique_ptr<platform::InputFile> file = platform.OpenInput(path, sharing);
  if (!file) {
    error.SetError(kErrorOpenInput, path.c_str());
    return nullptr;
  }
  ReadDocument(store, error, *file);
  return file;
}

// A save writes a file of its own, which may take its chunks from a thread
// of the writer's. The Windows library keeps to the calling thread, so that
// it needs no threads runtime beside it.
#ifdef _WIN32
constexpr OutputSink::Writes kSaveWrites = OutputSink::Writes::kInline;
#else
constexpr OutputSink::Writes kSaveWrites = OutputSink::Writes::kInBackground;
#endif

bool SaveStore(platform::Platform& platform, const CObjectStore& store, const std::string& path,
               std::string* refusal) {
  try {
    if (const std::optional<ReadBackProblem> problem = FindReadBackProblem(store)) {
      *refusal = problem->Describe();
      return false;
    }
    std::unique_ptr<platform::OutputFile> output = platform.BeginReplace(path);
    return output != nullptr &&
           WriteDocument(store, *output, platform::kTextLineEnd, kSaveWrites) && output->Commit();
  } catch (const std::bad_alloc&) {
    return false;  // the unfinished replacement is discarded; the caller reports it
  }
}

}  // namespace kuv::io
