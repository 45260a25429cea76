// Form1's sample files, skin and pointers: the start-up steps that read the files
// beside the program, the hover pointer, and Load Sample/Example Files.
#include "gui/form1.h"

#include "gui/cursor_file.h"
#include "base/error_report.h"
#include "gui/hover_pointer.h"
#include "base/paths.h"
#include "gui/skin.h"
#include "filelist/file_list_model.h"
#include "gui/file_list_view.h"
#include "filelist/samples.h"
#include "base/tessaly_error.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>

namespace tessaly {

namespace {

QString handCursorFile(const QString &programFolder)
{
    return programFolder + QStringLiteral("/HAND-M.CUR");
}

} // namespace

void Form1::installHoverPointer()
{
    m_hoverPointer = new HoverPointer(*this, [this] { return isBusy(); });
    m_hoverPointer->addHandPlaces({m_pushButton1, m_pushButton2, m_pushButton3, m_pushButton4, m_pushButton5,
                                   m_pushButton6, m_pushButton7, m_pushButton8, m_pushButton9, m_pushButton10,
                                   m_pushButton11, m_pushButton12, m_pushButton13, m_pushButton14});
    m_hoverPointer->addArrowPlaces({this, m_clientArea, m_client, m_frame1, m_frame2, m_frame3, m_text3, m_listView1,
                                    statusBar(), m_statusText, m_listCount, m_progress});
}

void Form1::loadProgramFiles(ErrorTrap &trap)
{
    trap.step(100, [&] { ApplySkin(*this, m_programFolder); });

    const QString handFile = handCursorFile(m_programFolder);
    if (trap.test(102, [&] { return FileExists(handFile); })) {
        trap.step(104, [&] {
            std::optional<QCursor> hand = loadCursorFile(handFile);
            if (!hand)
                throw TessalyError(QStringLiteral("Invalid picture"));
            m_hoverPointer->setHandCursor(std::move(hand));
        });
    }

    // Looked at twice (statements 108 and 128): when the first look records ""
    // (an empty samples folder), the second looks again, and so does the next start.
    const ScrambleOptions scramble{CodePage::system(), [this] { m_platform.processPendingEvents(); }};
    for (const int statement : {108, 128}) {
        if (trap.test(statement, [&] { return m_settings.ReadSetting(QStringLiteral("Snapshot"), "").isEmpty(); }))
            trap.step(statement, [&] { SaveSampleSnapshot(m_settings, m_programFolder, scramble); });
    }
}

void Form1::PushButton11_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton11_Click"));
    trap.step(100, [&] {
        const ScrambleOptions scramble{CodePage::system(), [this] { m_platform.processPendingEvents(); }};
        LoadSampleFiles(*m_fileList, m_settings, m_platform, m_programFolder, scramble);
    });
    trap.step(110, [&] { m_text1->setPlainText(QStringLiteral("a")); });
    trap.step(112, [&] { m_text2->setPlainText(QStringLiteral("b")); });
    trap.step(114, [&] { m_tabControl1->setCurrentIndex(0); });
}

} // namespace tessaly
