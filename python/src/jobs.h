// The library's ordered jobs (kuv/ordered_jobs.hpp) as the package runs
// them: the work without the GIL, what needs the interpreter in order on
// the calling thread, with the GIL, overlapping the work still under way.
#ifndef KUV_PYTHON_JOBS_H_
#define KUV_PYTHON_JOBS_H_

#include <pybind11/pybind11.h>

#include <cstddef>
#include <exception>

#include "kuv/ordered_jobs.hpp"

namespace kuv::python {

// Calls work(i) for every i below count on up to `threads` threads, and
// consume(i) in the order of i once work(i) is done. The first failure
// (of work or consume) stops the jobs not yet begun and goes on once the
// running ones have finished. Called with the GIL held.
template <typename Work, typename Consume>
void RunInOrder(int threads, std::size_t count, const Work& work, const Consume& consume) {
  pybind11::gil_scoped_release without_gil;
  RunOrderedJobs(count, static_cast<unsigned>(threads > 1 ? threads : 1), work,
                 [&](std::size_t index, std::exception_ptr failure) {
                   if (failure) std::rethrow_exception(failure);
                   pybind11::gil_scoped_acquire with_gil;
                   consume(index);
                 });
}

// The same without a Python step; callable without the GIL.
template <typename Work>
void RunInParallel(int threads, std::size_t count, const Work& work) {
  RunOrderedJobs(count, static_cast<unsigned>(threads > 1 ? threads : 1), work,
                 [](std::size_t, std::exception_ptr failure) {
                   if (failure) std::rethrow_exception(failure);
                 });
}

}  // namespace kuv::python

#endif  // KUV_PYTHON_JOBS_H_
