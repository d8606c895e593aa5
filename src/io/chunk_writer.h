// Writes chunks of a document to its file on a thread of its own, so that
// the kernel's copy of one chunk overlaps formatting the next: a save of a
// large document costs the greater of the two rather than their sum. One
// chunk is in flight at a time, so memory grows by one chunk.
#ifndef KUV_IO_CHUNK_WRITER_H_
#define KUV_IO_CHUNK_WRITER_H_

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace kuv::io {

class ChunkWriter {
 public:
  ChunkWriter(platform::OutputFile& file, std::size_t chunkSize);
  // Waits for the chunk in flight.
  ~ChunkWriter();
  ChunkWriter(const ChunkWriter&) = delete;
  ChunkWriter& operator=(const ChunkWriter&) = delete;

  // Waits for the chunk handed before, starts writing size bytes of chunk,
  // and gives back a buffer of chunkSize bytes to fill next.
  std::unique_ptr<char[]> Hand(std::unique_ptr<char[]> chunk, std::size_t size);
  // Waits until every chunk handed is written. False once a write failed;
  // after a failure nothing more is written.
  bool Wait();

 private:
  void Run();

  platform::OutputFile& file_;
  std::size_t chunkSize_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::unique_ptr<char[]> inFlight_;  // the chunk being written, while busy_
  std::size_t inFlightSize_ = 0;
  bool busy_ = false;
  bool failed_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kuv::io

#endif  // KUV_IO_CHUNK_WRITER_H_
