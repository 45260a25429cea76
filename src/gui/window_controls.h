// The main window's controls, each named by what it does, and the one table that
// creates them with their product names and captions and places them in twips.
#pragma once

#include <QFont>
#include <QList>
#include <QRect>

#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace tessaly {

class FileListView;

struct WindowControls {
    // Takes the focus at start and lies outside the visible area on purpose;
    // made before the table's controls, so it comes first in the focus chain.
    QPushButton *focusHolder = nullptr;
    QPushButton *helpButton = nullptr;

    FileListView *fileListView = nullptr;
    QPushButton *addFilesButton = nullptr;
    QPushButton *addFolderButton = nullptr;
    QPushButton *clearListButton = nullptr;
    QPushButton *loadSamplesButton = nullptr;
    QPushButton *removeContainingButton = nullptr;
    QPushButton *removeNotContainingButton = nullptr;

    QTabWidget *tabs = nullptr;
    QWidget *pairPage = nullptr;
    QWidget *setsPage = nullptr;
    QLabel *findLabel = nullptr;
    QPlainTextEdit *findText = nullptr;
    QLabel *replaceLabel = nullptr;
    QPlainTextEdit *replaceText = nullptr;
    QLabel *setFindLabel = nullptr;
    QLabel *setCountLabel = nullptr;
    QComboBox *setFindList = nullptr;
    QLabel *setReplaceLabel = nullptr;
    QComboBox *setReplaceList = nullptr;
    QPushButton *addSetButton = nullptr;
    QPushButton *removeSetButton = nullptr;
    QPushButton *clearSetsButton = nullptr;
    QPushButton *loadSetsButton = nullptr;
    QPushButton *saveSetsButton = nullptr;

    QGroupBox *modeFrame = nullptr;
    QRadioButton *viewableTextOption = nullptr;
    QRadioButton *wholeFileOption = nullptr;
    QGroupBox *saveFrame = nullptr;
    QRadioButton *outputFolderOption = nullptr;
    QGroupBox *outputFolderFrame = nullptr;
    QRadioButton *besideSourceOption = nullptr;
    QLineEdit *outputFolderText = nullptr;
    QPushButton *browseFolderButton = nullptr;
    QCheckBox *keepTreeBox = nullptr;

    QPushButton *startButton = nullptr;

    // The push buttons the hand pointer shows over.
    QList<QWidget *> pushButtons() const;
};

// Pixels at 96 dots per inch from the design's twips (15 twips a pixel).
int twipsToPixels(int twips);

// The product's bold Arial, for the window's text and, larger, its push buttons
// and tabs.
QFont productFont(qreal pointSize);
constexpr qreal kTextPoints = 9.0;
constexpr qreal kButtonPoints = 11.25;

// Creates every control of the table on `client`, in table order (the order of
// the focus chain), into `controls`. Controls on a tab page are placed relative
// to the whole tab control; `placeTabControls` puts them right once the pages
// are laid out.
class WindowLayout {
public:
    void build(QWidget *client, WindowControls &controls);
    void placeTabControls(const WindowControls &controls) const;

private:
    struct TabPlacement {
        QWidget *widget;
        QRect twips;
    };
    std::vector<TabPlacement> m_tabPlacements;
};

} // namespace tessaly
