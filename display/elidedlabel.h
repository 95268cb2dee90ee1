#pragma once
// A one-line label that ends its text with "…" where the text is wider than the label, instead
// of cutting a word in two. text() and what a screen reader reads stay the whole text.

#include <QLabel>

class ElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
