#include "gui/qt_platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
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

} // namespace

void QtPlatform::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, boxText(text), QMessageBox::Ok, m_parent);
    box.exec();
}

void QtPlatform::messageWithDetails(const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, boxText(text), QMessageBox::Ok, m_parent);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

bool QtPlatform::askYesNo(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, boxText(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), boxText(text), QMessageBox::Ok, m_parent);
    box.exec();
}

QString QtPlatform::qtFilter(const QString &filter)
{
    // Pairs of description and pattern list separated by "|".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            continue;
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (parts.at(i).contains(QLatin1Char('(')))
            filters << parts.at(i);
        else
            filters << parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QStringList QtPlatform::openFiles(const FileDialogRequest &request)
{
    QStringList paths =
        QFileDialog::getOpenFileNames(m_parent, request.title, request.initialFolder, qtFilter(request.filter));
    for (QString &path : paths)
        path = QDir::toNativeSeparators(path);
    return paths;
}

QString QtPlatform::openFile(const FileDialogRequest &request)
{
    return QDir::toNativeSeparators(
        QFileDialog::getOpenFileName(m_parent, request.title, request.initialFolder, qtFilter(request.filter)));
}

QString QtPlatform::saveFile(const FileDialogRequest &request)
{
    return QDir::toNativeSeparators(QFileDialog::getSaveFileName(
        m_parent, request.title, request.initialFolder, qtFilter(request.filter), nullptr,
        QFileDialog::DontConfirmOverwrite));
}

QString QtPlatform::browseForFolder(const QString &title, const QString &initialFolder)
{
    return QDir::toNativeSeparators(QFileDialog::getExistingDirectory(m_parent, title, initialFolder));
}

void QtPlatform::openFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

int QtPlatform::exec(QDialog &dialog)
{
    return dialog.exec();
}

void QtPlatform::processPendingEvents()
{
    QCoreApplication::processEvents();
}

} // namespace tessaly
