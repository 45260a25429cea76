#include "fake_platform.h"

#include <QDialog>

namespace testing {

QList<FakePlatform::Call> FakePlatform::callsOf(const QString &kind) const
{
    QList<Call> result;
    for (const Call &call : calls)
        if (call.kind == kind)
            result << call;
    return result;
}

QStringList FakePlatform::textsOf(const QString &kind) const
{
    QStringList result;
    for (const Call &call : calls)
        if (call.kind == kind)
            result << call.text;
    return result;
}

QStringList FakePlatform::kinds() const
{
    QStringList result;
    for (const Call &call : calls)
        result << call.kind;
    return result;
}

void FakePlatform::message(const QString &text)
{
    calls.append({QStringLiteral("message"), text, {}});
    if (onMessage)
        onMessage(text);
}

void FakePlatform::messageWithDetails(const QString &text, const std::function<void()> &showDetails)
{
    calls.append({QStringLiteral("message"), text, {}});
    if (pressShowDetails)
        showDetails();
    if (onMessage)
        onMessage(text);
}

bool FakePlatform::askYesNo(const QString &text)
{
    return answerYesNo(text, QString());
}

bool FakePlatform::askYesNoDefaultNo(const QString &text)
{
    return answerYesNo(text, QStringLiteral("default No"));
}

bool FakePlatform::answerYesNo(const QString &text, const QString &extra)
{
    calls.append({QStringLiteral("askYesNo"), text, extra});
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
}

std::optional<QString> FakePlatform::input(const QString &prompt, const QString &initial)
{
    calls.append({QStringLiteral("input"), prompt, initial});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}

void FakePlatform::errorReport(const QString &text)
{
    calls.append({QStringLiteral("errorReport"), text, {}});
}

QStringList FakePlatform::openFiles(const tessaly::FileDialogRequest &request)
{
    calls.append({QStringLiteral("openFiles"), request.title, request.filter});
    return openFilesAnswers.isEmpty() ? QStringList() : openFilesAnswers.dequeue();
}

QString FakePlatform::openFile(const tessaly::FileDialogRequest &request)
{
    calls.append({QStringLiteral("openFile"), request.title, request.filter});
    return openFileAnswers.isEmpty() ? QString() : openFileAnswers.dequeue();
}

QString FakePlatform::saveFile(const tessaly::FileDialogRequest &request)
{
    calls.append({QStringLiteral("saveFile"), request.title, request.filter});
    return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.dequeue();
}

QString FakePlatform::browseForFolder(const QString &title, const QString &initialFolder)
{
    calls.append({QStringLiteral("browseForFolder"), title, initialFolder});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

void FakePlatform::openFolder(const QString &path)
{
    calls.append({QStringLiteral("openFolder"), path, {}});
}

int FakePlatform::exec(QDialog &dialog)
{
    calls.append({QStringLiteral("exec"), dialog.windowTitle(), {}});
    if (onExec)
        return onExec(dialog);
    return execAnswers.isEmpty() ? 0 : execAnswers.dequeue();
}

} // namespace testing
