// The error report box's text and the trap that shows it for a numbered step
// of a handler and then lets the handler go on with its next step.
#pragma once

#include "base/platform.h"
#include "base/tessaly_error.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace tessaly {

inline QString supportAddress() { return QStringLiteral("support@kestrine.example"); }
inline QString defaultSourceStamp() { return QStringLiteral("Brindle2021/08/31"); }

// "in Brindle2021/08/31.Form1.PushButton3_Click " for source "Form1.PushButton3_Click".
QString sourceTag(const QString &source, const QString &stamp = defaultSourceStamp());
// Description, CR LF, tag, "at line ", number, CR, CR, and the support request.
QString errorReportText(const QString &description, const QString &tag, int statement);

// A failed numbered step, for the error report box; the procedure goes on.
struct StepFailure {
    QString source;       // the whole tag, e.g. "in Brindle2021/08/31.Form1.PushButton1_Click "
    int statement = 0;    // number of the failing statement
    QString description;  // readable reason
};
using FailureSink = std::function<void(const StepFailure &)>;

// Shows each failure in the platform's error report box.
FailureSink errorReportBox(Platform &platform);

class ErrorTrap {
public:
    ErrorTrap(Platform &platform, const QString &source, const QString &stamp = defaultSourceStamp())
        : ErrorTrap(errorReportBox(platform), source, stamp)
    {
    }
    // For procedures of the core, which report through the window's sink.
    ErrorTrap(FailureSink sink, const QString &source, const QString &stamp = defaultSourceStamp())
        : m_sink(std::move(sink)), m_tag(sourceTag(source, stamp))
    {
    }

    // Runs one numbered step; a failure is reported and the caller goes on.
    // Returns false when the step failed.
    template<class Step>
    bool step(int statement, Step &&body)
    {
        try {
            std::forward<Step>(body)();
            return true;
        } catch (...) {
            reportCurrentException(statement);
            return false;
        }
    }

    // Runs a numbered test. A test that fails counts as true, so the statement
    // it guards runs next.
    template<class Test>
    bool test(int statement, Test &&condition)
    {
        try {
            return bool(std::forward<Test>(condition)());
        } catch (...) {
            reportCurrentException(statement);
            return true;
        }
    }

    void report(int statement, const QString &description);
    const QString &tag() const { return m_tag; }

private:
    void reportCurrentException(int statement);

    FailureSink m_sink;
    QString m_tag;
};

} // namespace tessaly
