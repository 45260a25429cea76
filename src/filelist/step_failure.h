// A failed step of a procedure that goes on after failures: the window shows it in
// the error report box and the procedure continues with its next step.
#pragma once

#include <QString>

#include <functional>

namespace tessaly {

struct StepFailure {
    QString source;       // e.g. "in CorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 "
    int statement = 0;    // number of the failing statement
    QString description;  // readable reason
};

using FailureSink = std::function<void(const StepFailure &)>;

} // namespace tessaly
