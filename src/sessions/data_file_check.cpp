#include "sessions/data_file_check.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>

#include "core/cp1251.h"

namespace mnemora {
namespace {

constexpr int kLists = 30;
constexpr const char* kDefaultHeader = "Можете ли Вы вспомнить:";

// How a section or key name stands to the decimal numbers the reader asks for.
struct NumberName {
    enum class Kind { None, Exact, NeverRead } kind = Kind::None;
    std::uint64_t value = 0;  // Exact: the number
    std::string why;          // NeverRead: what is wrong with it
    std::string meant;        // NeverRead: the name the reader would find, when there is one
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

NumberName classifyNumber(std::string_view s) {
    NumberName r;
    if (s.empty()) {
        return r;
    }
    if (std::all_of(s.begin(), s.end(), isDigit)) {
        if (s.size() > 1 && s.front() == '0') {
            r.kind = NumberName::Kind::NeverRead;
            r.why = "номер пишется без нулей впереди";
            const auto first = s.find_first_not_of('0');
            r.meant = first == std::string_view::npos ? "0" : std::string(s.substr(first));
            return r;
        }
        r.kind = NumberName::Kind::Exact;
        // More digits than any file could number up to: the reader never gets there.
        r.value = s.size() > 18 ? std::numeric_limits<std::uint64_t>::max() : std::stoull(std::string(s));
        return r;
    }
    // A sign, blanks inside or leading zeros around digits: meant as a number.
    std::string_view rest = s;
    char sign = 0;
    if (rest.front() == '+' || rest.front() == '-') {
        sign = rest.front();
        rest.remove_prefix(1);
    }
    std::string digits;
    bool blanks = false;
    for (char c : rest) {
        if (isDigit(c)) {
            digits += c;
        } else if (isBlank(c)) {
            blanks = true;
        } else {
            return r;
        }
    }
    if (digits.empty()) {
        return r;
    }
    std::vector<std::string> reasons;
    if (sign != 0) {
        reasons.emplace_back("без знака");
    }
    if (digits.size() > 1 && digits.front() == '0') {
        reasons.emplace_back("без нулей впереди");
    }
    if (blanks) {
        reasons.emplace_back("без пробелов");
    }
    r.kind = NumberName::Kind::NeverRead;
    r.why = "номер пишется";
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        r.why += (i == 0 ? " " : (i + 1 == reasons.size() ? " и " : ", ")) + reasons[i];
    }
    if (sign != '-') {
        const auto first = digits.find_first_not_of('0');
        r.meant = first == std::string::npos ? "0" : digits.substr(first);
    }
    return r;
}

std::string inQuotes(std::string_view s) { return "«" + std::string(s) + "»"; }

// The start of a long UTF-8 text, so that one finding stays one short line.
std::string excerpt(const std::string& utf8, std::size_t maxChars = 60) {
    std::size_t pos = 0;
    for (std::size_t chars = 0; pos < utf8.size(); ++chars) {
        if (chars == maxChars) {
            return utf8.substr(0, pos) + "…";
        }
        const std::size_t start = pos;
        if (!decodeUtf8(utf8, pos)) {
            pos = start + 1;
        }
    }
    return utf8;
}

// A numbered key of a read section, as few bytes as will do: a file of
// nothing but short keys must not cost many times its size. Its name and
// value are read again from the line when needed.
struct KeyAt {
    // Numbers past what 32 bits hold share the last one: the reader never
    // gets that far in a file of at most 64 MiB, and only the same name is
    // the same key.
    std::uint32_t number = 0;
    std::uint32_t line = 0;
    std::uint32_t offset = 0;  // where the line's text starts in the file
};
constexpr std::uint32_t kFarNumber = std::numeric_limits<std::uint32_t>::max();
// A deque grows without leaving half its room unused.
using Keys = std::deque<KeyAt>;

// "ключ 3 (строка 5)" / "ключи 3–6 (строки 5–8), 9 (строка 12)", of keys
// sorted by number; `nameOf` gives a key's name as written, UTF-8.
template <class NameOf>
std::string describeKeys(const Keys::const_iterator& begin, const Keys::const_iterator& end, NameOf nameOf) {
    constexpr std::size_t kShownRuns = 8;
    // Runs of consecutive numbers on consecutive lines are shown as one range.
    std::string out = std::distance(begin, end) == 1 ? "ключ " : "ключи ";
    std::size_t runs = 0;
    std::size_t more = 0;
    for (auto first = begin; first != end;) {
        auto last = first;
        while (std::next(last) != end && std::next(last)->number == last->number + 1 &&
               std::next(last)->line == last->line + 1) {
            ++last;
        }
        if (runs < kShownRuns) {
            if (runs > 0) {
                out += ", ";
            }
            if (first == last) {
                out += nameOf(*first) + " (строка " + std::to_string(first->line) + ")";
            } else {
                out += nameOf(*first) + "–" + nameOf(*last) + " (строки " + std::to_string(first->line) + "–" +
                       std::to_string(last->line) + ")";
            }
        } else {
            more += static_cast<std::size_t>(std::distance(first, last)) + 1;
        }
        ++runs;
        first = std::next(last);
    }
    if (more > 0) {
        out += " и ещё " + std::to_string(more);
    }
    return out;
}

// The characters of cp1251 bytes 0x80-0xBF: what the second byte of a UTF-8
// Cyrillic letter becomes when UTF-8 is taken for Windows-1251.
bool isCp1251HighSymbol(char32_t cp) {
    const auto b = codePointToCp1251(cp);
    return b && *b >= 0x80 && *b < 0xC0;
}

class Checker {
public:
    explicit Checker(const IniSnapshot& file) : file_(file), enc_(file.encoding()) {}

