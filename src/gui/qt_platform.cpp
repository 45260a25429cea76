#include "gui/qt_platform.h"

#include "gui/fitted_message_box.h"
#include "gui/path_list_box.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QUrl>

namespace tessaly {

namespace {

// The product's boxes break lines with CR LF or a lone CR ("\r\r" in the Add All
// prompt and Help); Windows boxes show either as a line break, Qt's labels only LF.
QString boxText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QStringList nativePaths(QStringList paths)
{
    for (QString &path : paths)
        path = QDir::toNativeSeparators(path);
    return paths;
}

} // namespace

int QtPlatform::showBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    const QString shown = boxText(text);
    if (const std::optional<PathListBox::Parts> parts = PathListBox::split(shown)) {
        PathListBox box(icon, title, *parts, buttons, m_parent);
        if (defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(defaultButton);
        return box.exec();
    }
    FittedMessageBox box(icon, title, shown, buttons, m_parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

void QtPlatform::message(const QString &text)
{
    showBox(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok);
}

void QtPlatform::messageWithDetails(const QString &text, const std::function<void()> &showDetails)
{
    FittedMessageBox box(QMessageBox::NoIcon, m_title, boxText(text), QMessageBox::Ok, m_parent);
    auto *ok = qobject_cast<QPushButton *>(box.button(QMessageBox::Ok));
    QPushButton *details = box.addButton(QObject::tr("Show &Details…"), QMessageBox::ActionRole);
    // The details open over the box, which stays until OK; back in the box, Enter
    // presses OK, not Show Details… again.
    QObject::disconnect(details, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(details, &QAbstractButton::clicked, &box, [&] {
        showDetails();
        box.setDefaultButton(ok);
        ok->setFocus();
    });
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

bool QtPlatform::askYesNo(const QString &text)
{
    return showBox(QMessageBox::NoIcon, m_title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtPlatform::askYesNoDefaultNo(const QString &text)
{
    return showBox(QMessageBox::NoIcon, m_title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> QtPlatform::input(const QString &prompt, const QString &initial)
{
    bool accepted = false;
    const QString answer = QInputDialog::getText(m_parent, m_title, boxText(prompt), QLineEdit::Normal, initial, &accepted);
    if (!accepted)
        return std::nullopt;
    return answer;
}

void QtPlatform::errorReport(const QString &text)
{
    showBox(QMessageBox::Warning, QStringLiteral("Application Error"), text, QMessageBox::Ok);
}

QStringList QtPlatform::qtNameFilters(const QString &filter)
{
    // Pairs of description and pattern list separated by "|"; the patterns of a
    // list are separated by ";". Qt reads the patterns from the parentheses of the
    // description, separated by spaces, so the description's own parentheses are
    // rebuilt from the pattern list. "*.*" matches every name there, also names
    // without a dot, which only "*" does for Qt.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        if (description.isEmpty())
            continue;
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

QStringList QtPlatform::showFileDialog(const QString &title, const QString &filter, const QString &initialFolder,
                                       QFileDialog::FileMode mode, QFileDialog::AcceptMode acceptMode)
{
    // Qt's own dialog on every desktop, so the dialog the user sees is the one the
    // tests open; the product asks its own overwrite question.
    QFileDialog dialog(m_parent, title, initialFolder);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite
                      | (mode == QFileDialog::Directory ? QFileDialog::ShowDirsOnly : QFileDialog::Options()));
    dialog.setFileMode(mode);
    dialog.setAcceptMode(acceptMode);
    if (!filter.isEmpty())
        dialog.setNameFilters(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted)
        return QStringList();
    return nativePaths(dialog.selectedFiles());
}

QStringList QtPlatform::openFiles(const FileDialogRequest &request)
{
    return showFileDialog(request.title, request.filter, request.initialFolder, QFileDialog::ExistingFiles,
                          QFileDialog::AcceptOpen);
}

QString QtPlatform::openFile(const FileDialogRequest &request)
{
    return showFileDialog(request.title, request.filter, request.initialFolder, QFileDialog::ExistingFile,
                          QFileDialog::AcceptOpen)
        .value(0);
}

QString QtPlatform::saveFile(const FileDialogRequest &request)
{
    return showFileDialog(request.title, request.filter, request.initialFolder, QFileDialog::AnyFile,
                          QFileDialog::AcceptSave)
        .value(0);
}

QString QtPlatform::browseForFolder(const QString &title, const QString &initialFolder)
{
    return showFileDialog(title, QString(), initialFolder, QFileDialog::Directory, QFileDialog::AcceptOpen).value(0);
}

void QtPlatform::openFolder(const QString &path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    // A desktop without a file manager opens nothing: the box says so and gives
    // the folder's path, selectable and with a button that copies it.
    const QString shown = QDir::toNativeSeparators(path);
    FittedMessageBox box(QMessageBox::NoIcon, m_title,
                         QObject::tr("The folder cannot be shown: the desktop has no program to open it.\n\n%1")
                             .arg(shown),
                         QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPushButton *copy = box.addButton(QObject::tr("&Copy Path"), QMessageBox::ActionRole);
    // Copying leaves the box open, so the person sees what was copied.
    QObject::disconnect(copy, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(copy, &QAbstractButton::clicked, &box, [shown] { QGuiApplication::clipboard()->setText(shown); });
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

int QtPlatform::exec(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace tessaly
