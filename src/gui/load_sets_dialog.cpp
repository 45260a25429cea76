#include "gui/load_sets_dialog.h"

#include "gui/cursor_file.h"
#include "base/error_report.h"
#include "gui/busy_pointer.h"
#include "gui/form_colors.h"
#include "gui/handler_tags.h"
#include "gui/hover_pointer.h"
#include "gui/named.h"
#include "base/paths.h"
#include "filelist/file_attributes.h"
#include "sets/set_file.h"
#include "textio/text_lines.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaly {

namespace {

// What a directory lookup with the normal attribute mask finds: a regular file
// that is neither a folder nor hidden (nor a system file, which POSIX lacks).
bool isNormalFile(const QString &path)
{
    const int attributes = fileAttributes(path);
    return attributes >= 0 && (attributes & AttributeArchive)
           && !(attributes & (AttributeDirectory | AttributeHidden | AttributeSystem));
}

} // namespace

LoadSetsDialog::LoadSetsDialog(Platform &platform, SettingsStore &settings, SetSink appendSet, QWidget *parent,
                               const QString &handPointerFile)
    : QDialog(parent), m_platform(platform), m_settings(settings), m_appendSet(std::move(appendSet)),
      m_readLines([](const QString &path) { return ReadTextLines(path, CodePage::system()); })
{
    buildControls();
    startUp(handPointerFile);
}

LoadSetsDialog::~LoadSetsDialog() = default;

void LoadSetsDialog::buildControls()
{
    named(this, "Form2");
    // The main window's font carries over to the dialog.
    setAttribute(Qt::WA_WindowPropagation);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_fileLabel = named(new QLabel(QStringLiteral("File To Load:"), this), "Label1");
    m_fileText = named(new QLineEdit(this), "Text1");
    m_fileText->setMinimumWidth(360);
    m_browseButton = named(new QPushButton(QStringLiteral("..."), this), "PushButton16");
    m_browseButton->setFixedWidth(40);
    m_separatorLabel = named(new QLabel(QStringLiteral("Separator:"), this), "Label2");
    m_separatorText = named(new QLineEdit(this), "Text2");
    m_separatorText->setMaximumWidth(120);
    m_loadButton = named(new QPushButton(QStringLiteral("Load"), this), "PushButton1");
    m_cancelButton = named(new QPushButton(QStringLiteral("Cancel"), this), "PushButton2");
    m_helpButton = named(new QPushButton(QStringLiteral("?"), this), "PushButton3");
    m_helpButton->setFixedWidth(40);
    layOutControls();

    // Enter in a text box must not press a button for the user.
    for (QPushButton *button : {m_loadButton, m_cancelButton, m_helpButton, m_browseButton})
        button->setAutoDefault(false);

    // The main window's hover rule: the hand over the buttons, the arrow over the
    // background, nothing while the dialog or the main window shows the hourglass.
    m_hoverPointer = new HoverPointer(*this, [this] { return showsHourglass(*this) || (m_isBusy && m_isBusy()); });
    m_hoverPointer->addHandPlaces({m_loadButton, m_cancelButton, m_helpButton, m_browseButton});
    m_hoverPointer->addArrowPlaces({this});

    connect(m_loadButton, &QPushButton::clicked, this, &LoadSetsDialog::loadSets);
    connect(m_cancelButton, &QPushButton::clicked, this, &LoadSetsDialog::cancel);
    connect(m_helpButton, &QPushButton::clicked, this, &LoadSetsDialog::showHelp);
    connect(m_browseButton, &QPushButton::clicked, this, &LoadSetsDialog::chooseFile);
    connect(m_separatorText, &QLineEdit::textChanged, this, &LoadSetsDialog::separatorEdited);
}

void LoadSetsDialog::layOutControls()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(4);
    grid->addWidget(m_fileLabel, 0, 0, 1, 2);
    grid->addWidget(m_fileText, 1, 0);
    grid->addWidget(m_browseButton, 1, 1);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(m_separatorLabel, 3, 0, 1, 2);
    grid->addWidget(m_separatorText, 4, 0, Qt::AlignLeft);
    grid->setRowMinimumHeight(5, 12);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_loadButton->setMinimumWidth(96);
    m_cancelButton->setMinimumWidth(96);
    buttons->addWidget(m_loadButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_helpButton);
    grid->addLayout(buttons, 6, 0, 1, 2);
}

