// Runs the same job for many inputs on several threads and reports the
// results in the order of the inputs, each as soon as it and every one
// before it are done, whatever order they finish in.
#ifndef KUV_TOOLS_ORDERED_JOBS_H_
#define KUV_TOOLS_ORDERED_JOBS_H_

#include <cstddef>
#include <exception>
#include <functional>

namespace kuv::tool {

// The number of threads a batch uses unless told otherwise: one per core.
unsigned DefaultJobCount();

// Calls work(i) for every i below count, on up to jobs threads, and
// report(i, failure) on the calling thread in the order of i: failure holds
// what work(i) threw, or is null. Whatever work(i) stored for i is visible
// to report(i). A job that fails does not stop the others. When report
// throws, no further job starts; those running finish, then the exception
// goes on.
void RunOrderedJobs(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                    const std::function<void(std::size_t, std::exception_ptr)>& report);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_ORDERED_JOBS_H_
