// The platform layer on the desktop: Qt message boxes, input boxes, file and
// folder dialogs and the desktop's file manager.
#pragma once

#include "base/platform.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace tessaly {

class QtPlatform : public Platform {
public:
    // Dialogs are owned by this window (the main window once it exists).
    void setParentWindow(QWidget *window) { m_parent = window; }

    void setApplicationTitle(const QString &title) override { m_title = title; }
    QString applicationTitle() const override { return m_title; }

    void message(const QString &text) override;
    void messageWithDetails(const QString &text, const std::function<void()> &showDetails) override;
    bool askYesNo(const QString &text) override;
    bool askYesNoDefaultNo(const QString &text) override;
    std::optional<QString> input(const QString &prompt, const QString &initial) override;
    void errorReport(const QString &text) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString openFile(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    QString browseForFolder(const QString &title, const QString &initialFolder) override;
    void openFolder(const QString &path) override;
    int exec(QDialog &dialog) override;

    // "HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*" as Qt's name
    // filters: "HTML Files (*.htm *.html)", "All Files (*)".
    static QStringList qtNameFilters(const QString &filter);

private:
    // `defaultButton`: the button Enter presses; NoButton leaves the first
    // accepting one (Yes or OK).
    int showBox(QMessageBox::Icon icon, const QString &title, const QString &text, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // The chosen paths in native spelling; empty when cancelled.
    QStringList showFileDialog(const QString &title, const QString &filter, const QString &initialFolder,
                               QFileDialog::FileMode mode, QFileDialog::AcceptMode acceptMode);

    QPointer<QWidget> m_parent;
    QString m_title;
};

} // namespace tessaly
