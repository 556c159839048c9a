#include "sessions/data_file_check.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>

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

// "строка 5" / "строки 5–9", "ключ 3" / "ключи 3–6, 9".
struct KeyRef {
    std::uint64_t number;
    std::string name;  // as written, UTF-8
    std::size_t line;
};

std::string describeKeys(std::vector<KeyRef> keys) {
    std::sort(keys.begin(), keys.end(), [](const KeyRef& a, const KeyRef& b) { return a.number < b.number; });
    // Runs of consecutive numbers on consecutive lines are shown as one range.
    struct Run {
        std::size_t first, last;
    };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!runs.empty()) {
            const KeyRef& prev = keys[runs.back().last];
            if (keys[i].number == prev.number + 1 && keys[i].line == prev.line + 1) {
                runs.back().last = i;
                continue;
            }
        }
        runs.push_back({i, i});
    }
    constexpr std::size_t kShownRuns = 8;
    std::string out = keys.size() == 1 ? "ключ " : "ключи ";
    for (std::size_t r = 0; r < runs.size() && r < kShownRuns; ++r) {
        const KeyRef& a = keys[runs[r].first];
        const KeyRef& b = keys[runs[r].last];
        if (r > 0) {
            out += ", ";
        }
        if (runs[r].first == runs[r].last) {
            out += a.name + " (строка " + std::to_string(a.line) + ")";
        } else {
            out += a.name + "–" + b.name + " (строки " + std::to_string(a.line) + "–" + std::to_string(b.line) + ")";
        }
    }
    if (runs.size() > kShownRuns) {
        std::size_t more = 0;
        for (std::size_t r = kShownRuns; r < runs.size(); ++r) {
            more += runs[r].last - runs[r].first + 1;
        }
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
        checkEncoding();
        gatherLines();
        checkSections();
        checkPerceptions();
        for (int list = 1; list <= kLists; ++list) {
            checkList(list);
        }
        std::stable_sort(report_.findings.begin(), report_.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(report_);
    }

private:
    struct KeyLine {
        std::size_t line;
        std::string_view name;
        std::string_view rawValue;
    };
    struct Section {
        std::size_t line;
        std::string_view name;
        std::vector<KeyLine> keys;
    };
    // The keys of a section that the reader reads, by number: the first of each.
    struct Numbered {
        std::size_t line;
        std::string_view value;  // finished
        std::string name;        // UTF-8
    };

    DataFileReport fail(std::string text) {
        add(FindingLevel::Error, 0, std::move(text));
        return std::move(report_);
    }

    void add(FindingLevel level, std::size_t line, std::string text) {
        report_.findings.push_back({level, line, std::move(text)});
    }

    [[nodiscard]] std::string u(std::string_view inFile) const { return file_.toUtf8(inFile); }
    [[nodiscard]] std::string sectionName(const Section& s) const { return "[" + excerpt(u(s.name)) + "]"; }

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

    void gatherLines() {
        ProfileLineReader lines(file_.text());
        ProfileLine line;
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
                    sections_.push_back({line.number, line.name, {}});
                    break;
                case ProfileLine::Kind::Key:
                    if (sections_.empty()) {
                        add(FindingLevel::Warning, line.number, "строка до первого раздела: не читается");
                    } else {
                        sections_.back().keys.push_back({line.number, line.name, line.rawValue});
                    }
                    break;
                case ProfileLine::Kind::Other:
                    add(FindingLevel::Warning, line.number,
                        sections_.empty() ? "строка до первого раздела: не читается"
                                          : "строка не раздел и не ключ (в ней нет «=»): не читается");
                    break;
                case ProfileLine::Kind::Blank:
                    break;
            }
        }
    }

    // Which sections the reader reads: the first "Disk" and the first of
    // each of List1 to List30; the others are allowed and left alone.
    void checkSections() {
        std::unordered_map<std::string, const Section*> first;
        for (const Section& s : sections_) {
            const std::string folded = foldProfileName(s.name, enc_);
            std::optional<int> list;
            if (folded == "DISK") {
                // read
            } else if (folded.starts_with("LIST")) {
                const NumberName n = classifyNumber(std::string_view(folded).substr(4));
                if (n.kind == NumberName::Kind::NeverRead) {
                    std::string text = "раздел " + sectionName(s) + " не читается: " + n.why;
                    if (!n.meant.empty()) {
                        text += " ([List" + excerpt(n.meant) + "])";
                    }
                    add(FindingLevel::Warning, s.line, text);
                    continue;
                }
                if (n.kind == NumberName::Kind::None) {
                    continue;
                }
                if (n.value < 1 || n.value > kLists) {
                    add(FindingLevel::Warning, s.line,
                        "раздел " + sectionName(s) + " не читается: списков 30, от [List1] до [List30]");
                    continue;
                }
                list = static_cast<int>(n.value);
            } else {
                continue;
            }
            const auto [it, isFirst] = first.try_emplace(folded, &s);
            if (!isFirst) {
                add(FindingLevel::Warning, s.line,
                    "раздел " + sectionName(s) + " повторяется: читается только первый, " +
                        sectionName(*it->second) + " из строки " + std::to_string(it->second->line) +
                        ", а ключи этого не читаются");
                continue;
            }
            if (list) {
                lists_[*list] = &s;
            } else {
                disk_ = &s;
            }
        }
    }

    // The keys of a read section: findings about single keys, and the
    // numbered keys the reader can find.
    std::map<std::uint64_t, Numbered> numberedKeys(const Section& s) {
        std::map<std::uint64_t, Numbered> numbered;
        std::unordered_map<std::string, std::size_t> firstLine;
        for (const KeyLine& k : s.keys) {
            const NumberName n = classifyNumber(k.name);
            if (n.kind == NumberName::Kind::None) {
                continue;  // a key of the author's own, which the reader never asks for
            }
            const std::string name = excerpt(u(k.name));
            if (n.kind == NumberName::Kind::NeverRead) {
                std::string text = "ключ " + inQuotes(name) + " никогда не читается: " + n.why;
                if (!n.meant.empty()) {
                    text += " (" + inQuotes(excerpt(n.meant)) + ")";
                }
                add(FindingLevel::Warning, k.line, text);
                continue;
            }
            const auto [it, isFirst] = firstLine.try_emplace(foldProfileName(k.name, enc_), k.line);
            if (!isFirst) {
                add(FindingLevel::Warning, k.line,
                    "ключ " + name + " повторяется: читается первый, из строки " + std::to_string(it->second) +
                        ", а этот нет");
                continue;
            }
            const std::string_view value = finishProfileValue(k.rawValue, enc_);
            checkValue(k, value);
            numbered.emplace(n.value, Numbered{k.line, value, name});
        }
        return numbered;
    }

    void checkValue(const KeyLine& k, std::string_view value) {
        // The value as written, before the reader cuts it.
        std::string_view whole = k.rawValue;
        if (const auto nul = whole.find('\0'); nul != std::string_view::npos) {
            add(FindingLevel::Warning, k.line, "в значении нулевой байт: всё, что после него, не читается");
            whole = whole.substr(0, nul);
        }
        while (!whole.empty() && (whole.front() == ' ' || whole.front() == '\t')) {
            whole.remove_prefix(1);
        }
        while (!whole.empty() && (whole.back() == ' ' || whole.back() == '\t')) {
            whole.remove_suffix(1);
        }
        if (whole.size() >= 2 && (whole.front() == '"' || whole.front() == '\'') && whole.back() == whole.front()) {
            add(FindingLevel::Warning, k.line,
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
            add(FindingLevel::Warning, k.line,
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
            add(FindingLevel::Warning, k.line,
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
    Run countRun(const std::map<std::uint64_t, Numbered>& keys, std::uint64_t from, std::size_t sectionLine,
                 const RunWords& words) {
        std::uint64_t k = from;
        for (auto it = keys.find(k); it != keys.end() && !it->second.value.empty(); it = keys.find(k)) {
            ++k;
        }
        std::vector<KeyRef> beyond;
        for (auto it = keys.upper_bound(k); it != keys.end(); ++it) {
            beyond.push_back({it->first, it->second.name, it->second.line});
        }
        if (beyond.empty()) {
            return {k - from, false};
        }
        std::string text = words.section + ": ";
        std::size_t line = sectionLine;
        if (const auto stop = keys.find(k); stop != keys.end()) {
            line = stop->second.line;
            text += words.empty + std::to_string(k);
        } else {
            if (const auto before = keys.find(k - 1); k > from && before != keys.end()) {
                line = before->second.line;
            }
            text += words.missing + std::to_string(k);
        }
        text += ": " + (k == from ? words.noneRead : words.endsAt + std::to_string(k - 1));
        const char* verb = beyond.size() == 1 ? " не читается" : " не читаются";
        add(FindingLevel::Warning, line, text + ", и " + describeKeys(std::move(beyond)) + verb);
        return {k - from, true};
    }

    void checkPerceptions() {
        if (disk_ == nullptr) {
            add(FindingLevel::Error, 0, "нет раздела [Disk]: нет восприятий, и Мнемора не начнёт ни один список");
            return;
        }
        const auto keys = numberedKeys(*disk_);
        const std::uint64_t count =
            countRun(keys, 0, disk_->line,
                     {"[Disk]", "нет восприятия ", "пустое восприятие ", "восприятия кончаются на ключе ",
                      "не читается ни одно восприятие"})
                .count;
        report_.perceptions = count;
        add(FindingLevel::Info, disk_->line, "восприятий: " + std::to_string(count));
        if (count < 2) {
            add(FindingLevel::Error, disk_->line,
                "восприятий меньше двух: Мнемора не начнёт ни один список (нужны ключи 0 и 1)");
        }
    }

    void checkList(int list) {
        const std::string name = "[List" + std::to_string(list) + "]";
        const auto found = lists_.find(list);
        if (found == lists_.end()) {
            add(FindingLevel::Warning, 0,
                "нет раздела " + name + ": список " + std::to_string(list) + " сразу закончится");
            return;
        }
        const Section& s = *found->second;
        const auto keys = numberedKeys(s);
        if (const auto header = keys.find(0); header == keys.end()) {
            add(FindingLevel::Warning, s.line,
                name + ": нет заголовка (ключ 0): покажется " + inQuotes(kDefaultHeader));
        } else if (header->second.value.empty()) {
            add(FindingLevel::Warning, header->second.line, name + ": заголовок (ключ 0) пуст: его место останется пустым");
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
    std::vector<Section> sections_;
    const Section* disk_ = nullptr;
    std::map<int, const Section*> lists_;
};

}  // namespace

std::size_t DataFileReport::count(FindingLevel level) const {
    return static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(), [level](const Finding& f) { return f.level == level; }));
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
    return "ошибок: " + std::to_string(report.count(FindingLevel::Error)) +
           ", предупреждений: " + std::to_string(report.count(FindingLevel::Warning));
}

}  // namespace mnemora