    DataFileReport run() {
        switch (file_.status()) {
            case ReadStatus::Ok:
                break;
            case ReadStatus::Missing:
                return fail("файла нет");
            case ReadStatus::NotRegular:
                return fail("это не обычный файл (папка, канал или устройство): Мнемора его не читает");
            case ReadStatus::TooLarge:
                return fail("файл больше " + std::to_string(kMaxDataFileBytes >> 20) +
                            " МиБ: Мнемора его не читает");
            case ReadStatus::Failed:
                return fail("файл не читается: нет права на чтение или ошибка чтения");
        }
        if (file_.text().size() > std::numeric_limits<std::uint32_t>::max()) {
            return fail("файл больше " + std::to_string(kMaxDataFileBytes >> 20) + " МиБ: Мнемора его не читает");
        }
        checkEncoding();
        gatherLines();
        checkPerceptions();
        for (int list = 1; list <= kLists; ++list) {
            checkList(list);
        }
        return finish();
    }

private:
    // A section the reader reads (the first [Disk], the first of each list)
    // and its numbered keys; the others are never looked into.
    struct Section {
        std::size_t line = 0;
        std::string_view name;
        Keys keys;
    };
    // A finding and the order it was made in, for the same line.
    struct Numbered {
        Finding finding;
        std::uint64_t order = 0;
    };
    static bool before(const Numbered& a, const Numbered& b) {
        return a.finding.line != b.finding.line ? a.finding.line < b.finding.line : a.order < b.order;
    }

    DataFileReport fail(std::string text) {
        add(FindingLevel::Error, 0, std::move(text));
        return finish();
    }

    // Every finding is counted; of those about lines only the first
    // kMaxShownFindings by line are kept, so that a file of millions of
    // faulty lines costs no more than a screenful of them each.
    void add(FindingLevel level, std::size_t line, std::string text) {
        if (countedOnly(level, line)) {
            return;
        }
        ++report_.levelCounts[static_cast<std::size_t>(level)];
        // A heap with the last finding by line on top, to be let go first.
        kept_.push_back({{level, line, std::move(text)}, order_++});
        std::push_heap(kept_.begin(), kept_.end(), before);
        if (kept_.size() > kMaxShownFindings) {
            std::pop_heap(kept_.begin(), kept_.end(), before);
            kept_.pop_back();
            ++report_.findingsLeftOut;
        }
    }

