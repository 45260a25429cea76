// The main window's start-up: skin, hand pointer and samples from the program's
// folder, the captions and the list's header, then the remembered choices.
// Each step is numbered; a failed step is reported and the next one taken.
#include "gui/main_window.h"

#include "base/error_report.h"
#include "base/paths.h"
#include "base/tessaly_error.h"
#include "gui/cursor_file.h"
#include "gui/file_list_controller.h"
#include "gui/file_list_view.h"
#include "gui/handler_tags.h"
#include "gui/hover_pointer.h"
#include "gui/options_controller.h"
#include "gui/skin.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QStatusBar>

namespace tessaly {

void MainWindow::startUp()
{
    ErrorTrap trap(m_platform, tags::startUp);

    loadProgramFiles(trap); // 100-128

    trap.step(130, [&] {
        setWindowTitle(QString::fromLatin1(kCaption));
        setWindowIcon(QApplication::windowIcon());
        m_platform.setApplicationTitle(applicationTitleFor(QString::fromLatin1(kCaption)));
    });
    trap.step(132, [&] { m_controls.fileListView->header()->setVisible(true); });
    trap.step(134, [&] { m_controls.fileListView->setColumnWidth(0, twipsToPixels(7000)); });
    m_options->restore(trap); // 136-154
}

QString MainWindow::applicationTitleFor(const QString &caption)
{
    QString title = caption;
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title.truncate(space);
    } while (title.size() > 40);
    return title;
}

void MainWindow::installHoverPointer()
{
    const WindowControls &c = m_controls;
    m_hoverPointer = new HoverPointer(*this, [this] { return isBusy(); });
    m_hoverPointer->addHandPlaces(c.pushButtons());
    m_hoverPointer->addArrowPlaces({this, m_clientArea, m_client, c.saveFrame, c.modeFrame, c.outputFolderFrame,
                                    c.outputFolderText, c.fileListView, statusBar(), m_statusText, m_listCount,
                                    m_progress});
}

void MainWindow::loadProgramFiles(ErrorTrap &trap)
{
    trap.step(100, [&] { ApplySkin(*this, m_programFolder); });

    const QString handFile = m_programFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(102, [&] { return FileExists(handFile); })) {
        trap.step(104, [&] {
            std::optional<QCursor> hand = loadCursorFile(handFile);
            if (!hand)
                throw TessalyError(QStringLiteral("Invalid picture"));
            m_hoverPointer->setHandCursor(std::move(hand));
        });
    }
    m_fileListController->recordSamples(trap); // 108, 128
}

void MainWindow::showHelp()
{
    ErrorTrap trap(m_platform, tags::help);
    trap.step(100, [&] {
        m_platform.message(QStringLiteral("This software is not intended to be used on images, executables, etc.") +
                           QStringLiteral("\r\r") + QStringLiteral("Questions? Please contact Team Kestrine at ") +
                           QStringLiteral("https://kestrine.example/support"));
    });
}

} // namespace tessaly
