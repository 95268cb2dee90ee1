#pragma once
// What a PDF file shows, read with poppler's pdfinfo and pdftoppm (poppler-utils), so that a
// test checks the file a PDF reader sees rather than the program's own idea of it.

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

struct PdfPages {
    QString error; // why the file could not be read; empty when it was
    int pages = 0;
    QSizeF pageSize;  // of the first page, in points
    QImage firstPage; // rendered at the dpi asked for
};

PdfPages ReadPdf(const QString& path, int dpi);

// Mean difference per colour channel (0 = same, 255 = opposite) between `picture` scaled to
// `area` and what `page` shows in that area.
double MeanDifference(const QImage& page, const QRect& area, const QImage& picture);
