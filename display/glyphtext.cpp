#include "glyphtext.h"

#include <QList>
#include <QPointF>

void GlyphText::useFont(const QFont& font)
{
    if (fontSet_ && font == font_)
        return;
    font_ = font;
    fontSet_ = true;
    raw_ = QRawFont::fromFont(font);
    glyphs_.clear();
}

const GlyphText::Glyph& GlyphText::glyph(QChar c)
{
    auto found = glyphs_.find(c.unicode());
    if (found != glyphs_.end())
        return *found;
    Glyph g;
    // A surrogate, a mark that combines with its neighbour, or a character the font lacks
    // needs the text laid out.
    if (raw_.isValid() && !c.isSurrogate() && !c.isMark()) {
        const QList<quint32> index = raw_.glyphIndexesForString(QString(c));
        if (index.size() == 1 && index[0] != 0) {
            g.index = index[0];
            g.advance = raw_.advancesForGlyphIndexes(index).value(0).x();
        }
    }
    return *glyphs_.insert(c.unicode(), g);
}

std::optional<QGlyphRun> GlyphText::run(const QFont& font, QStringView text)
{
    useFont(font);
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    qreal x = 0;
    for (const QChar c : text) {
        const Glyph& g = glyph(c);
        if (g.index == 0)
            return std::nullopt;
        indexes << g.index;
        positions << QPointF(x, 0);
        x += g.advance;
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}

qreal GlyphText::width(const QFont& font, QStringView text)
{
    useFont(font);
    qreal x = 0;
    for (const QChar c : text)
        x += glyph(c).advance;
    return x;
}
