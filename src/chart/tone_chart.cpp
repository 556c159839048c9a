#include "chart/tone_chart.h"

namespace mnemora {

const std::array<ToneRow, TToneChart::kRows> kToneRows = {{
    {"4.0"}, {"3.5"}, {"3.0"}, {"2.5"}, {"2.0"}, {"1.5"}, {"1.1"}, {"0.5"}, {"0.1"},
}};

const std::array<ToneColumn, TToneChart::kColumns> kToneColumns = {{
    {1, "Поведение и физиология", 1, 1, 5010},
    {2, "Медицинские показатели", 2, 2, 5020},
    {3, "Эмоции", 3, 3, 5030},
    {4, "Сексуальное поведение/Отношение к детям", 4, 5, 5040},
    {5, "Управление окружающей средой", 6, 6, 5050},
    {6, "Действительная ценность для общества по сравнению с видимой ценностью", 7, 7, 5060},
    {7, "Этический уровень", 8, 8, 5070},
    {8, "Обращение с правдой", 9, 9, 5080},
    {9, "Уровень смелости", 10, 10, 5090},
    {10, "Речь: говорит/Речь: слушает", 11, 12, 5100},
    {11, "Обращение с письменными и устными сообщениями при их передаче", 13, 13, 5110},
    {12, "Реальность(согласие)", 14, 14, 5120},
    {13, "Способность справляться с ответственностью", 15, 15, 5130},
    {14, "Настойчивость в достижении цели", 16, 16, 5140},
    {15, "Буквальность в понимании высказываний", 17, 17, 5150},
    {16, "Метод обращения с другими", 18, 18, 5160},
    {17, "Степень подверженности гипнозу", 19, 19, 5170},
    {18, "Способность испытывать удовольствие в настоящем времени", 20, 20, 5180},
    {19, "Ваша ценность в качестве друга", 21, 21, 5190},
    {20, "Как окружающие относятся к вам", 22, 22, 5200},
    {21, "Состояние принадлежащих вам вещей", 23, 23, 5210},
    {22, "Насколько хорошо вас понимают", 24, 24, 5220},
    {23, "Потенциал успеха", 25, 25, 5230},
    {24, "Потенциал выживания", 26, 26, 5240},
}};

const std::string_view kCell1Hint = "Полон сил и энергии, крепкое здоровье";

int columnOfPosition(int position) {
    for (const ToneColumn& c : kToneColumns) {
        if (position >= c.firstPosition && position <= c.lastPosition) {
            return c.number;
        }
    }
    return 0;
}

TToneChart::TToneChart() {
    for (int n = 1; n <= kCellCount; ++n) {
        shades_[static_cast<std::size_t>(n)] = isInputCell(n) ? Shade::Inactive : Shade::Shaded;
    }
}

void TToneChart::ToggleCell(int n) {
    if (!isValidCell(n)) {
        return;
    }
    const bool was = marks_[static_cast<std::size_t>(n)];
    const int pos = positionOf(n);
    for (int r = 0; r < kRows; ++r) {
        const auto m = static_cast<std::size_t>(cellNumber(r, pos));
        if (was) {
            shades_[m] = Shade::Plain;
        } else {
            shades_[m] = Shade::Shaded;
            marks_[m] = false;
        }
    }
    marks_[static_cast<std::size_t>(n)] = !was;
}

void TToneChart::RecalcTone() {
    int best = 0;
    int bestRow = 0;
    for (int r = 0; r < kRows; ++r) {
        int count = 0;
        for (int p = 1; p <= kInputPositions; ++p) {
            count += marks_[static_cast<std::size_t>(cellNumber(r, p))] ? 1 : 0;
        }
        if (count > best) {  // strictly greater: ties stay with the higher tone
            best = count;
            bestRow = r;
        }
    }
    for (int r = 0; r < kRows; ++r) {
        for (int p = kInputPositions + 1; p <= kPositions; ++p) {
            marks_[static_cast<std::size_t>(cellNumber(r, p))] = best > 0 && r == bestRow;
        }
    }
}

void TToneChart::ClearInputCells() {
    for (int n = 1; n <= kCellCount; ++n) {
        if (isInputCell(n)) {
            marks_[static_cast<std::size_t>(n)] = false;
            shades_[static_cast<std::size_t>(n)] = Shade::Plain;
        }
    }
    RecalcTone();
}

int TToneChart::markCount() const {
    int count = 0;
    for (int n = 1; n <= kCellCount; ++n) {
        count += marks_[static_cast<std::size_t>(n)] ? 1 : 0;
    }
    return count;
}

}  // namespace mnemora