    // A finding that would come after every one kept, once enough are:
    // counted, and its text not even made.
    bool countedOnly(FindingLevel level, std::size_t line) {
        if (kept_.size() < kMaxShownFindings || line < kept_.front().finding.line) {
            return false;
        }
        ++report_.levelCounts[static_cast<std::size_t>(level)];
        ++report_.findingsLeftOut;
        return true;
    }

    DataFileReport finish() {
        std::sort(kept_.begin(), kept_.end(), before);
        report_.findings.reserve(kept_.size());
        for (Numbered& n : kept_) {
            report_.findings.push_back(std::move(n.finding));
        }
        return std::move(report_);
    }

    [[nodiscard]] std::string u(std::string_view inFile) const { return file_.toUtf8(inFile); }
    [[nodiscard]] std::string sectionName(std::string_view name) const { return "[" + excerpt(u(name)) + "]"; }

    void checkEncoding() {
        switch (enc_) {
            case DataEncoding::Windows1251:
                add(FindingLevel::Info, 0, "кодировка: Windows-1251");
                hintForWindows1251();
                break;
            case DataEncoding::Utf8:
                add(FindingLevel::Info, 0, "кодировка: UTF-8");
                hintForUtf8();
                break;
            case DataEncoding::Utf8Bom:
                add(FindingLevel::Info, 0, "кодировка: UTF-8 (файл начинается с метки порядка байтов)");
                hintForUtf8();
                break;
        }
    }

    void convertHint(const std::string& what, const std::string& from) {
        add(FindingLevel::Warning, 0,
            "файл похож на " + what + ", а прочитан как Windows-1251: переведите его в UTF-8, например "
            "«iconv -f " + from + " -t UTF-8 ФАЙЛ > НОВЫЙ»");
    }

    // Windows-1251 is what every file that is not UTF-8 is read as; other
    // Russian encodings leave their own marks in the bytes.
    void hintForWindows1251() {
        const std::string_view t = file_.text();
        std::size_t nul = 0, upper = 0, lower = 0, dosLetters = 0, utf8Multi = 0, utf8Bad = 0;
        std::size_t firstBadLine = 0, line = 1;
        for (std::size_t pos = 0; pos < t.size();) {
            const auto b = static_cast<unsigned char>(t[pos]);
            if (b == '\n' || (b == '\r' && (pos + 1 >= t.size() || t[pos + 1] != '\n'))) {
                ++line;
            }
            nul += b == 0;
            upper += b >= 0xC0 && b < 0xE0;
            lower += b >= 0xE0;
            dosLetters += b >= 0x80 && b < 0xB0;
            if (b < 0x80) {
                ++pos;
                continue;
            }
            const std::size_t start = pos;
            if (decodeUtf8(t, pos)) {
                ++utf8Multi;
            } else {
                pos = start + 1;
                if (utf8Bad++ == 0) {
                    firstBadLine = line;
                }
            }
        }
        const std::size_t letters = upper + lower;
        if (t.starts_with("\xFF\xFE") || t.starts_with("\xFE\xFF") || (t.size() >= 8 && nul * 8 > t.size())) {
            convertHint("UTF-16", "UTF-16");
        } else if (utf8Multi >= 4 && utf8Bad * 2 <= utf8Multi) {
            add(FindingLevel::Warning, 0,
                "файл почти весь в UTF-8, но в строке " + std::to_string(firstBadLine) +
                    " есть байты не UTF-8, поэтому весь файл прочитан как Windows-1251: исправьте их или "
                    "уберите, например «iconv -c -f UTF-8 -t UTF-8 ФАЙЛ > НОВЫЙ»");
        } else if (dosLetters >= 20 && dosLetters > letters) {
            convertHint("DOS-кодировку CP866", "CP866");
        } else if (letters >= 20 && upper > 2 * lower) {
            // In KOI8-R the lower case letters sit where Windows-1251 has its
            // capitals, and Russian text is mostly lower case.
            convertHint("KOI8-R", "KOI8-R");
        }
    }