void LoadSetsDialog::startUp(const QString &handPointerFile)
{
    ErrorTrap trap(m_platform, tags::loadSetsDialogStartUp);
    trap.step(100, [&] { SetFormBackColors(*this); });
    trap.step(102, [&] { setWindowIcon(QApplication::windowIcon()); });
    if (trap.test(104, [&] { return FileExists(handPointerFile); })) {
        trap.step(106, [&] {
            m_hoverPointer->setHandCursor(loadCursorFile(handPointerFile));
        });
    }
    trap.step(108, [&] {
        const QString separator = m_settings.read(settings::loadSetsSeparator);
        if (m_separatorText->text() == separator)
            separatorEdited(separator); // setText would not report an unchanged text
        else
            m_separatorText->setText(separator);
    });
}

void LoadSetsDialog::separatorEdited(const QString &text)
{
    // No report here: a store that cannot be written must not stop the typing.
    try {
        m_settings.write(settings::loadSetsSeparator, text);
    } catch (...) {
    }
}

void LoadSetsDialog::chooseFile()
{
    ErrorTrap trap(m_platform, tags::chooseSetFile);
    QString chosen;
    trap.step(100, [&] {
        chosen = m_platform.openFile({QStringLiteral("Select Text File"), QStringLiteral("Text Files (*.txt)|*.txt|"),
                                      QString()});
    });
    if (trap.test(102, [&] { return !chosen.isEmpty(); }))
        trap.step(104, [&] { m_fileText->setText(chosen); });
}

void LoadSetsDialog::loadSets()
{
    ErrorTrap trap(m_platform, tags::loadSetsFromFile);
    if (trap.test(100, [&] { return m_separatorText->text().isEmpty(); })) {
        trap.step(102, [&] { m_platform.message(QStringLiteral("You must enter separating character(s).")); });
        return;
    }
    if (trap.test(104, [&] { return m_fileText->text().trimmed().isEmpty(); }))
        return;
    if (trap.test(106, [&] { return !isNormalFile(m_fileText->text()); })) {
        trap.step(108, [&] { m_platform.message(m_fileText->text() + QStringLiteral(" not found.")); });
        return;
    }
    QStringList lines;
    // A file that cannot be read is reported once and gives no sets; the dialog
    // stays open so another file can be named.
    if (!trap.step(110, [&] { lines = m_readLines(m_fileText->text()); }))
        return;
    trap.step(112, [&] {
        const QString separator = m_separatorText->text();
        for (const QString &line : std::as_const(lines)) {
            if (auto set = splitSetLine(line, separator))
                m_appendSet(*set);
        }
    });
    trap.step(114, [&] { accept(); });
}

void LoadSetsDialog::cancel()
{
    ErrorTrap trap(m_platform, tags::cancelLoadSets);
    trap.step(100, [&] { reject(); });
}

QString LoadSetsDialog::helpText()
{
    return QStringList{QStringLiteral("If the text file you are loading looks like this:"),
                       QString(),
                       QStringLiteral("hi::hello"),
                       QStringLiteral("peter::pete"),
                       QString(),
                       QStringLiteral("then use :: as a Separator"),
                       QString(),
                       QStringLiteral("If the text file you are loading looks like this:"),
                       QString(),
                       QStringLiteral("hi,hello"),
                       QStringLiteral("peter,pete"),
                       QString(),
                       QStringLiteral("then use , as a Separator"),
                       QString(),
                       QStringLiteral("NOTE: The 'Save Sets' feature in this software always saves in this format:"),
                       QString(),
                       QStringLiteral("hi::hello"),
                       QStringLiteral("peter::pete")}
        .join(QStringLiteral("\r\n"));
}

void LoadSetsDialog::showHelp()
{
    ErrorTrap trap(m_platform, tags::loadSetsHelp);
    trap.step(100, [&] { m_platform.message(helpText()); });
}

} // namespace tessaly
