#include "pdf_text.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tessel::test::gui {

namespace {

// Words whose tops differ by less than this stand on one line.
constexpr double kSameLinePoints = 1.0;

QString RunPdfToText(const QStringList& arguments) {
    QProcess process;
    process.start("pdftotext", arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext " << arguments.join(' ').toStdString()
                      << " failed (is poppler-utils installed?): "
                      << process.errorString().toStdString() << " "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Unescape(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'");
    return text.replace("&amp;", "&");
}

}  // namespace

std::vector<std::vector<PdfWord>> PdfPage::Lines() const {
    std::vector<PdfWord> sorted = words;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
    std::vector<std::vector<PdfWord>> lines;
    for (const PdfWord& word : sorted) {
        if (lines.empty() || std::abs(lines.back().front().yMin - word.yMin) >= kSameLinePoints)
            lines.emplace_back();
        lines.back().push_back(word);
    }
    for (auto& line : lines) {
        std::stable_sort(line.begin(), line.end(),
                         [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
    }
    return lines;
}

std::vector<PdfPage> ReadPdf(const QString& path) {
    std::vector<PdfPage> pages;
    const QString boxes = RunPdfToText({"-bbox", path, "-"});
    static const QRegularExpression pageTag(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
    static const QRegularExpression wordTag(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">(.*?)</word>)re");
    for (const QString& line : boxes.split('\n')) {
        if (const auto page = pageTag.match(line); page.hasMatch()) {
            pages.push_back({page.captured(1).toDouble(), page.captured(2).toDouble(), {}, {}});
        } else if (const auto word = wordTag.match(line); word.hasMatch() && !pages.empty()) {
            pages.back().words.push_back({Unescape(word.captured(5)), word.captured(1).toDouble(),
                                          word.captured(2).toDouble(), word.captured(3).toDouble(),
                                          word.captured(4).toDouble()});
        }
    }
    const QStringList texts = RunPdfToText({"-layout", path, "-"}).split('\f');
    for (size_t i = 0; i < pages.size() && i < static_cast<size_t>(texts.size()); ++i)
        pages[i].text = texts[static_cast<qsizetype>(i)];
    return pages;
}

}  // namespace tessel::test::gui