    // UTF-8 that was once taken for Windows-1251 and saved again as UTF-8
    // reads as "РЈС‚СЂРѕ": "Р" or "С" followed by a symbol from 0x80-0xBF.
    void hintForUtf8() {
        const std::string_view t = file_.text();
        std::size_t cyrillic = 0, pairs = 0, multi = 0, bad = 0;
        char32_t prev = 0;
        for (std::size_t pos = 0; pos < t.size();) {
            const std::size_t start = pos;
            const auto cp = decodeUtf8(t, pos);
            if (!cp) {
                pos = start + 1;
                prev = 0;
                ++bad;
                continue;
            }
            multi += *cp >= 0x80;
            cyrillic += *cp >= 0x0400 && *cp <= 0x04FF;
            pairs += (prev == U'Р' || prev == U'С') && isCp1251HighSymbol(*cp);
            prev = *cp;
        }
        // The mark, then Windows-1251 text: an editor put the mark on a file
        // it never converted.
        if (bad >= 4 && bad > multi) {
            add(FindingLevel::Warning, 0,
                "файл начинается с метки UTF-8, но дальше похож на Windows-1251: уберите метку и переведите "
                "его, например «tail -c +4 ФАЙЛ | iconv -f WINDOWS-1251 -t UTF-8 > НОВЫЙ»");
            return;
        }
        if (pairs >= 4 && pairs * 4 >= cyrillic) {
            add(FindingLevel::Warning, 0,
                "текст похож на UTF-8, который однажды приняли за Windows-1251 («РЈС‚СЂРѕ» вместо «Утро»): "
                "верните его, например «iconv -f UTF-8 -t WINDOWS-1251 ФАЙЛ > НОВЫЙ»");
        }
    }

    static bool isComment(std::string_view text) { return text.front() == ';' || text.front() == '#'; }

    // One pass over the lines: each section is judged when it starts, and
    // only the numbered keys of sections the reader reads are kept.
    void gatherLines() {
        ProfileLineReader lines(file_.text());
        ProfileLine line;
        bool inSection = false;
        Section* current = nullptr;
        while (lines.next(line)) {
            if (line.kind == ProfileLine::Kind::Blank) {
                continue;
            }
            if (enc_ == DataEncoding::Utf8Bom && !isValidUtf8(line.text)) {
                add(FindingLevel::Warning, line.number, "байты не UTF-8: вместо них покажется знак «\xEF\xBF\xBD»");
            }
            // A line that starts with ";" or "#" is never read, which is what
            // its author meant: a comment.
            if (isComment(line.text)) {
                continue;
            }
            switch (line.kind) {
                case ProfileLine::Kind::Section:
                    inSection = true;
                    current = startSection(line);
                    break;
                case ProfileLine::Kind::Key:
                    if (!inSection) {
                        add(FindingLevel::Warning, line.number, "строка до первого раздела: не читается");
                    } else if (current != nullptr) {
                        gatherKey(*current, line);
                    }
                    break;
                case ProfileLine::Kind::Other:
                    add(FindingLevel::Warning, line.number,
                        !inSection ? "строка до первого раздела: не читается"
                                   : "строка не раздел и не ключ (в ней нет «=»): не читается");
                    break;
                case ProfileLine::Kind::Blank:
                    break;
            }
        }
    }

    // Which sections the reader reads: the first "Disk" and the first of
    // each of List1 to List30; the others are allowed and left alone.
    Section* startSection(const ProfileLine& line) {
        const std::string folded = foldProfileName(line.name, enc_);
        std::optional<int> list;
        if (folded == "DISK") {
            // read
        } else if (folded.starts_with("LIST")) {
            const NumberName n = classifyNumber(std::string_view(folded).substr(4));
            if (n.kind == NumberName::Kind::NeverRead) {
                std::string text = "раздел " + sectionName(line.name) + " не читается: " + n.why;
                if (!n.meant.empty()) {
                    text += " ([List" + excerpt(n.meant) + "])";
                }
                add(FindingLevel::Warning, line.number, text);
                return nullptr;
            }
            if (n.kind == NumberName::Kind::None) {
                return nullptr;
            }
            if (n.value < 1 || n.value > kLists) {
                add(FindingLevel::Warning, line.number,
                    "раздел " + sectionName(line.name) + " не читается: списков 30, от [List1] до [List30]");
                return nullptr;
            }
            list = static_cast<int>(n.value);
        } else {
            return nullptr;
        }
        Section& s = list ? lists_[*list] : disk_;
        if (s.line != 0) {
            add(FindingLevel::Warning, line.number,
                "раздел " + sectionName(line.name) + " повторяется: читается только первый, " +
                    sectionName(s.name) + " из строки " + std::to_string(s.line) + ", а ключи этого не читаются");
            return nullptr;
        }
        s.line = line.number;
        s.name = line.name;
        return &s;
    }

