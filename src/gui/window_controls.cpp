#include "gui/window_controls.h"

#include "gui/file_list_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <type_traits>
#include <variant>

namespace tessaly {

namespace {

constexpr int kTwipsPerPixel = 15;
// Tab page controls are given relative to the whole tab control; the tab row
// is this high until the pages are laid out.
constexpr int kTabRowTwips = 30 * kTwipsPerPixel;

template <class Control>
using Member = Control *WindowControls::*;
using AnyMember = std::variant<Member<QPushButton>, Member<FileListView>, Member<QTabWidget>, Member<QWidget>,
                               Member<QLabel>, Member<QPlainTextEdit>, Member<QComboBox>, Member<QGroupBox>,
                               Member<QRadioButton>, Member<QLineEdit>, Member<QCheckBox>>;

// Where a control sits: a page is added to the tabs under its caption, the
// others are placed at their rectangle inside their parent.
enum class Parent { Client, Tabs, PairPage, SetsPage, ModeFrame, SaveFrame, OutputFolderFrame };

struct ControlRow {
    AnyMember member;
    const char *name;  // the product name: tests and skins find the control by it
    const char *caption;
    Parent parent;
    QRect twips;  // left, top, width, height
};

using C = WindowControls;

// In creation order, which is the order of the focus chain.
const ControlRow kControls[] = {
    {&C::helpButton, "PushButton10", "Help", Parent::Client, {120, 120, 7800, 405}},
    {&C::fileListView, "ListView1", "", Parent::Client, {120, 630, 7800, 5250}},
    {&C::addFilesButton, "PushButton2", "Add HTML Files", Parent::Client, {120, 5980, 3840, 405}},
    {&C::addFolderButton, "PushButton1", "Add All HTML Files In Folder", Parent::Client, {4080, 5980, 3840, 405}},
    {&C::clearListButton, "PushButton8", "Clear List", Parent::Client, {120, 6490, 3840, 405}},
    {&C::loadSamplesButton, "PushButton11", "Load Sample/Example Files", Parent::Client, {4080, 6490, 3840, 405}},
    {&C::removeContainingButton, "PushButton12", "Remove Filenames Containing X", Parent::Client,
     {120, 7000, 3840, 405}},
    {&C::removeNotContainingButton, "PushButton13", "Remove Filenames Not Cont. X", Parent::Client,
     {4080, 7000, 3840, 405}},
    {&C::tabs, "TabControl1", "", Parent::Client, {8040, 60, 7800, 3825}},
    {&C::pairPage, "TabPage1", "Find and replace", Parent::Tabs, {}},
    {&C::setsPage, "TabPage2", "Multiple find and replace sets", Parent::Tabs, {}},
    {&C::findLabel, "Label1", " Find what (exact case):", Parent::PairPage, {240, 495, 5415, 255}},
    {&C::findText, "Text1", "", Parent::PairPage, {255, 810, 7245, 1245}},
    {&C::replaceLabel, "Label2", " Replace with:", Parent::PairPage, {240, 2115, 6615, 255}},
    {&C::replaceText, "Text2", "", Parent::PairPage, {255, 2385, 7245, 1245}},
    // The sets tab follows the look of the first tab: label over list, twice,
    // then its buttons in two rows.
    {&C::setFindLabel, "Label3", " Find what (exact case):", Parent::SetsPage, {240, 495, 5415, 255}},
    // How many sets there are, at the right over the lists.
    {&C::setCountLabel, "SetCount", "", Parent::SetsPage, {5700, 495, 1800, 255}},
    {&C::setFindList, "Combo1", "", Parent::SetsPage, {255, 810, 7245, 345}},
    {&C::setReplaceLabel, "Label4", " Replace with:", Parent::SetsPage, {240, 1305, 6615, 255}},
    {&C::setReplaceList, "Combo2", "", Parent::SetsPage, {255, 1620, 7245, 345}},
    {&C::addSetButton, "PushButton7", "Add Set", Parent::SetsPage, {255, 2205, 3555, 405}},
    {&C::removeSetButton, "PushButton6", "Remove Selected Set", Parent::SetsPage, {3945, 2205, 3555, 405}},
    {&C::clearSetsButton, "PushButton4", "Clear All Sets", Parent::SetsPage, {255, 2730, 2355, 405}},
    {&C::loadSetsButton, "PushButton5", "Load Sets", Parent::SetsPage, {2700, 2730, 2355, 405}},
    {&C::saveSetsButton, "PushButton9", "Save Sets", Parent::SetsPage, {5145, 2730, 2355, 405}},
    {&C::modeFrame, "Frame2", "Replace Option", Parent::Client, {8040, 3960, 7800, 1050}},
    {&C::viewableTextOption, "Option1", "Find and replace within viewable text in HTML file(s)", Parent::ModeFrame,
     {240, 300, 7000, 255}},
    {&C::wholeFileOption, "Option2", "Find and replace within entire file (source code and text)", Parent::ModeFrame,
     {240, 650, 6615, 255}},
    {&C::saveFrame, "Frame1", "Save Option", Parent::Client, {8040, 5070, 7800, 1815}},
    {&C::outputFolderOption, "Option4", "Save results to this folder:", Parent::SaveFrame, {240, 300, 3615, 255}},
    {&C::outputFolderFrame, "Frame3", "", Parent::SaveFrame, {480, 510, 6840, 810}},
    {&C::besideSourceOption, "Option3", "Save results in folder of original file", Parent::SaveFrame,
     {240, 1410, 3615, 255}},
    {&C::outputFolderText, "Text3", "", Parent::OutputFolderFrame, {240, 300, 5670, 345}},
    {&C::browseFolderButton, "PushButton14", "...", Parent::OutputFolderFrame, {6000, 300, 600, 345}},
    // Beside "Save results to this folder:", its right edge in line with the folder's frame.
    {&C::keepTreeBox, "KeepFolderTree", "Keep folder tree", Parent::SaveFrame, {4080, 300, 3240, 255}},
    {&C::startButton, "PushButton3", "Start Replacing", Parent::Client, {8040, 7000, 7800, 405}},
};

template <class Control>
void setCaption(Control *control, const QString &caption)
{
    if constexpr (std::is_base_of_v<QAbstractButton, Control> || std::is_same_v<Control, QLabel>)
        control->setText(caption);
    else if constexpr (std::is_same_v<Control, QGroupBox>)
        control->setTitle(caption);
}

QWidget *parentOf(const WindowControls &controls, Parent parent, QWidget *client)
{
    switch (parent) {
    case Parent::Client:
        return client;
    case Parent::Tabs:
        return nullptr;  // a page gets its parent from the tabs
    case Parent::PairPage:
        return controls.pairPage;
    case Parent::SetsPage:
        return controls.setsPage;
    case Parent::ModeFrame:
        return controls.modeFrame;
    case Parent::SaveFrame:
        return controls.saveFrame;
    case Parent::OutputFolderFrame:
        return controls.outputFolderFrame;
    }
    return client;
}

void place(QWidget *widget, const QRect &twips)
{
    widget->setGeometry(twipsToPixels(twips.left()), twipsToPixels(twips.top()), twipsToPixels(twips.width()),
                        twipsToPixels(twips.height()));
}

} // namespace

QFont productFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setBold(true);
    font.setPointSizeF(pointSize);
    return font;
}

