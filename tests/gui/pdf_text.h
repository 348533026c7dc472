// What a PDF holds as pdftotext (poppler-utils) reads it: each page's size, its text laid out
// as on paper, and its words with their boxes, in points from the top left corner.
#pragma once

#include <QString>
#include <vector>

namespace tessel::test::gui {

struct PdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

struct PdfPage {
    double width = 0;
    double height = 0;
    QString text;  // pdftotext -layout
    std::vector<PdfWord> words;
    // The words grouped into lines from the top, each line's words from the left.
    std::vector<std::vector<PdfWord>> Lines() const;
};

// The pages of the file; fails the calling test (and returns none) when pdftotext is missing
// or cannot read the file.
std::vector<PdfPage> ReadPdf(const QString& path);

// Points (1/72 inch) from twips (1/1440 inch).
inline double PointsFromTwips(double twips) {
    return twips / 20.0;
}

}  // namespace tessel::test::gui
