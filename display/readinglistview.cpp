#include "readinglistview.h"

#include "runlines.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

ReadingListView::ReadingListView(const RunLines& lines, QWidget* parent)
    : QAbstractScrollArea(parent), lines_(lines)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
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

int ReadingListView::rowHeight() const
{
    return fontMetrics().lineSpacing() + 2;
}

int ReadingListView::textMargin() const
{
    return fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

int ReadingListView::widestCharacter() const
{
    // Every character of a reading is a digit, a point, a sign or a blank; the widest of
    // them stands for all, so the width is right in any font.
    int widest = 0;
    for (const QChar c : QStringLiteral("0123456789.- "))
        widest = std::max(widest, fontMetrics().horizontalAdvance(c));
    return widest;
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

void ReadingListView::linesChanged()
{
    updateScrollBars();
    if (current_ >= count()) {
        current_ = -1;
        emit currentRowChanged(current_);
    }
    viewport()->update();
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
    emit currentRowChanged(current_);
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
        // A single line of plain characters needs no text layout.
        painter.drawText(QPoint(left, band.top() + baseline), lines_.line(row));
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
    updateScrollBars();
    if (current_ >= 0)
        scrollToRow(current_);
}

void ReadingListView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}
