// Everything the program asks of the user or the desktop goes through this one
// interface, so every handler also runs headless with a recording fake.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace tessaly {

// A file dialog's set-up: caption, and filter as "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|".
struct FileDialogRequest {
    QString title;
    QString filter;
    QString initialFolder;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The application title shown as the caption of plain boxes ("Tessaly").
    virtual void setApplicationTitle(const QString &title) = 0;
    virtual QString applicationTitle() const = 0;

    virtual void message(const QString &text) = 0;                   // plain OK box, no icon
    // A plain OK box whose text stays short, with a "Show Details…" button that
    // calls `showDetails` for a longer account while the box stays open.
    virtual void messageWithDetails(const QString &text, const std::function<void()> &showDetails)
    {
        Q_UNUSED(showDetails);
        message(text);
    }
    virtual bool askYesNo(const QString &text) = 0;                  // plain Yes/No box, no icon
    // The same box for a question whose Yes risks something (files that would
    // fail): No is the default button, so Enter or a hasty click keeps it safe.
    virtual bool askYesNoDefaultNo(const QString &text) = 0;
    // One-line input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &initial) = 0;
    virtual void errorReport(const QString &text) = 0;               // warning icon, "Application Error"

    // Multi-select open dialog: the chosen paths, empty when cancelled.
    virtual QStringList openFiles(const FileDialogRequest &request) = 0;
    // Single open dialog: the chosen path, "" when cancelled.
    virtual QString openFile(const FileDialogRequest &request) = 0;
    // Save dialog without its own overwrite question: the chosen path, "" when cancelled.
    virtual QString saveFile(const FileDialogRequest &request) = 0;
    // Folder picker: the chosen folder, "" when cancelled.
    virtual QString browseForFolder(const QString &title, const QString &initialFolder) = 0;
    // Shows a folder in the desktop's file manager.
    virtual void openFolder(const QString &path) = 0;
    // Shows a dialog modally and returns its result code.
    virtual int exec(QDialog &dialog) = 0;
};

} // namespace tessaly