    void gatherKey(Section& s, const ProfileLine& k) {
        const NumberName n = classifyNumber(k.name);
        if (n.kind == NumberName::Kind::None) {
            return;  // a key of the author's own, which the reader never asks for
        }
        if (n.kind == NumberName::Kind::NeverRead) {
            std::string text = "ключ " + inQuotes(excerpt(u(k.name))) + " никогда не читается: " + n.why;
            if (!n.meant.empty()) {
                text += " (" + inQuotes(excerpt(n.meant)) + ")";
            }
            add(FindingLevel::Warning, k.number, text);
            return;
        }
        s.keys.push_back({static_cast<std::uint32_t>(std::min<std::uint64_t>(n.value, kFarNumber)),
                          static_cast<std::uint32_t>(k.number),
                          static_cast<std::uint32_t>(k.text.data() - file_.text().data())});
    }

    // The line a key was read from, read again.
    [[nodiscard]] ProfileLine lineOf(const KeyAt& key) const {
        // Only the line itself: the reader looks ahead for line ends, and
        // from here to the end of a large file for each key would be slow.
        const std::string_view text = file_.text();
        const std::size_t end = text.find_first_of("\r\n", key.offset);
        ProfileLineReader again(text.substr(key.offset, end == std::string_view::npos ? end : end - key.offset));
        ProfileLine line;
        again.next(line);
        line.number = key.line;
        return line;
    }
    [[nodiscard]] std::string nameOf(const KeyAt& key) const { return excerpt(u(lineOf(key).name)); }
    [[nodiscard]] std::string_view valueOf(const KeyAt& key) const {
        return finishProfileValue(lineOf(key).rawValue, enc_);
    }

    // The keys the reader can find in a read section, one a number in number
    // order: the first of each name. Findings about single keys on the way.
    void settleKeys(Keys& keys) {
        std::sort(keys.begin(), keys.end(), [](const KeyAt& a, const KeyAt& b) {
            return a.number != b.number ? a.number < b.number : a.line < b.line;
        });
        std::size_t kept = 0;
        for (std::size_t i = 0; i < keys.size();) {
            std::size_t end = i + 1;
            while (end < keys.size() && keys[end].number == keys[i].number) {
                ++end;
            }
            const ProfileLine first = lineOf(keys[i]);
            checkValue(first, finishProfileValue(first.rawValue, enc_));
            // Numbers too long for any file share one number here; only the
            // same name is the same key.
            const std::string folded = end - i > 1 ? foldProfileName(first.name, enc_) : std::string();
            for (std::size_t j = i + 1; j < end; ++j) {
                if (keys[i].number != kFarNumber && countedOnly(FindingLevel::Warning, keys[j].line)) {
                    continue;  // one more repeat of the same key, past what is shown
                }
                const ProfileLine again = lineOf(keys[j]);
                if (foldProfileName(again.name, enc_) != folded) {
                    checkValue(again, finishProfileValue(again.rawValue, enc_));
                    continue;
                }
                add(FindingLevel::Warning, again.number,
                    "ключ " + excerpt(u(again.name)) + " повторяется: читается первый, из строки " +
                        std::to_string(first.number) + ", а этот нет");
            }
            keys[kept++] = keys[i];
            i = end;
        }
        keys.resize(kept);
    }

