#include "base/error_report.h"

namespace tessaly {

QString sourceTag(const QString &source, const QString &stamp)
{
    return QStringLiteral("in ") + stamp + QLatin1Char('.') + source + QLatin1Char(' ');
}

QString errorReportText(const QString &description, const QString &tag, int statement)
{
    return description + QStringLiteral("\r\n") + tag + QStringLiteral("at line ") + QString::number(statement)
        + QStringLiteral("\r\rPlease email screenshot of this message to ") + supportAddress();
}

FailureSink errorReportBox(Platform &platform)
{
    return [&platform](const StepFailure &failure) {
        platform.errorReport(errorReportText(failure.description, failure.source, failure.statement));
    };
}

void ErrorTrap::report(int statement, const QString &description)
{
    if (m_sink)
        m_sink({m_tag, statement, description});
}

void ErrorTrap::reportCurrentException(int statement)
{
    QString description;
    try {
        throw;
    } catch (const TessalyError &error) {
        description = error.description();
    } catch (const std::exception &error) {
        description = QString::fromLocal8Bit(error.what());
    } catch (...) {
        description = QStringLiteral("Unexpected error");
    }
    report(statement, description);
}

} // namespace tessaly
