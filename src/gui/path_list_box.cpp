#include "gui/path_list_box.h"

#include "gui/window_frame.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace tessaly {

namespace {

// The paths as rows all of one size, that of the widest: the list measures
// nothing row by row, however many rows there are.
class PathModel : public QAbstractListModel {
public:
    PathModel(QStringList paths, QObject *parent) : QAbstractListModel(parent), m_paths(std::move(paths)) {}

    void setRowSize(QSize size) { m_rowSize = size; }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_paths.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_paths.at(index.row());
        if (role == Qt::SizeHintRole && m_rowSize.isValid())
            return m_rowSize;
        return {};
    }

private:
    QStringList m_paths;
    QSize m_rowSize;
};

// The widest of the paths as drawn in `metrics`. Only the longest ones (in
// characters) are measured: measuring every one of a hundred thousand paths
// would hold up the box for a second or more.
int widestPath(const QStringList &paths, const QFontMetrics &metrics)
{
    constexpr qsizetype kMeasured = 64;
    std::vector<qsizetype> order(std::size_t(paths.size()));
    std::iota(order.begin(), order.end(), 0);
    const auto measured = order.begin() + std::min<qsizetype>(kMeasured, paths.size());
    std::partial_sort(order.begin(), measured, order.end(),
                      [&](qsizetype a, qsizetype b) { return paths.at(a).size() > paths.at(b).size(); });
    int widest = 0;
    for (auto i = order.begin(); i != measured; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(paths.at(*i)));
    return widest;
}

QLabel *textLabel(const QString &text, const QString &name)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

std::optional<PathListBox::Parts> PathListBox::split(const QString &text)
{
    const QStringList lines = text.split(u'\n');
    const auto isPath = [](const QString &line) { return !line.isEmpty() && QDir::isAbsolutePath(line); };
    qsizetype bestStart = 0, bestSize = 0;
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype end = i;
        while (end < lines.size() && isPath(lines.at(end)))
            ++end;
        if (end - i > bestSize)
            bestStart = i, bestSize = end - i;
        i = std::max(end, i + 1);
    }
    if (bestSize < 2)
        return std::nullopt;
    Parts parts;
    parts.before = lines.mid(0, bestStart).join(u'\n');
    while (parts.before.endsWith(u'\n'))
        parts.before.chop(1);
    parts.paths = lines.mid(bestStart, bestSize);
    parts.after = lines.mid(bestStart + bestSize).join(u'\n');
    while (parts.after.startsWith(u'\n'))
        parts.after.remove(0, 1);
    return parts;
}

PathListBox::PathListBox(QMessageBox::Icon icon, const QString &title, const Parts &parts,
                         QMessageBox::StandardButtons buttons, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setSizeGripEnabled(true);

    auto *model = new PathModel(parts.paths, this);
    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("paths"));
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setModel(model);
    // A focus frame and a little room either side of the text.
    const int margin = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1);
    const QSize rowSize(widestPath(parts.paths, m_list->fontMetrics()) + margin, m_list->fontMetrics().height() + 4);
    model->setRowSize(rowSize);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(buttons)));
    connect(m_buttons, &QDialogButtonBox::clicked, this,
            [this](QAbstractButton *button) { done(int(m_buttons->standardButton(button))); });
    for (QDialogButtonBox::StandardButton first : {QDialogButtonBox::Yes, QDialogButtonBox::Ok}) {
        if (QPushButton *button = m_buttons->button(first)) {
            button->setDefault(true);
            break;
        }
    }

    auto *texts = new QVBoxLayout;
    if (!parts.before.isEmpty())
        texts->addWidget(textLabel(parts.before, QStringLiteral("textBefore")));
    texts->addWidget(m_list, 1);
    if (!parts.after.isEmpty())
        texts->addWidget(textLabel(parts.after, QStringLiteral("textAfter")));
    auto *body = new QHBoxLayout;
    if (icon != QMessageBox::NoIcon) {
        m_icon = new QLabel;
        static const QHash<QMessageBox::Icon, QStyle::StandardPixmap> pixmaps = {
            {QMessageBox::Information, QStyle::SP_MessageBoxInformation},
            {QMessageBox::Warning, QStyle::SP_MessageBoxWarning},
            {QMessageBox::Critical, QStyle::SP_MessageBoxCritical},
            {QMessageBox::Question, QStyle::SP_MessageBoxQuestion}};
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        m_icon->setPixmap(style()->standardIcon(pixmaps.value(icon), nullptr, this).pixmap(size, size));
        m_icon->setAlignment(Qt::AlignTop);
        body->addWidget(m_icon);
    }
    body->addLayout(texts, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(m_buttons);
    fitToScreen(rowSize);
}

void PathListBox::setDefaultButton(QMessageBox::StandardButton button)
{
    if (QPushButton *chosen = m_buttons->button(QDialogButtonBox::StandardButton(int(button)))) {
        for (QAbstractButton *shown : m_buttons->buttons())
            if (auto *push = qobject_cast<QPushButton *>(shown))
                push->setDefault(push == chosen);
        chosen->setFocus();
    }
}

void PathListBox::reject()
{
    const QDialogButtonBox::StandardButtons shown = m_buttons->standardButtons();
    done(shown.testFlag(QDialogButtonBox::No) ? QMessageBox::No : QMessageBox::Ok);
}

void PathListBox::fitToScreen(QSize rowSize)
{
    const QScreen *shownOn = screen();
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    const int rows = std::min(m_list->model()->rowCount(), kShownPaths + 5);
    const int frame = 2 * m_list->frameWidth();
    const QSize list(rowSize.width() + frame + m_list->verticalScrollBar()->sizeHint().width(),
                     rows * rowSize.height() + frame);
    // Beside the list: the box's margins and the icon; above and below it the
    // words and the buttons.
    const QMargins margins = layout()->contentsMargins();
    const int beside = margins.left() + margins.right() + (m_icon ? m_icon->sizeHint().width() + layout()->spacing() : 0);
    const int width = std::min(std::max(sizeHint().width(), beside + list.width()), available.width() * 9 / 10);
    const int height = layout()->totalHeightForWidth(width) - m_list->sizeHint().height() + list.height();
    resize(width, std::min(height, available.height() - boxFrameHeight(*this)));
}

} // namespace tessaly
