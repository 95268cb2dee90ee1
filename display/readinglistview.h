#pragma once
// The reading list: one row per line of the run, drawn straight from the run's lines. Only
// the rows on screen are ever looked at, so adding a row or moving the current row costs the
// same for a run of a hundred lines as for a run of a whole day.
//
// Screen readers and automation see it as a list named "Readings" whose items are the rows,
// every row of the run, the current one selected and focused. Qt's stock list view would give
// that for free but lays out every row again on each insert, which a day-long run cannot afford.

#include <QAbstractScrollArea>
#include "glyphtext.h"

#include <QStaticText>
#include <array>
#include <utility>

class RunRows;

class ReadingListView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ReadingListView(const RunRows& lines, QWidget* parent = nullptr);

    int count() const;
    QString text(int row) const;
    int currentRow() const { return current_; }
    // Makes `row` current and scrolls it into view; -1 leaves no row current. Emits
    // currentRowChanged only when the current row really changes.
    void setCurrentRow(int row);
    // To be called after lines were added to or removed from the run.
    void linesChanged();
    // To be called after rows were added at the end, from `first` on: only they are drawn.
    void rowsAppended(int first);

    int rowHeight() const;
    // The row drawn at height `y` of the viewport; -1 below the last row.
    int rowAt(int y) const;
    // Where `row` is drawn in the viewport; it lies outside the viewport when scrolled away.
    QRect rowRect(int row) const;
    // Width that shows the longest line without a horizontal scroll bar.
    int widthForLongestLine() const;
    // Outer width of a list that shows rows of `characters` characters whole, its vertical
    // scroll bar and frame included.
    int widthForRow(int characters) const;
    QSize sizeHint() const override;

signals:
    void currentRowChanged(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int visibleRows() const;
    void updateScrollBars();
    void scrollToRow(int row);
    void updateRow(int row);
    void announceCurrentRow(bool selectionMoved);
    int textMargin() const;
    int widestCharacter() const;
    // The font's measures, taken once per font: asked at every reading.
    struct Measures {
        int rowHeight = 0;
        int textMargin = 0;
        int widestCharacter = 0;
    };
    const Measures& measures() const;

    const QStaticText& rowText(int row) const;
    void forgetRowTexts();

    const RunRows& lines_;
    mutable std::array<std::pair<int, QStaticText>, 8> recentRows_{
        {{-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}}};
    mutable size_t nextRecentRow_ = 0;
    int current_ = -1;
    mutable Measures measures_;
    // A new row comes ten times a second: rows are drawn from glyphs where they can be.
    GlyphText glyphs_;
};
