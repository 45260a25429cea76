// A recording stand-in for the platform layer: queued answers for every
// question and a log of every call (kind and text, in order).
#pragma once

#include "base/platform.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

namespace testing {

class FakePlatform : public tessaly::Platform {
public:
    struct Call {
        QString kind;    // "message", "askYesNo", "input", "errorReport", "openFiles", ...
        QString text;    // the box text, prompt or dialog title
        QString extra;   // the initial answer, folder, filter or details; "default No" for askYesNoDefaultNo
    };

    // Answers, used in order; an empty queue answers No / Cancel / "" / 0.
    QQueue<bool> yesNoAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<QStringList> openFilesAnswers;
    QQueue<QString> openFileAnswers;
    QQueue<QString> saveFileAnswers;
    QQueue<QString> folderAnswers;
    QQueue<int> execAnswers;

    // Runs in place of a modal dialog's event loop (e.g. to fill in and press its
    // buttons); its result is the dialog's result code. Without it exec answers
    // from execAnswers.
    std::function<int(QDialog &dialog)> onExec;
    // Whether a box with details has its Show Details… pressed (before onMessage runs).
    bool pressShowDetails = false;
    // Runs inside message boxes after the call is recorded.
    std::function<void(const QString &text)> onMessage;

    QList<Call> calls;

    QList<Call> callsOf(const QString &kind) const;
    QStringList textsOf(const QString &kind) const;
    // Every call's kind, in order.
    QStringList kinds() const;
    void clear() { calls.clear(); }

    void setApplicationTitle(const QString &title) override { m_title = title; }
    QString applicationTitle() const override { return m_title; }
    void message(const QString &text) override;
    void messageWithDetails(const QString &text, const std::function<void()> &showDetails) override;
    bool askYesNo(const QString &text) override;
    // Recorded as an "askYesNo" call with extra "default No", answered from yesNoAnswers.
    bool askYesNoDefaultNo(const QString &text) override;
    std::optional<QString> input(const QString &prompt, const QString &initial) override;
    void errorReport(const QString &text) override;
    QStringList openFiles(const tessaly::FileDialogRequest &request) override;
    QString openFile(const tessaly::FileDialogRequest &request) override;
    QString saveFile(const tessaly::FileDialogRequest &request) override;
    QString browseForFolder(const QString &title, const QString &initialFolder) override;
    void openFolder(const QString &path) override;
    int exec(QDialog &dialog) override;

private:
    bool answerYesNo(const QString &text, const QString &extra);

    QString m_title;
};

} // namespace testing
