// Many documents into an archive: read on several threads, stored by one
// writer in the order given.
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

#include "kuv/ordered_jobs.hpp"
#include "kuv/sqlite.hpp"
#include "sqlite/archive_writer.h"

namespace kuv {

std::string ArchivePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  return absolute.lexically_normal().string();
}

std::size_t ExportToSqlite(const std::vector<std::string>& paths, const std::string& database,
                           const SqliteExportOptions& options) {
  std::vector<std::string> archivePaths;
  std::map<std::string, const std::string*> given;
  for (const std::string& path : paths) {
    archivePaths.push_back(ArchivePath(path));
    const auto [earlier, added] = given.emplace(archivePaths.back(), &path);
    if (!added) {
      throw std::invalid_argument(*earlier->second + " and " + path +
                                  " name the same document; give each document once");
    }
  }
  SqliteArchive archive(database, options.encoding);
  // A document read, with its cells read ahead of the writer.
  struct Read {
    Document document;
    sqlite::DocumentCells cells;
  };
  std::vector<std::optional<Read>> reads(paths.size());
  // What was stored waits here for the next reading job to free it, off
  // the writer's thread.
  std::mutex storedMutex;
  std::vector<Read> stored;
  const unsigned jobs = std::max(1u, options.jobs);
  // No more documents are held than are read at once.
  RunOrderedJobs(
      paths.size(), jobs, jobs,
      [&](std::size_t i) {
        {
          std::vector<Read> freed;
          const std::lock_guard<std::mutex> lock(storedMutex);
          freed.swap(stored);
        }
        Document document = Document::Open(paths[i]);
        sqlite::DocumentCells cells = sqlite::ReadCellsAhead(document);
        reads[i].emplace(Read{std::move(document), std::move(cells)});
      },
      [&](std::size_t i, std::exception_ptr failure) {
        if (!failure) {
          try {
            archive.writer_->Add(archivePaths[i], reads[i]->document, &reads[i]->cells);
          } catch (...) {
            failure = std::current_exception();
          }
        }
        if (reads[i]) {
          const std::lock_guard<std::mutex> lock(storedMutex);
          stored.push_back(std::move(*reads[i]));
        }
        reads[i].reset();
        if (options.report) options.report(i, failure);
      });
  return archive.added();
}

}  // namespace kuv
