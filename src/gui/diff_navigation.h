// The bar above a DiffView that steps through its changes: Previous Change and
// Next Change (as Shift+F8 and F8 do) and where the current line is ("change 2
// of 5").
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

private:
    void showPosition();

    DiffView *m_view;
    QPushButton *m_previous;
    QPushButton *m_next;
    QLabel *m_position;
};

} // namespace tessaly
