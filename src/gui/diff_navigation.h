// The bar above a DiffView that steps through its changes: Previous Change and
// Next Change (as Shift+F8 and F8 do) and where the current line is ("change 2
// of 5 — file 2 of 20,000").
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tessaly {

class DiffView;

class DiffNavigation : public QWidget {
    Q_OBJECT
public:
    explicit DiffNavigation(DiffView *view, QWidget *parent = nullptr);

    // Where the view's file is among others ("file 2 of 20,000"; empty when
    // alone), and whether files before or after it have changes to step on to.
    void setFilePosition(const QString &position, bool changesBefore, bool changesAfter);

private:
    void showPosition();

    DiffView *m_view;
    QPushButton *m_previous;
    QPushButton *m_next;
    QLabel *m_position;
    QString m_filePosition;
    bool m_changesBefore = false;
    bool m_changesAfter = false;
};

} // namespace tessaly
