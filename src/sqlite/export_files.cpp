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
  std::vector<std::string> stored;
  std::map<std::string, const std::string*> given;
  for (const std::string& path : paths) {
    stored.push_back(ArchivePath(path));
    const auto [earlier, added] = given.emplace(stored.back(), &path);
    if (!added) {
      throw std::invalid_argument(*earlier->second + " and " + path +
                                  " name the same document; give each document once");
    }
  }
  SqliteArchive archive(database, options.encoding);
  std::vector<std::optional<Document>> documents(paths.size());
  std::vector<sqlite::DocumentCells> cells(paths.size());
  // Documents stored wait here for the next reading job to free them, off
  // the writer's thread.
  std::mutex storedMutex;
  std::vector<Document> storedDocuments;
  const unsigned jobs = std::max(1u, options.jobs);
  // No more documents are held than are read at once.
  RunOrderedJobs(
      paths.size(), jobs, jobs,
      [&](std::size_t i) {
        {
          std::vector<Document> freed;
          const std::lock_guard<std::mutex> lock(storedMutex);
          freed.swap(storedDocuments);
        }
        documents[i].emplace(Document::Open(paths[i]));
        cells[i] = sqlite::ReadCellsAhead(*documents[i]);
      },
      [&](std::size_t i, std::exception_ptr failure) {
        if (!failure) {
          try {
            archive.writer_->Add(stored[i], *documents[i], &cells[i]);
          } catch (...) {
            failure = std::current_exception();
          }
        }
        if (documents[i]) {
          const std::lock_guard<std::mutex> lock(storedMutex);
          storedDocuments.push_back(std::move(*documents[i]));
        }
        documents[i].reset();
        sqlite::DocumentCells().swap(cells[i]);
        if (options.report) options.report(i, failure);
      });
  return archive.added();
}

}  // namespace kuv
