#pragma once
// Text drawn from glyphs looked up once per character, without laying the text out: read-outs
// and list rows change ten times a second while recording, and laying out each new text
// (shaping it) costs more than drawing it. Only for simple text, one glyph per character, as
// digits, signs and plain words are in the fonts the program uses; anything else is left to
// the caller to draw the usual way.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <optional>

class GlyphText
{
public:
    // The glyphs of `text` in `font`, placed along the baseline from x = 0; nothing when a
    // character has no glyph of its own in the font.
    std::optional<QGlyphRun> run(const QFont& font, QStringView text);
    // The width of the run of `text`; meaningful when run() gives one.
    qreal width(const QFont& font, QStringView text);

private:
    struct Glyph {
        quint32 index = 0; // 0: none
        qreal advance = 0;
    };
    const Glyph& glyph(QChar c);
    void useFont(const QFont& font);

    QFont font_;
    bool fontSet_ = false;
    QRawFont raw_;
    QHash<char16_t, Glyph> glyphs_;
};
