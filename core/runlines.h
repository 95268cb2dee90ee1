#pragma once
// The recorded run: one text line per reading, in the order taken, each with its run time.
// A whole day at ten readings a second is 864,000 lines, so the lines are kept as packed
// Latin-1 bytes in fixed-size pages (no reallocation of the whole run as it grows) and every
// operation a sample needs costs the same at row 100 and at row 800,000.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <memory>
#include <vector>

class RunLines
{
public:
    RunLines();
    ~RunLines();
    RunLines(const RunLines&) = delete;
    RunLines& operator=(const RunLines&) = delete;

    // Adds a line (without line end) and its run time: the number before its first blank.
    void append(const QString& line);
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    QString line(qsizetype row) const;
    float time(qsizetype row) const { return times_[static_cast<size_t>(row)]; }
    // Longest line held, in characters.
    qsizetype longestLine() const { return longest_; }

    // Every line followed by CR LF: the run as it is saved.
    QString text() const;

    // The row whose time is nearest to `target`; of rows at the same distance the first wins.
    // Rows farther than `maxDistance` are never preferred to row 0. -1 when there is no row.
    // A binary search while the times never decrease (always, unless the clock was set back
    // during the run); a scan otherwise, with the same result.
    qsizetype nearestRow(float target, float maxDistance) const;

private:
    struct Row {
        quint32 page;
        quint32 offset;
        quint32 length;
    };
    // Lines never straddle two pages; a page holds at least one line, however long.
    static constexpr qsizetype kPageBytes = 256 * 1024;

    std::vector<std::unique_ptr<QByteArray>> pages_;
    std::deque<Row> rows_;
    std::deque<float> times_;
    bool timesOrdered_ = true;
    qsizetype longest_ = 0;
};
