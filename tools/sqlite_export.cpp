// kuv export --format sqlite: documents into an archive through the
// library's kuv::sqlite, one transaction per document; one that fails is
// reported and the others are still stored.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "export_routes.h"
#include "failure_report.h"
#include "input_source.h"
#include "interrupt_cleanup.h"
#include "progress_bar.h"
#include "template_registration.h"
#include "tool_error.h"

#ifdef KUV_TOOL_SQLITE
#include "kuv/sqlite.hpp"
#endif

namespace kuv::tool {

namespace {

void CheckSqliteOptions(const ExportOptions& options) {
  if (options.output.empty() || options.output == "-") {
    throw UsageError("--format sqlite writes into a database: name it with -o FILE.db");
  }
  if (!options.object.empty() || !options.table.empty() || options.units != "none" ||
      options.combine) {
    throw UsageError("--object, --table, --units and --combine apply to --format csv only");
  }
  for (const std::string& file : options.files) {
    if (IsStandardStream(file)) {
      throw UsageError(
          "a document from standard input has no path to store it under; save it "
          "to a file first");
    }
  }
  std::error_code error;
  if (std::filesystem::is_directory(options.output, error)) {
    throw UsageError(options.output + " is a folder; name the database file with -o FILE.db");
  }
}

}  // namespace

#ifdef KUV_TOOL_SQLITE

int ExportSqlite(const ExportOptions& options) {
  CheckSqliteOptions(options);
  EnsureTemplateRegistered(std::cerr);

  // A database this run makes is removed if the run is interrupted before
  // any document is in it; afterwards each transaction keeps it whole.
  std::error_code error;
  std::unique_ptr<RegisteredTemporary> database, journal;
  if (!std::filesystem::exists(options.output, error)) {
    const InterruptsHeld held;
    database = std::make_unique<RegisteredTemporary>(options.output);
    journal = std::make_unique<RegisteredTemporary>(options.output + "-journal");
  }

  ProgressBar progress("storing", static_cast<long long>(options.files.size()));
  int status = kExitSuccess;
  SqliteExportOptions library;
  library.jobs = options.jobs;
  library.encoding = options.encoding;
  library.report = [&](std::size_t i, const std::exception_ptr& failure) {
    if (failure) {
      progress.Clear();
      status = std::max<int>(status, SayFailure(std::cerr, options.files[i], failure));
    } else if (database) {
      database->Release();
      journal->Release();
    }
    progress.Update(static_cast<long long>(i) + 1);
  };
  try {
    ExportToSqlite(options.files, options.output, library);
  } catch (const std::invalid_argument& twice) {
    throw UsageError(twice.what());
  } catch (const SqliteError& failure) {
    throw DataError(failure.what());
  }
  return status;
}

#else

int ExportSqlite(const ExportOptions& options) {
  CheckSqliteOptions(options);
  throw UsageError(
      "this kuv was built without SQLite (libsqlite3-dev); --format sqlite is not "
      "available");
}

#endif

}  // namespace kuv::tool
