// kuv: the same job for many inputs (documents, mostly) on several
// threads, with the results reported in the order of the inputs, each as
// soon as it and every one before it are done, whatever order they finish
// in: the kuv tool's batches and the Python package's reading of many
// files run this way.
#ifndef KUV_ORDERED_JOBS_HPP_
#define KUV_ORDERED_JOBS_HPP_

#include <cstddef>
#include <exception>
#include <functional>

#include "kuv/values.hpp"  // KUV_VALUES_API

namespace kuv {

// The number of threads a batch uses unless told otherwise: one per core.
KUV_VALUES_API unsigned DefaultJobCount();

// Calls work(i) for every i below count, on up to jobs threads, and
// report(i, failure) on the calling thread in the order of i: failure holds
// what work(i) threw, or is null. Whatever work(i) stored for i is visible
// to report(i). A job that fails does not stop the others. When report
// throws, no further job starts; those running finish, then the exception
// goes on.
KUV_VALUES_API void RunOrderedJobs(
    std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
    const std::function<void(std::size_t, std::exception_ptr)>& report);

// The same, holding no more than ahead inputs (at least 1) at once: work(i)
// starts only once report(i - ahead) has returned, so that what the jobs
// keep for their reports (whole documents, say) stays within that many
// whatever the count, when reporting is slower than working.
KUV_VALUES_API void RunOrderedJobs(
    std::size_t count, unsigned jobs, std::size_t ahead,
    const std::function<void(std::size_t)>& work,
    const std::function<void(std::size_t, std::exception_ptr)>& report);

}  // namespace kuv

#endif  // KUV_ORDERED_JOBS_HPP_