    void checkValue(const ProfileLine& k, std::string_view value) {
        // The value as written, before the reader cuts it.
        std::string_view whole = k.rawValue;
        if (const auto nul = whole.find('\0'); nul != std::string_view::npos) {
            add(FindingLevel::Warning, k.number, "в значении нулевой байт: всё, что после него, не читается");
            whole = whole.substr(0, nul);
        }
        while (!whole.empty() && (whole.front() == ' ' || whole.front() == '\t')) {
            whole.remove_prefix(1);
        }
        while (!whole.empty() && (whole.back() == ' ' || whole.back() == '\t')) {
            whole.remove_suffix(1);
        }
        if (whole.size() >= 2 && (whole.front() == '"' || whole.front() == '\'') && whole.back() == whole.front()) {
            add(FindingLevel::Warning, k.number,
                "кавычки по краям значения снимаются: покажется " + inQuotes(excerpt(u(whole.substr(1, whole.size() - 2)))) +
                    "; чтобы они остались, удвойте их");
            whole = whole.substr(1, whole.size() - 2);
        }
        const std::size_t total = profileCharCount(whole, enc_);
        if (total > kMaxValueChars) {
            const std::string shown = u(value);
            // The last few words that are still shown, so the author finds the cut.
            std::size_t from = shown.size() > 60 ? shown.size() - 60 : 0;
            while (from < shown.size() && (static_cast<unsigned char>(shown[from]) & 0xC0) == 0x80) {
                ++from;
            }
            add(FindingLevel::Warning, k.number,
                "значение длиннее " + std::to_string(kMaxValueChars) + " знаков (" + std::to_string(total) +
                    "): покажутся только первые " + std::to_string(kMaxValueChars) + ", до «…" +
                    shown.substr(from) + "»");
        }
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] != '&') {
                continue;
            }
            if (i + 1 < value.size() && value[i + 1] == '&') {
                ++i;
                continue;
            }
            add(FindingLevel::Warning, k.number,
                "одиночный «&» не показывается, а подчёркивает следующую букву: чтобы показать «&», пишите «&&»");
            break;
        }
    }

    // How the findings about a run of numbered keys name its items.
    struct RunWords {
        std::string section;   // "[List3]"
        std::string missing;   // "нет вопроса "
        std::string empty;     // "пустой вопрос "
        std::string endsAt;    // "список кончается на вопросе "
        std::string noneRead;  // "в списке не читается ни один вопрос"
    };

    // Where the reader stops: the first key from `from` on that is missing
    // or empty. Reports the keys left beyond it, which are never read.
    struct Run {
        std::uint64_t count = 0;
        bool reported = false;
    };
    static Keys::const_iterator find(const Keys& keys, std::uint64_t number) {
        const auto it = std::lower_bound(keys.begin(), keys.end(), number,
                                         [](const KeyAt& key, std::uint64_t n) { return key.number < n; });
        return it != keys.end() && it->number == number ? it : keys.end();
    }

    Run countRun(const Keys& keys, std::uint64_t from, std::size_t sectionLine, const RunWords& words) {
        std::uint64_t k = from;
        for (auto it = find(keys, k); it != keys.end() && !valueOf(*it).empty(); it = find(keys, k)) {
            ++k;
        }
        const auto beyond = std::upper_bound(keys.begin(), keys.end(), k,
                                             [](std::uint64_t n, const KeyAt& key) { return n < key.number; });
        if (beyond == keys.end()) {
            return {k - from, false};
        }
        std::string text = words.section + ": ";
        std::size_t line = sectionLine;
        if (const auto stop = find(keys, k); stop != keys.end()) {
            line = stop->line;
            text += words.empty + std::to_string(k);
        } else {
            if (const auto previous = find(keys, k - 1); k > from && previous != keys.end()) {
                line = previous->line;
            }
            text += words.missing + std::to_string(k);
        }
        text += ": " + (k == from ? words.noneRead : words.endsAt + std::to_string(k - 1));
        const char* verb = std::next(beyond) == keys.end() ? " не читается" : " не читаются";
        add(FindingLevel::Warning, line,
            text + ", и " + describeKeys(beyond, keys.end(), [this](const KeyAt& key) { return nameOf(key); }) +
                verb);
        return {k - from, true};
    }

    void checkPerceptions() {
        if (disk_.line == 0) {
            add(FindingLevel::Error, 0, "нет раздела [Disk]: нет восприятий, и Мнемора не начнёт ни один список");
            return;
        }
        settleKeys(disk_.keys);
        const Keys& keys = disk_.keys;
        const std::uint64_t count =
            countRun(keys, 0, disk_.line,
                     {"[Disk]", "нет восприятия ", "пустое восприятие ", "восприятия кончаются на ключе ",
                      "не читается ни одно восприятие"})
                .count;
        report_.perceptions = count;
        add(FindingLevel::Info, disk_.line, "восприятий: " + std::to_string(count));
        if (count < 2) {
            add(FindingLevel::Error, disk_.line,
                "восприятий меньше двух: Мнемора не начнёт ни один список (нужны ключи 0 и 1)");
        }
    }

    void checkList(int list) {
        const std::string name = "[List" + std::to_string(list) + "]";
        const auto found = lists_.find(list);
        if (found == lists_.end() || found->second.line == 0) {
            add(FindingLevel::Warning, 0,
                "нет раздела " + name + ": список " + std::to_string(list) + " сразу закончится");
            return;
        }
        Section& s = found->second;
        settleKeys(s.keys);
        const Keys& keys = s.keys;
        if (const auto header = find(keys, 0); header == keys.end()) {
            add(FindingLevel::Warning, s.line,
                name + ": нет заголовка (ключ 0): покажется " + inQuotes(kDefaultHeader));
        } else if (valueOf(*header).empty()) {
            add(FindingLevel::Warning, header->line, name + ": заголовок (ключ 0) пуст: его место останется пустым");
        }
        const Run run = countRun(keys, 1, s.line,
                                 {name, "нет вопроса ", "пустой вопрос ", "список кончается на вопросе ",
                                  "в списке не читается ни один вопрос"});
        report_.questions[static_cast<std::size_t>(list)] = run.count;
        if (run.count > 0) {
            add(FindingLevel::Info, s.line, name + ": вопросов: " + std::to_string(run.count));
        } else if (!run.reported) {
            add(FindingLevel::Warning, s.line, name + ": нет вопроса 1: список сразу закончится");
        }
    }

    const IniSnapshot& file_;
    DataEncoding enc_;
    DataFileReport report_;
    std::vector<Numbered> kept_;
    std::uint64_t order_ = 0;
    Section disk_;
    std::map<int, Section> lists_;
};

}  // namespace

