#include "readinglistview.h"

#include "runsample.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>

namespace
{

// One row of the list as screen readers see it. It holds the row number, not the text, so it
// always reads what the list shows now.
class ReadingRowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ReadingRowAccessible(ReadingListView* list, int row) : list_(list), row_(row) {}

    int row() const { return row_; }

    bool isValid() const override { return list_ && row_ < list_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && list_ ? list_->text(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect band = list_->rowRect(row_);
        return QRect(list_->viewport()->mapToGlobal(band.topLeft()), band.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid())
            return st;
        st.selectable = true;
        st.focusable = true;
        // As in Qt's own item views: the current row is the selected and the focused one.
        st.selected = st.focused = row_ == list_->currentRow();
        st.invisible = !list_->viewport()->rect().intersects(list_->rowRect(row_));
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    // Pressing a row is a click on it: it becomes current and the graph cursor follows.
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            list_->setCurrentRow(row_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<ReadingListView> list_;
    const int row_;
};

class ReadingListAccessible final : public QAccessibleWidget
{
public:
    explicit ReadingListAccessible(ReadingListView* list)
        : QAccessibleWidget(list, QAccessible::List)
    {
    }
    ~ReadingListAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(rows_))
            QAccessible::deleteAccessibleInterface(id);
    }

    // The rows are the children; the scroll bars are only a way of showing them.
    int childCount() const override { return list()->count(); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= list()->count())
            return nullptr;
        if (const auto found = rows_.constFind(index); found != rows_.cend())
            return QAccessible::accessibleInterface(*found);
        // A reader that follows the newest row through a day-long run would otherwise keep one
        // interface per reading; rows it no longer holds are made again when asked for.
        if (rows_.size() >= kMostRowsKept)
            forgetRowsBut(list()->currentRow());
        auto* row = new ReadingRowAccessible(list(), index);
        rows_.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* row = dynamic_cast<const ReadingRowAccessible*>(child);
        return row && row->isValid() && row->parent() == this ? row->row() : -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint at = list()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!list()->viewport()->rect().contains(at))
            return nullptr;
        const int row = list()->rowAt(at.y());
        return row >= 0 ? child(row) : nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        const int row = list()->currentRow();
        return row >= 0 ? child(row) : nullptr;
    }

private:
    static constexpr qsizetype kMostRowsKept = 10000;

    ReadingListView* list() const { return static_cast<ReadingListView*>(widget()); }

    void forgetRowsBut(int keep) const
    {
        for (auto it = rows_.begin(); it != rows_.end();) {
            if (it.key() == keep) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it.value());
            it = rows_.erase(it);
        }
    }

    mutable QHash<int, QAccessible::Id> rows_;
};

QAccessibleInterface* readingListAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("ReadingListView") && object && object->isWidgetType())
        return new ReadingListAccessible(static_cast<ReadingListView*>(object));
    return nullptr;
}

} // namespace

ReadingListView::ReadingListView(const RunRows& lines, QWidget* parent)
    : QAbstractScrollArea(parent), lines_(lines)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(readingListAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setAccessibleName(QStringLiteral("Readings"));
    setAccessibleDescription(
        QStringLiteral("One row per reading, oldest first: the run time in seconds, then the "
                       "temperature of each channel in the unit named above the list."));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    // The scroll bar repaints with every reading. Drawn with the style's gradients, its tall
    // groove is filled by Qt's GUI thread pool, waking two more threads ten times a second;
    // plain colours are filled on this thread at a fraction of the cost.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: palette(window); width: 14px; margin: 0; }"
        "QScrollBar::handle:vertical { background: palette(mid); min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"));
    updateScrollBars();
}

int ReadingListView::count() const
{
    return static_cast<int>(lines_.size());
}

QString ReadingListView::text(int row) const
{
    return row >= 0 && row < count() ? lines_.line(row) : QString();
}

const ReadingListView::Measures& ReadingListView::measures() const
{
    if (measures_.rowHeight > 0)
        return measures_;
    const QFontMetrics metrics = fontMetrics();
    measures_.rowHeight = metrics.lineSpacing() + 2;
    measures_.textMargin = metrics.horizontalAdvance(QLatin1Char(' '));
    // Every character of a reading is a digit, a point, a sign or a blank; the widest of
    // them stands for all, so the width is right in any font.
    measures_.widestCharacter = 0;
    for (const QChar c : QStringLiteral("0123456789.- "))
        measures_.widestCharacter =
            std::max(measures_.widestCharacter, metrics.horizontalAdvance(c));
    return measures_;
}

int ReadingListView::rowHeight() const
{
    return measures().rowHeight;
}

int ReadingListView::textMargin() const
{
    return measures().textMargin;
}

int ReadingListView::widestCharacter() const
{
    return measures().widestCharacter;
}

int ReadingListView::widthForLongestLine() const
{
    return static_cast<int>(lines_.longestLine()) * widestCharacter() + 2 * textMargin();
}

