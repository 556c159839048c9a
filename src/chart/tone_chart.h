#pragma once

#include <array>
#include <string_view>

namespace mnemora {

// The tone-scale grid: 9 tone rows by 26 positions. Cell N = 26 * row + pos,
// N in 1..234; positions 1..20 are marked by the user, 21..26 hold the result.
class TToneChart {
public:
    enum class Shade { Inactive, Plain, Shaded };

    static constexpr int kRows = 9;
    static constexpr int kPositions = 26;
    static constexpr int kInputPositions = 20;
    static constexpr int kCellCount = kRows * kPositions;  // 234
    static constexpr int kColumns = 24;

    TToneChart();

    // Marks or unmarks cell N and re-shades its sub-column; the result is left
    // as it was. Numbers outside 1..234 are ignored.
    void ToggleCell(int n);
    // The topmost row with the most marked input cells gets its six result cells marked.
    void RecalcTone();
    // Every input cell empty and plain, then the result recomputed.
    void ClearInputCells();

    static constexpr bool isValidCell(int n) { return n >= 1 && n <= kCellCount; }
    static constexpr int rowOf(int n) { return (n - 1) / kPositions; }
    static constexpr int positionOf(int n) { return (n - 1) % kPositions + 1; }
    static constexpr int cellNumber(int row, int position) { return kPositions * row + position; }
    static constexpr bool isInputCell(int n) { return isValidCell(n) && positionOf(n) <= kInputPositions; }

    [[nodiscard]] bool marked(int n) const { return isValidCell(n) && marks_[static_cast<std::size_t>(n)]; }
    [[nodiscard]] Shade shade(int n) const { return isValidCell(n) ? shades_[static_cast<std::size_t>(n)] : Shade::Inactive; }
    [[nodiscard]] int markCount() const;

private:
    // Index 0 is unused so that cell numbers index directly.
    std::array<bool, kCellCount + 1> marks_{};
    std::array<Shade, kCellCount + 1> shades_{};
};

struct ToneRow {
    std::string_view label;  // shown at both ends of the row
};

struct ToneColumn {
    int number;                 // 1..24, the header's caption
    std::string_view title;     // the header's hint; split columns join both halves with "/"
    int firstPosition;          // the upper half for a split column
    int lastPosition;           // equal to firstPosition unless split
    int helpContext;            // 5000 + 10 * number
    [[nodiscard]] bool isResult() const { return firstPosition > TToneChart::kInputPositions; }
    [[nodiscard]] bool isSplit() const { return lastPosition != firstPosition; }
};

extern const std::array<ToneRow, TToneChart::kRows> kToneRows;
extern const std::array<ToneColumn, TToneChart::kColumns> kToneColumns;

inline constexpr int kChartHelpContext = 5000;
constexpr int columnHelpContext(int column) { return kChartHelpContext + 10 * column; }

// The column that shows a position (1..26), or 0 for a bad position.
int columnOfPosition(int position);
// Hint of cell 1, the only cell that has one.
extern const std::string_view kCell1Hint;

}  // namespace mnemora
