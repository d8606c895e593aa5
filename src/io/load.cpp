#include "io/load.h"

#include <exception>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "io/read_back_check.h"
#include "io/reader.h"
#include "io/writer.h"

namespace kuv::io {

std::unique_ptr<platform::InputFile> LoadStore(platform::Platform& platform, CObjectStore& store,
                                               CErrorInfo& error, const std::string& path,
                                               platform::Sharing sharing,
                                               std::vector<ReadNote>* notes,
                                               platform::FileFailure* whyNotOpened) {
  store.Clear();
  std::unique_ptr<platform::InputFile> file = platform.OpenInput(path, sharing, whyNotOpened);
  if (!file) {
    error.SetError(kErrorOpenInput, path.c_str());
    return nullptr;
  }
  ReadDocument(store, error, *file, notes);
  return file;
}

// A save writes a file of its own, which may take its chunks from a thread
// of the writer's, and check the store on another while it writes. The
// Windows library keeps to the calling thread, so that it needs no threads
// runtime beside it, and checks before it writes.
#ifdef _WIN32
constexpr OutputSink::Writes kSaveWrites = OutputSink::Writes::kInline;
constexpr bool kCheckBesideWriting = false;
#else
constexpr OutputSink::Writes kSaveWrites = OutputSink::Writes::kInBackground;
constexpr bool kCheckBesideWriting = true;
#endif

namespace {

// The check of a store, on a thread of its own when it can have one.
class StoreCheck {
 public:
  StoreCheck(const CObjectStore& store, bool beside) : store_(store) {
    if (beside) {
      try {
        thread_ = std::thread([this] { Run(); });
        return;
      } catch (const std::system_error&) {
        // No thread to be had: the check runs here instead.
      }
    }
    Run();
  }
  ~StoreCheck() {
    if (thread_.joinable()) thread_.join();
  }
  StoreCheck(const StoreCheck&) = delete;
  StoreCheck& operator=(const StoreCheck&) = delete;

  // The check's answer, once it has one; rethrows what it threw.
  const std::optional<ReadBackProblem>& Problem() {
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    return problem_;
  }

 private:
  void Run() {
    try {
      problem_ = FindReadBackProblem(store_);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  const CObjectStore& store_;
  std::optional<ReadBackProblem> problem_;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace

bool SaveStore(platform::Platform& platform, const CObjectStore& store, const std::string& path,
               std::string* refusal) {
  try {
    // Nothing takes the target's place before the check has passed: a
    // refused store leaves the file as it was.
    StoreCheck check(store, kCheckBesideWriting);
    if (!kCheckBesideWriting && check.Problem()) {
      *refusal = Describe(*check.Problem());
      return false;
    }
    std::unique_ptr<platform::OutputFile> output = platform.BeginReplace(path);
    const bool written =
        output != nullptr && WriteDocument(store, *output, platform::kTextLineEnd, kSaveWrites);
    // The bytes go to the disk while the check finishes.
    const bool durable = written && output->MakeDurable();
    if (check.Problem()) {
      *refusal = Describe(*check.Problem());
      return false;  // the replacement is discarded
    }
    return durable && output->Commit();
  } catch (const std::bad_alloc&) {
    return false;  // the unfinished replacement is discarded; the caller reports it
  }
}

}  // namespace kuv::io
