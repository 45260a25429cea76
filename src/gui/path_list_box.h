// A box whose text names many paths (the question about files that are not
// HTML): the words before and after the paths stay in view, and the paths scroll
// in a list between them that lays out only the rows in sight, so a box naming
// 150,000 files opens and closes at once. It shows at least ten paths whole (as
// far as 90% of the screen's width allows) and can be resized.
#pragma once

#include <QDialog>
#include <QMessageBox>

#include <optional>

class QDialogButtonBox;
class QLabel;
class QListView;

namespace tessaly {

class PathListBox : public QDialog {
    Q_OBJECT
public:
    // A box's text split around its paths.
    struct Parts {
        QString before;
        QStringList paths;
        QString after;
    };
    // The longest run of two or more lines that are all absolute paths, with the
    // text before and after it (without the blank lines that set the run apart);
    // nullopt when no such run is there.
    static std::optional<Parts> split(const QString &text);

    PathListBox(QMessageBox::Icon icon, const QString &title, const Parts &parts,
                QMessageBox::StandardButtons buttons, QWidget *parent = nullptr);

    // The rows a box shows at least, when it has as many paths and the screen the room.
    static constexpr int kShownPaths = 10;

    // The button Enter presses (Yes, or OK in a box without Yes, unless set).
    void setDefaultButton(QMessageBox::StandardButton button);

    // exec() returns the pressed button (QMessageBox::StandardButton); Esc and
    // closing the box answer No, or OK in a box without No.
    void reject() override;

private:
    // Wide enough for the widest path and tall enough for kShownPaths and a few
    // more, within the screen.
    void fitToScreen(QSize rowSize);

    QLabel *m_icon = nullptr;
    QListView *m_list = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace tessaly
