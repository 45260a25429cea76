// The sets tab of the main window: the find list and the replace list kept in
// step and counted, Add Set, Remove Selected Set, Clear All Sets, Load Sets and
// Save Sets.
#pragma once

#include "base/platform.h"
#include "base/settings_store.h"
#include "engine/find_replace_set.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace tessaly {

// The entries of a set list, in order.
QStringList itemTexts(const QComboBox &combo);

class SetsController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QComboBox *findList;
        QComboBox *replaceList;
        QPushButton *addSetButton;
        QPushButton *removeSetButton;
        QPushButton *clearSetsButton;
        QPushButton *loadSetsButton;
        QPushButton *saveSetsButton;
        QLabel *setCount;  // "No sets", "1 set", "12 sets"
    };

    // The Load Sets dialog opens over `window` and leaves the pointer alone while
    // `window` is busy.
    SetsController(QWidget &window, Platform &platform, SettingsStore &settings, Controls controls);

public slots:
    void addSet();
    void removeSelectedSet();
    void clearSets();
    void loadSets();
    void saveSets();

private:
    // Appends one set to both lists and keeps their selection as it was.
    void appendSet(const FindReplaceSet &set);
    // Selects entry index in both set lists at once.
    void showSetInBothLists(int index);
    // The number of sets beside the lists, and what an empty choice in them means.
    void showSetCount();

    QWidget &m_window;
    Platform &m_platform;
    SettingsStore &m_settings;
    Controls m_controls;
};

} // namespace tessaly
