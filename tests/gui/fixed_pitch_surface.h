// A printer page for the layout tests: every letter is 100 twips wide and every line 200
// twips high (unless told otherwise), so that every position can be worked out by hand. It
// records what is drawn on which page.
#pragma once

#include <QString>
#include <vector>

#include "app/printing/print_layout.h"

namespace tessel::test::gui {

inline constexpr double kLetter = 100;
inline constexpr double kLine = 200;

struct Drawn {
    int page;
    double x;
    double y;
    QString text;
};

class FixedPitchSurface : public app::PrintSurface {
  public:
    FixedPitchSurface(double width, double height, double line = kLine)
        : width_(width), height_(height), line_(line) {}

    double PrintableWidth() const override { return width_; }
    double PrintableHeight() const override { return height_; }
    double TextWidth(const QString& text) const override { return kLetter * text.size(); }
    double LineHeight() const override { return line_; }
    void DrawText(double x, double y, const QString& text) override {
        drawn.push_back({page, x, y, text});
    }
    void NewPage() override {
        ++page;
        ++newPages;
    }

    // The words drawn on a page with their top edges, footers left out.
    std::vector<Drawn> OnPage(int wanted) const {
        std::vector<Drawn> found;
        for (const Drawn& d : drawn) {
            if (d.page == wanted && !d.text.startsWith("Page "))
                found.push_back(d);
        }
        return found;
    }
    std::vector<Drawn> Footers() const {
        std::vector<Drawn> found;
        for (const Drawn& d : drawn) {
            if (d.text.startsWith("Page "))
                found.push_back(d);
        }
        return found;
    }

    std::vector<Drawn> drawn;
    int page = 1;
    int newPages = 0;

  private:
    double width_;
    double height_;
    double line_;
};

}  // namespace tessel::test::gui