int ReadingListView::widthForRow(int characters) const
{
    return characters * widestCharacter() + 2 * textMargin() +
           verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

QSize ReadingListView::sizeHint() const
{
    return {widthForLongestLine() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth(),
            10 * rowHeight()};
}

int ReadingListView::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

void ReadingListView::updateScrollBars()
{
    const int rows = visibleRows();
    verticalScrollBar()->setRange(0, std::max(0, count() - rows));
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    const int wide = widthForLongestLine() - viewport()->width();
    horizontalScrollBar()->setRange(0, std::max(0, wide));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(std::max(1, textMargin()));
}

const QStaticText& ReadingListView::rowText(int row) const
{
    // A new row is drawn twice, current and then no longer: its text is laid out once. The
    // rows of a run never change while it is on screen (linesChanged forgets them).
    for (const auto& [cachedRow, text] : recentRows_)
        if (cachedRow == row)
            return text;
    auto& slot = recentRows_[nextRecentRow_++ % recentRows_.size()];
    slot.first = row;
    // A row wider than the list (a long event) ends in "…"; the rows of readings set the
    // list's width, and the whole text is what a screen reader reads.
    slot.second = QStaticText(fontMetrics().elidedText(
        lines_.line(row), Qt::ElideRight, std::max(1, viewport()->width() - 2 * textMargin())));
    slot.second.setTextFormat(Qt::PlainText);
    slot.second.prepare(QTransform(), font());
    return slot.second;
}

void ReadingListView::forgetRowTexts()
{
    for (auto& slot : recentRows_)
        slot.first = -1;
}

void ReadingListView::linesChanged()
{
    forgetRowTexts();
    updateScrollBars();
    if (current_ >= count()) {
        current_ = -1;
        emit currentRowChanged(current_);
    }
    viewport()->update();
}

void ReadingListView::rowsAppended(int first)
{
    updateScrollBars();
    for (int row = std::max(first, verticalScrollBar()->value()); row < count(); ++row) {
        if (row - verticalScrollBar()->value() > visibleRows())
            break;
        updateRow(row);
    }
}

void ReadingListView::scrollToRow(int row)
{
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
}

void ReadingListView::setCurrentRow(int row)
{
    if (row < -1 || row >= count())
        return;
    if (row >= 0)
        scrollToRow(row);
    if (row == current_)
        return;
    updateRow(current_);
    current_ = row;
    updateRow(current_);
    announceCurrentRow(true);
    emit currentRowChanged(current_);
}

void ReadingListView::announceCurrentRow(bool selectionMoved)
{
    // Without a listening screen reader this is one test; no row interface is made.
    if (current_ < 0 || !QAccessible::isActive())
        return;
    if (selectionMoved) {
        QAccessibleEvent selection(this, QAccessible::Selection);
        selection.setChild(current_);
        QAccessible::updateAccessibility(&selection);
    }
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current_);
        QAccessible::updateAccessibility(&focus);
    }
}

void ReadingListView::updateRow(int row)
{
    const int onScreen = row - verticalScrollBar()->value();
    if (row >= 0 && onScreen >= 0 && onScreen <= visibleRows())
        viewport()->update(0, onScreen * rowHeight(), viewport()->width(), rowHeight());
}

void ReadingListView::scrollContentsBy(int dx, int dy)
{
    // Only the rows that come into view are drawn; the rest of the picture moves.
    viewport()->scroll(dx, dy * rowHeight());
}

int ReadingListView::rowAt(int y) const
{
    const int row = verticalScrollBar()->value() + y / rowHeight();
    return row < count() ? row : -1;
}

QRect ReadingListView::rowRect(int row) const
{
    return QRect(-horizontalScrollBar()->value(),
                 (row - verticalScrollBar()->value()) * rowHeight(),
                 std::max(viewport()->width(), widthForLongestLine()), rowHeight());
}

void ReadingListView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const int height = rowHeight();
    const int first = verticalScrollBar()->value() + event->rect().top() / height;
    const int last =
        std::min(count() - 1, verticalScrollBar()->value() + event->rect().bottom() / height);
    const int left = textMargin() - horizontalScrollBar()->value();
    const int width = viewport()->width();
    const QFontMetrics metrics = fontMetrics();
    const int baseline = (height - metrics.height()) / 2 + metrics.ascent();
    for (int row = first; row <= last; ++row) {
        const QRect band(0, (row - verticalScrollBar()->value()) * height, width, height);
        const bool current = row == current_;
        if (current)
            painter.fillRect(band, palette().brush(QPalette::Highlight));
        painter.setPen(palette().color(current ? QPalette::HighlightedText : QPalette::Text));
        const QString line = lines_.line(row);
        const std::optional<QGlyphRun> glyphs = glyphs_.run(font(), line);
        if (glyphs && glyphs_.width(font(), line) <= width - 2 * textMargin())
            painter.drawGlyphRun(QPointF(left, band.top() + baseline), *glyphs);
        else
            painter.drawStaticText(left, band.top() + baseline - metrics.ascent(), rowText(row));
    }
}

void ReadingListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int row = rowAt(event->position().toPoint().y());
    if (row >= 0)
        setCurrentRow(row);
}

void ReadingListView::keyPressEvent(QKeyEvent* event)
{
    if (count() == 0)
        return QAbstractScrollArea::keyPressEvent(event);
    const int last = count() - 1;
    const int from = std::max(current_, 0);
    int to = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        to = current_ < 0 ? 0 : from - 1;
        break;
    case Qt::Key_Down:
        to = current_ < 0 ? 0 : from + 1;
        break;
    case Qt::Key_PageUp:
        to = from - visibleRows();
        break;
    case Qt::Key_PageDown:
        to = from + visibleRows();
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = last;
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    setCurrentRow(std::clamp(to, 0, last));
}

void ReadingListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    forgetRowTexts(); // their ends were cut for the old width
    updateScrollBars();
    if (current_ >= 0)
        scrollToRow(current_);
}

void ReadingListView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    announceCurrentRow(false);
}

void ReadingListView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measures_ = {};
        forgetRowTexts();
        updateScrollBars();
    }
}
