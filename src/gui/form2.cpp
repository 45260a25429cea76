#include "gui/form2.h"

#include "gui/cursor_file.h"
#include "base/error_report.h"
#include "gui/form_colors.h"
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

const QString kSeparatorKey = QStringLiteral("Form2.Text2");
const QString kDefaultSeparator = QStringLiteral("::");

// What a directory lookup with the normal attribute mask finds: a regular file
// that is neither a folder nor hidden (nor a system file, which POSIX lacks).
bool isNormalFile(const QString &path)
{
    const int attributes = fileAttributes(path);
    return attributes >= 0 && (attributes & AttributeArchive)
           && !(attributes & (AttributeDirectory | AttributeHidden | AttributeSystem));
}

} // namespace

Form2::Form2(Platform &platform, SettingsStore &settings, SetSink appendSet, QWidget *parent,
             const QString &handPointerFile)
    : QDialog(parent), m_platform(platform), m_settings(settings), m_appendSet(std::move(appendSet)),
      m_readLines([](const QString &path) { return ReadTextLines(path, CodePage::system()); })
{
    buildControls();
    Form_Load(handPointerFile);
}

Form2::~Form2() = default;

void Form2::buildControls()
{
    named(this, "Form2");
    // The main window's font carries over to the dialog.
    setAttribute(Qt::WA_WindowPropagation);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_label1 = named(new QLabel(QStringLiteral("File To Load:"), this), "Label1");
    m_text1 = named(new QLineEdit(this), "Text1");
    m_text1->setMinimumWidth(360);
    m_pushButton16 = named(new QPushButton(QStringLiteral("..."), this), "PushButton16");
    m_pushButton16->setFixedWidth(40);
    m_label2 = named(new QLabel(QStringLiteral("Separator:"), this), "Label2");
    m_text2 = named(new QLineEdit(this), "Text2");
    m_text2->setMaximumWidth(120);
    m_pushButton1 = named(new QPushButton(QStringLiteral("Load"), this), "PushButton1");
    m_pushButton2 = named(new QPushButton(QStringLiteral("Cancel"), this), "PushButton2");
    m_pushButton3 = named(new QPushButton(QStringLiteral("?"), this), "PushButton3");
    m_pushButton3->setFixedWidth(40);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(4);
    grid->addWidget(m_label1, 0, 0, 1, 2);
    grid->addWidget(m_text1, 1, 0);
    grid->addWidget(m_pushButton16, 1, 1);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(m_label2, 3, 0, 1, 2);
    grid->addWidget(m_text2, 4, 0, Qt::AlignLeft);
    grid->setRowMinimumHeight(5, 12);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_pushButton1->setMinimumWidth(96);
    m_pushButton2->setMinimumWidth(96);
    buttons->addWidget(m_pushButton1);
    buttons->addWidget(m_pushButton2);
    buttons->addStretch(1);
    buttons->addWidget(m_pushButton3);
    grid->addLayout(buttons, 6, 0, 1, 2);

    // Enter in a text box must not press a button for the user.
    for (QPushButton *button : {m_pushButton1, m_pushButton2, m_pushButton3, m_pushButton16})
        button->setAutoDefault(false);

    // The main window's hover rule: the hand over the buttons, the arrow over the
    // background, nothing while the dialog or the main window shows the hourglass.
    m_hoverPointer = new HoverPointer(*this, [this] {
        const bool ownHourglass = testAttribute(Qt::WA_SetCursor) && cursor().shape() == Qt::WaitCursor;
        return ownHourglass || (m_isBusy && m_isBusy());
    });
    m_hoverPointer->addHandPlaces({m_pushButton1, m_pushButton2, m_pushButton3, m_pushButton16});
    m_hoverPointer->addArrowPlaces({this});

    connect(m_pushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(m_pushButton3, &QPushButton::clicked, this, &Form2::PushButton3_Click);
    connect(m_pushButton16, &QPushButton::clicked, this, &Form2::PushButton16_Click);
    connect(m_text2, &QLineEdit::textChanged, this, &Form2::Text2_Change);
}

void Form2::Form_Load(const QString &handPointerFile)
{
    ErrorTrap trap(m_platform, QStringLiteral("Form2.Form_Load"));
    trap.step(100, [&] { SetFormBackColors(*this); });
    trap.step(102, [&] { setWindowIcon(QApplication::windowIcon()); });
    if (trap.test(104, [&] { return FileExists(handPointerFile); })) {
        trap.step(106, [&] {
            m_hoverPointer->setHandCursor(loadCursorFile(handPointerFile));
        });
    }
    trap.step(108, [&] {
        const QString separator = m_settings.ReadSetting(kSeparatorKey, kDefaultSeparator);
        if (m_text2->text() == separator)
            Text2_Change(separator); // setText would not report an unchanged text
        else
            m_text2->setText(separator);
    });
}

void Form2::Text2_Change(const QString &text)
{
    // No report here: a store that cannot be written must not stop the typing.
    try {
        m_settings.WriteSetting(kSeparatorKey, text);
    } catch (...) {
    }
}

void Form2::PushButton16_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form2.PushButton16_Click"));
    QString chosen;
    trap.step(100, [&] {
        chosen = m_platform.openFile({QStringLiteral("Select Text File"), QStringLiteral("Text Files (*.txt)|*.txt|"),
                                      QString()});
    });
    if (trap.test(102, [&] { return !chosen.isEmpty(); }))
        trap.step(104, [&] { m_text1->setText(chosen); });
}

void Form2::PushButton1_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form2.PushButton1_Click"));
    if (trap.test(100, [&] { return m_text2->text().isEmpty(); })) {
        trap.step(102, [&] { m_platform.message(QStringLiteral("You must enter separating character(s).")); });
        return;
    }
    if (trap.test(104, [&] { return m_text1->text().trimmed().isEmpty(); }))
        return;
    if (trap.test(106, [&] { return !isNormalFile(m_text1->text()); })) {
        trap.step(108, [&] { m_platform.message(m_text1->text() + QStringLiteral(" not found.")); });
        return;
    }
    QStringList lines;
    // A file that cannot be read is reported once and gives no sets; the dialog
    // stays open so another file can be named.
    if (!trap.step(110, [&] { lines = m_readLines(m_text1->text()); }))
        return;
    trap.step(112, [&] {
        const QString separator = m_text2->text();
        for (const QString &line : std::as_const(lines)) {
            if (auto set = splitSetLine(line, separator))
                m_appendSet(*set);
        }
    });
    trap.step(114, [&] { accept(); });
}

void Form2::PushButton2_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form2.PushButton2_Click"));
    trap.step(100, [&] { reject(); });
}

QString Form2::helpText()
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

void Form2::PushButton3_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form2.PushButton3_Click"));
    trap.step(100, [&] { m_platform.message(helpText()); });
}

} // namespace tessaly
