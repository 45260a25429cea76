// The main window's sets tab: the two set lists kept in step, Add Set, Remove
// Selected Set, Clear All Sets, Load Sets and Save Sets.
#include "gui/form1.h"

#include "base/error_report.h"
#include "gui/form2.h"
#include "sets/save_sets.h"
#include "sets/set_file.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <memory>

namespace tessaly {

QStringList Form1::itemTexts(const QComboBox &combo)
{
    QStringList texts;
    texts.reserve(combo.count());
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

void Form1::Combo1_Click()
{
    showSetInBothLists(m_combo1->currentIndex());
}

void Form1::Combo2_Click()
{
    showSetInBothLists(m_combo2->currentIndex());
}

// The one place the two lists are put in step. Neither list signals while it is
// set, so a choice in one can never come back as a choice from the other (two
// handlers answering each other recursed without end while a list was cleared).
void Form1::showSetInBothLists(int index)
{
    const QSignalBlocker block1(m_combo1);
    const QSignalBlocker block2(m_combo2);
    m_combo1->setCurrentIndex(index);
    m_combo2->setCurrentIndex(index);
}

void Form1::appendSet(const FindReplaceSet &set)
{
    // A list that was empty would select its first entry on its own; adding
    // leaves the selection as it was.
    const int selected1 = m_combo1->currentIndex();
    const int selected2 = m_combo2->currentIndex();
    const QSignalBlocker block1(m_combo1);
    const QSignalBlocker block2(m_combo2);
    m_combo1->addItem(set.find);
    m_combo2->addItem(set.replace);
    m_combo1->setCurrentIndex(selected1);
    m_combo2->setCurrentIndex(selected2);
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton7_Click"));
    QString answer;
    trap.step(100, [&] {
        answer = m_platform
                     .input(QStringLiteral("Enter find and replace set (use :: to separate find text and replace "
                                           "text):"),
                            QStringLiteral("findwhat::replacewith"))
                     .value_or(QString());
    });
    if (trap.test(102, [&] { return answer.isEmpty(); }))
        return;
    if (trap.test(104, [&] { return !answer.contains(QStringLiteral("::")); })) {
        trap.step(106, [&] {
            m_platform.message(QStringLiteral("You must use :: to separate the find text from the replace text"));
        });
        return;
    }
    trap.step(108, [&] {
        if (auto set = splitSetLine(answer, QStringLiteral("::")))
            appendSet(*set);
    });
}

void Form1::PushButton6_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton6_Click"));
    // Removing the selected entry moves a list's selection; the other list must
    // keep its own until its entry is gone too, so neither list signals meanwhile.
    const QSignalBlocker block1(m_combo1);
    const QSignalBlocker block2(m_combo2);
    if (trap.test(100, [&] { return m_combo1->currentIndex() >= 0; }))
        trap.step(102, [&] { m_combo1->removeItem(m_combo1->currentIndex()); });
    if (trap.test(104, [&] { return m_combo2->currentIndex() >= 0; }))
        trap.step(106, [&] { m_combo2->removeItem(m_combo2->currentIndex()); });
    // Both lists moved their selection the same way; make sure they agree.
    showSetInBothLists(m_combo1->currentIndex());
}

void Form1::PushButton4_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton4_Click"));
    // Cleared lists both select nothing; neither needs to tell the other.
    const QSignalBlocker block1(m_combo1);
    const QSignalBlocker block2(m_combo2);
    trap.step(100, [&] { m_combo1->clear(); });
    trap.step(102, [&] { m_combo2->clear(); });
}

void Form1::PushButton5_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton5_Click"));
    std::unique_ptr<Form2> dialog;
    trap.step(100, [&] {
        dialog = std::make_unique<Form2>(m_platform, m_settings, [this](const FindReplaceSet &set) { appendSet(set); },
                                         this);
        dialog->setBusyTest([this] { return isBusy(); });
    });
    if (dialog)
        trap.step(102, [&] { m_platform.exec(*dialog); });
}

void Form1::PushButton9_Click()
{
    ErrorTrap trap(m_platform, QStringLiteral("Form1.PushButton9_Click"));
    QString path;
    trap.step(100, [&] {
        path = m_platform.saveFile(
            {QStringLiteral("Save"), QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), QString()});
    });
    if (trap.test(102, [&] { return path.isEmpty(); }))
        return;
    std::optional<qint64> lost;
    QString codePageName;
    trap.step(104, [&] {
        const CodePage codePage = CodePage::system();
        codePageName = codePage.name();
        lost = SaveSetsToFile(m_platform, path, itemTexts(*m_combo1), itemTexts(*m_combo2), codePage);
    });
    if (lost && *lost > 0) {
        trap.step(106, [&] {
            m_platform.message(QStringLiteral("The sets were saved, but %1 character(s) cannot be held by code page "
                                              "%2 and were saved as \"?\".")
                                   .arg(groupedNumber(*lost), codePageName));
        });
    }
}

} // namespace tessaly
