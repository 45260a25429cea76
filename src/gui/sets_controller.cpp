#include "gui/sets_controller.h"

#include "base/error_report.h"
#include "engine/run_report.h"
#include "base/paths.h"
#include "gui/busy_pointer.h"
#include "gui/handler_tags.h"
#include "gui/load_sets_dialog.h"
#include "sets/save_sets.h"
#include "sets/set_file.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <memory>

namespace tessaly {

QStringList itemTexts(const QComboBox &combo)
{
    QStringList texts;
    texts.reserve(combo.count());
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

SetsController::SetsController(QWidget &window, Platform &platform, SettingsStore &settings, Controls controls)
    : m_window(window), m_platform(platform), m_settings(settings), m_controls(controls)
{
    const Controls &c = m_controls;
    connect(c.findList, &QComboBox::currentIndexChanged, this, &SetsController::showSetInBothLists);
    connect(c.replaceList, &QComboBox::currentIndexChanged, this, &SetsController::showSetInBothLists);
    connect(c.clearSetsButton, &QPushButton::clicked, this, &SetsController::clearSets);
    connect(c.loadSetsButton, &QPushButton::clicked, this, &SetsController::loadSets);
    connect(c.removeSetButton, &QPushButton::clicked, this, &SetsController::removeSelectedSet);
    connect(c.addSetButton, &QPushButton::clicked, this, &SetsController::addSet);
    connect(c.saveSetsButton, &QPushButton::clicked, this, &SetsController::saveSets);
    // The lists only choose among the sets: what they show is said where it is
    // shown, and the count follows every change.
    c.setCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.findList->setToolTip(tr("The find text of each set. Choosing one shows its replace text below; "
                              "Remove Selected Set removes it."));
    c.replaceList->setToolTip(tr("The replace text of each set, in step with the find texts above."));
    QAbstractItemModel *sets = c.findList->model();
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(sets, changed, this, &SetsController::showSetCount);
    connect(sets, &QAbstractItemModel::modelReset, this, &SetsController::showSetCount);
    showSetCount();
}

void SetsController::showSetCount()
{
    const int count = m_controls.findList->count();
    m_controls.setCount->setText(count == 0 ? tr("No sets") : groupedPlural(count, "set", "sets"));
    const QString none = count == 0 ? tr("No sets: use Add Set or Load Sets") : tr("Choose a set to see it");
    m_controls.findList->setPlaceholderText(none);
    m_controls.replaceList->setPlaceholderText(none);
}

// The one place the two lists are put in step. Neither list signals while it is
// set, so a choice in one can never come back as a choice from the other (two
// handlers answering each other recursed without end while a list was cleared).
void SetsController::showSetInBothLists(int index)
{
    const QSignalBlocker block1(m_controls.findList);
    const QSignalBlocker block2(m_controls.replaceList);
    m_controls.findList->setCurrentIndex(index);
    m_controls.replaceList->setCurrentIndex(index);
}

void SetsController::appendSet(const FindReplaceSet &set)
{
    // A list that was empty would select its first entry on its own; adding
    // leaves the selection as it was.
    QComboBox *findList = m_controls.findList;
    QComboBox *replaceList = m_controls.replaceList;
    const int selected1 = findList->currentIndex();
    const int selected2 = replaceList->currentIndex();
    const QSignalBlocker block1(findList);
    const QSignalBlocker block2(replaceList);
    findList->addItem(set.find);
    replaceList->addItem(set.replace);
    findList->setCurrentIndex(selected1);
    replaceList->setCurrentIndex(selected2);
}

void SetsController::addSet()
{
    ErrorTrap trap(m_platform, tags::addSet);
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
    // The added set is shown in both lists, so adding is seen.
    trap.step(108, [&] {
        if (auto set = splitSetLine(answer, QStringLiteral("::"))) {
            appendSet(*set);
            showSetInBothLists(m_controls.findList->count() - 1);
        }
    });
}

void SetsController::removeSelectedSet()
{
    ErrorTrap trap(m_platform, tags::removeSet);
    QComboBox *findList = m_controls.findList;
    QComboBox *replaceList = m_controls.replaceList;
    // Removing the selected entry moves a list's selection; the other list must
    // keep its own until its entry is gone too, so neither list signals meanwhile.
    const QSignalBlocker block1(findList);
    const QSignalBlocker block2(replaceList);
    if (trap.test(100, [&] { return findList->currentIndex() >= 0; }))
        trap.step(102, [&] { findList->removeItem(findList->currentIndex()); });
    if (trap.test(104, [&] { return replaceList->currentIndex() >= 0; }))
        trap.step(106, [&] { replaceList->removeItem(replaceList->currentIndex()); });
    // Both lists moved their selection the same way; make sure they agree.
    showSetInBothLists(findList->currentIndex());
}

void SetsController::clearSets()
{
    ErrorTrap trap(m_platform, tags::clearSets);
    // Cleared lists both select nothing; neither needs to tell the other.
    const QSignalBlocker block1(m_controls.findList);
    const QSignalBlocker block2(m_controls.replaceList);
    trap.step(100, [&] { m_controls.findList->clear(); });
    trap.step(102, [&] { m_controls.replaceList->clear(); });
}

void SetsController::loadSets()
{
    ErrorTrap trap(m_platform, tags::loadSets);
    std::unique_ptr<LoadSetsDialog> dialog;
    trap.step(100, [&] {
        dialog = std::make_unique<LoadSetsDialog>(
            m_platform, m_settings, [this](const FindReplaceSet &set) { appendSet(set); }, &m_window);
        dialog->setBusyTest([this] { return showsHourglass(m_window); });
    });
    if (dialog)
        trap.step(102, [&] { m_platform.exec(*dialog); });
}

void SetsController::saveSets()
{
    ErrorTrap trap(m_platform, tags::saveSets);
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
        lost = SaveSetsToFile(m_platform, path, itemTexts(*m_controls.findList), itemTexts(*m_controls.replaceList),
                              codePage);
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
