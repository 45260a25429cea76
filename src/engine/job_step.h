// The steps of a file's job, and how one fails: a step gives its value or a
// failure that names it, and the job stops there.
#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace tessaly {

// What failed: a file's report names it.
enum class JobStep {
    None,
    Request,  // the file's request could not be read (the run's step before the job)
    Read,     // the source could not be opened or read
    Place,    // the result's place is refused: it would replace the source, another
              // source of the run, or another result of the run
    Replace,  // not enough memory to replace
    Write,    // the result could not be put at its place: no save option, the
              // folder, the name, the write, the close or the rename
};

struct JobFailure {
    JobStep step = JobStep::None;
    QString reason;
    QString earlierSource = {};  // Place: the file of the run whose result this one would replace
};

// A step's value, or the failure that ends the job at that step.
template <class T>
class StepResult {
public:
    StepResult(T &&value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    StepResult(JobFailure &&failure) : m_outcome(std::in_place_index<1>, std::move(failure)) {}

    explicit operator bool() const { return m_outcome.index() == 0; }
    T &operator*() { return std::get<0>(m_outcome); }
    T *operator->() { return &std::get<0>(m_outcome); }
    const JobFailure &failure() const { return std::get<1>(m_outcome); }

private:
    std::variant<T, JobFailure> m_outcome;
};

} // namespace tessaly
