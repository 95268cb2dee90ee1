#pragma once
// A label whose text changes with every reading (the time read-out, the spread and rates): it
// draws its lines from glyphs looked up once, and is a QLabel in every other respect.

#include "glyphtext.h"

#include <QLabel>

class ReadoutLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    GlyphText glyphs_;
};