std::size_t DataFileReport::count(FindingLevel level) const {
    return static_cast<std::size_t>(levelCounts[static_cast<std::size_t>(level)]);
}

int DataFileReport::exitStatus() const {
    if (count(FindingLevel::Error) > 0) {
        return 2;
    }
    return count(FindingLevel::Warning) > 0 ? 1 : 0;
}

DataFileReport checkDataFile(const IniSnapshot& file) { return Checker(file).run(); }

DataFileReport checkDataFile(const std::string& path) { return checkDataFile(IniSnapshot::readFile(path)); }

std::string formatFinding(std::string_view fileName, const Finding& f) {
    std::string out(fileName);
    if (f.line > 0) {
        out += ":" + std::to_string(f.line);
    }
    switch (f.level) {
        case FindingLevel::Info:
            out += ": сведения: ";
            break;
        case FindingLevel::Warning:
            out += ": предупреждение: ";
            break;
        case FindingLevel::Error:
            out += ": ошибка: ";
            break;
    }
    return out + f.text;
}

std::string formatSummary(const DataFileReport& report) {
    std::string summary = "ошибок: " + std::to_string(report.count(FindingLevel::Error)) +
                          ", предупреждений: " + std::to_string(report.count(FindingLevel::Warning));
    if (report.findingsLeftOut > 0) {
        summary += " (показаны первые " + std::to_string(kMaxShownFindings) + " находок по порядку строк, ещё " +
                   std::to_string(report.findingsLeftOut) + " не показаны)";
    }
    return summary;
}

}  // namespace mnemora
