#include "readoutlabel.h"

#include <QPainter>

void ReadoutLabel::paintEvent(QPaintEvent* event)
{
    const QString all = text();
    if (textFormat() == Qt::RichText || Qt::mightBeRichText(all)) {
        QLabel::paintEvent(event);
        return;
    }
    const QStringList lines = all.split(QLatin1Char('\n'));
    std::vector<QGlyphRun> runs;
    for (const QString& line : lines) {
        std::optional<QGlyphRun> run = glyphs_.run(font(), line);
        if (!run) {
            QLabel::paintEvent(event);
            return;
        }
        runs.push_back(std::move(*run));
    }
    QFrame::paintEvent(event); // the frame, when the label has one
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetrics metrics = fontMetrics();
    // Where QLabel puts plain text: inside the frame, and half an 'x' in from a frame's edge.
    QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int inset = indent() >= 0 ? indent()
                      : frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2
                                         : 0;
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignLeft)
        room.setLeft(room.left() + inset);
    else if (align & Qt::AlignRight)
        room.setRight(room.right() - inset);
    const int blockHeight = int(lines.size()) * metrics.lineSpacing();
    int top = room.top();
    if (align & Qt::AlignBottom)
        top = room.bottom() + 1 - blockHeight;
    else if (!(align & Qt::AlignTop))
        top = room.top() + (room.height() - blockHeight) / 2;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qreal width = glyphs_.width(font(), lines[i]);
        qreal x = room.left();
        if (align & Qt::AlignHCenter)
            x = room.left() + (room.width() - width) / 2;
        else if (align & Qt::AlignRight)
            x = room.right() + 1 - width;
        painter.drawGlyphRun(QPointF(x, top + i * metrics.lineSpacing() + metrics.ascent()),
                             runs[size_t(i)]);
    }
}