int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

QList<QWidget *> WindowControls::pushButtons() const
{
    return {helpButton,      addFilesButton, addFolderButton, clearListButton, loadSamplesButton,
            removeContainingButton, removeNotContainingButton, addSetButton, removeSetButton, clearSetsButton,
            loadSetsButton,  saveSetsButton, browseFolderButton, startButton};
}

void WindowLayout::build(QWidget *client, WindowControls &controls)
{
    for (const ControlRow &row : kControls) {
        std::visit(
            [&](auto member) {
                using Control = std::remove_pointer_t<std::remove_reference_t<decltype(controls.*member)>>;
                auto *control = new Control(parentOf(controls, row.parent, client));
                control->setObjectName(QLatin1String(row.name));
                setCaption(control, QString::fromUtf8(row.caption));
                if constexpr (std::is_same_v<Control, QPushButton>)
                    control->setFont(productFont(kButtonPoints));
                if constexpr (std::is_same_v<Control, QTabWidget>)
                    control->tabBar()->setFont(productFont(kButtonPoints));
                controls.*member = control;
            },
            row.member);
        QWidget *widget = std::visit([&](auto member) -> QWidget * { return controls.*member; }, row.member);
        switch (row.parent) {
        case Parent::Tabs:
            controls.tabs->addTab(widget, QString::fromUtf8(row.caption));
            break;
        case Parent::PairPage:
        case Parent::SetsPage:
            m_tabPlacements.push_back({widget, row.twips});
            place(widget, row.twips.translated(0, -kTabRowTwips));
            break;
        default:
            place(widget, row.twips);
        }
    }
}

void WindowLayout::placeTabControls(const WindowControls &controls) const
{
    for (const TabPlacement &placement : m_tabPlacements) {
        const QPoint origin = placement.widget->parentWidget()->mapTo(controls.tabs, QPoint(0, 0));
        const QRect &twips = placement.twips;
        placement.widget->setGeometry(twipsToPixels(twips.left()) - origin.x(), twipsToPixels(twips.top()) - origin.y(),
                                      twipsToPixels(twips.width()), twipsToPixels(twips.height()));
    }
}

} // namespace tessaly
