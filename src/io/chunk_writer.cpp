#include "io/chunk_writer.h"

#include <utility>

namespace kuv::io {

ChunkWriter::ChunkWriter(platform::OutputFile& file, std::size_t chunkSize)
    : file_(file), chunkSize_(chunkSize), thread_([this] { Run(); }) {}

ChunkWriter::~ChunkWriter() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ChunkWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return busy_ || stopping_; });
    if (!busy_) return;
    const char* data = inFlight_.get();
    const std::size_t size = inFlightSize_;
    const bool skip = failed_;
    lock.unlock();
    // The chunk is ours alone while busy_: the filling side waits for it.
    const bool written = skip || file_.Write(data, size);
    lock.lock();
    if (!written) failed_ = true;
    busy_ = false;
    changed_.notify_all();
  }
}

std::unique_ptr<char[]> ChunkWriter::Hand(std::unique_ptr<char[]> chunk, std::size_t size) {
  std::unique_ptr<char[]> next;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !busy_; });
    next = std::move(inFlight_);
    inFlight_ = std::move(chunk);
    inFlightSize_ = size;
    busy_ = true;
  }
  changed_.notify_all();
  // The first hand-over has no written chunk to give back yet.
  return next != nullptr ? std::move(next) : std::unique_ptr<char[]>(new char[chunkSize_]);
}

bool ChunkWriter::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return !busy_; });
  return !failed_;
}

}  // namespace kuv::io
