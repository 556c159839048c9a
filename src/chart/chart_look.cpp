#include "chart/chart_look.h"

#include <algorithm>
#include <cmath>

namespace mnemora {

namespace {

constexpr int kCell = 25;
constexpr int kRowHeight = 40;

ChartPanelLayout panelAt(std::string name, const ChartPanel& panel, int x, int y, int height) {
    ChartPanelLayout l;
    l.name = std::move(name);
    l.panel = panel;
    l.x = x;
    l.y = y;
    l.width = kCell;
    l.height = height;
    return l;
}

std::vector<ChartPanelLayout> buildLayout() {
    std::vector<ChartPanelLayout> out;
    const auto label = [](int number) { return "Panel" + std::to_string(number); };
    const ChartPanel fixed{kHeaderPanelTag, 0, 0};
    out.push_back(panelAt("Panel2", fixed, 0, 0, kCell));
    for (const ToneColumn& c : kToneColumns) {
        ChartPanelLayout& h = out.emplace_back(
            panelAt(label(c.number + 2), ChartPanel::header(c.number), kCell * c.number, 0, kCell));
        h.caption = std::to_string(c.number);
        h.hint = c.title;
        h.clicks = true;
        h.helpCursor = true;
    }
    out.push_back(panelAt("Panel27", fixed, 625, 0, kCell));
    for (int r = 0; r < TToneChart::kRows; ++r) {
        const int top = kCell + kRowHeight * r;
        const std::string tone(kToneRows[static_cast<std::size_t>(r)].label);
        out.emplace_back(panelAt(label(28 + 26 * r), fixed, 0, top, kRowHeight)).caption = tone;
        out.emplace_back(panelAt(label(53 + 26 * r), fixed, 625, top, kRowHeight)).caption = tone;
        for (int pos = 1; pos <= TToneChart::kPositions; ++pos) {
            const int n = TToneChart::cellNumber(r, pos);
            const ToneColumn& col =
                kToneColumns[static_cast<std::size_t>(columnOfPosition(pos) - 1)];
            int y = top;
            int h = kRowHeight;
            if (col.isSplit()) {
                h = kRowHeight / 2;
                y = pos == col.firstPosition ? top : top + h;
            }
            const bool input = TToneChart::isInputCell(n);
            ChartPanelLayout& cell = out.emplace_back(
                panelAt((n == 1 || n == 183 || n == 184 ? "P" : "p") + std::to_string(n),
                        input ? ChartPanel::inputCell(n) : ChartPanel{kResultPanelTag, 0, n},
                        kCell * col.number, y, h));
            if (n == 1) {
                cell.hint = kCell1Hint;
            }
            cell.clicks = input;
            cell.bold = true;
        }
    }
    return out;
}

// Relative luminance as screens show it.
double luminance(TColor c) {
    const auto channel = [](std::uint8_t byte) {
        const double v = byte / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(redOf(c)) + 0.7152 * channel(greenOf(c)) + 0.0722 * channel(blueOf(c));
}

}  // namespace

const std::vector<ChartPanelLayout>& chartGridLayout() {
    static const std::vector<ChartPanelLayout> layout = buildLayout();
    return layout;
}

CellLook chartCellLook(const TToneChart& chart, int n, TColor inactiveColor) {
    const TToneChart::Shade shade = chart.shade(n);
    return {chart.marked(n) ? "X" : "",
            shade == TToneChart::Shade::Inactive ? inactiveColor : shadeColor(shade)};
}

TColor inactiveCellColor(TColor grayText) {
    constexpr TColor kClassicGray = rgbColor(0x80, 0x80, 0x80);
    return hardToTellApart(grayText, clSilver) ? kClassicGray : grayText;
}

bool hardToTellApart(TColor a, TColor b) {
    // Below 1.5 to 1, two neighbouring fills read as one.
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05) < 1.5;
}

}  // namespace mnemora
