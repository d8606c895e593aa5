// The tables of two matched business objects, compared row by row.
#ifndef KUV_DOCUMENT_DIFF_TABLES_H_
#define KUV_DOCUMENT_DIFF_TABLES_H_

#include <functional>

#include "kuv/diff.hpp"

namespace kuv::diff_detail {

// Reports the differences of the objects' tables, each a copy of
// prototype (which names the objects) with the rest filled in.
void DiffTables(const BusinessObject& before, const BusinessObject& after,
                const DiffOptions& options, const Difference& prototype,
                const std::function<void(const Difference&)>& report);

}  // namespace kuv::diff_detail

#endif  // KUV_DOCUMENT_DIFF_TABLES_H_
