#include "sessions/ini_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/cp1251.h"
#include "platform/path_text.h"

namespace mnemora {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Blanks, tabs and the other control whitespace that trims a line.
bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s, bool (*pred)(char)) {
    while (!s.empty() && pred(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && pred(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view rtrim(std::string_view s, bool (*pred)(char)) {
    while (!s.empty() && pred(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isUtf8(DataEncoding e) { return e != DataEncoding::Windows1251; }

// The length of the character at `pos` of UTF-8 text: its sequence, or one
// byte that starts no valid sequence.
std::size_t utf8CharLength(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    return decodeUtf8(s, end) ? end - pos : 1;
}

// One character of a name, folded: Latin and Cyrillic letters to upper case
// as the Windows-1251 reader folds them, so both encodings match alike. A
// byte that starts no valid sequence stands for itself, apart from every
// character.
char32_t foldedUtf8Char(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    const auto cp = decodeUtf8(s, pos);
    if (!cp) {
        pos = start + 1;
        return 0x110000 + static_cast<unsigned char>(s[start]);
    }
    if (const auto byte = codePointToCp1251(*cp)) {
        return cp1251ToCodePoint(cp1251Upper(*byte));
    }
    return *cp;
}

// A name written as a plain decimal number ("0", "17", never "07"), which
// reads the same in both encodings and folds to itself.
std::optional<std::uint64_t> plainNumber(std::string_view name) {
    if (name.empty() || name.size() > 18 || (name.size() > 1 && name.front() == '0')) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

std::string trimDefault(std::string_view d) { return std::string(rtrim(d, [](char c) { return c == ' '; })); }

}  // namespace

namespace {

// Strict UTF-8 as a state machine, its transitions packed so that one step is
// one table load and one shift: every read of a UTF-8 data file runs it over
// the whole file, so it must cost little more than the read itself.
enum Utf8State : std::uint8_t {
    kAccept,    // between characters
    kNeed1,     // one more continuation byte
    kNeed2,     // two more
    kNeed3,     // three more
    kAfterE0,   // A0-BF, then one more (no overlong three-byte form)
    kAfterED,   // 80-9F, then one more (no surrogates)
    kAfterF0,   // 90-BF, then two more (no overlong four-byte form)
    kAfterF4,   // 80-8F, then two more (nothing past U+10FFFF)
    kReject,    // stays
    kStates
};

constexpr std::uint8_t utf8Next(int state, int b) {
    const bool c80 = b >= 0x80 && b < 0x90;
    const bool c90 = b >= 0x90 && b < 0xA0;
    const bool cA0 = b >= 0xA0 && b < 0xC0;
    const bool cont = c80 || c90 || cA0;
    switch (state) {
        case kAccept:
            return b < 0x80                ? kAccept
                   : b >= 0xC2 && b < 0xE0 ? kNeed1
                   : b == 0xE0             ? kAfterE0
                   : b == 0xED             ? kAfterED
                   : b >= 0xE1 && b < 0xF0 ? kNeed2
                   : b == 0xF0             ? kAfterF0
                   : b >= 0xF1 && b < 0xF4 ? kNeed3
                   : b == 0xF4             ? kAfterF4
                                           : kReject;
        case kNeed1: return cont ? kAccept : kReject;
        case kNeed2: return cont ? kNeed1 : kReject;
        case kNeed3: return cont ? kNeed2 : kReject;
        case kAfterE0: return cA0 ? kNeed1 : kReject;
        case kAfterED: return c80 || c90 ? kNeed1 : kReject;
        case kAfterF0: return c90 || cA0 ? kNeed2 : kReject;
        case kAfterF4: return c80 ? kNeed2 : kReject;
        default: return kReject;
    }
}

// For each byte, the next state of every state, each at six bits times the
// state's number; a state is kept as that bit offset.
constexpr std::array<std::uint64_t, 256> kUtf8Rows = [] {
    std::array<std::uint64_t, 256> rows{};
    for (int b = 0; b < 256; ++b) {
        for (int state = 0; state < kStates; ++state) {
            rows[static_cast<std::size_t>(b)] |= (std::uint64_t{utf8Next(state, b)} * 6U) << (state * 6);
        }
    }
    return rows;
}();

}  // namespace

namespace {

constexpr std::uint64_t kAcceptAt = std::uint64_t{kAccept} * 6U;
constexpr std::uint64_t kNeed1At = std::uint64_t{kNeed1} * 6U;
constexpr std::uint64_t kRejectAt = std::uint64_t{kReject} * 6U;

// Of 64 bytes, one bit each: above ASCII, a continuation byte (80-BF), and
// the lead byte of a two-byte sequence (C2-DF). Cyrillic text is nearly all
// two-byte sequences, and with only these three kinds of byte a block is
// valid exactly when every continuation follows a lead and every lead is
// followed by one: a comparison of masks, not a walk byte by byte.
struct ByteKinds {
    std::uint64_t high = 0;
    std::uint64_t cont = 0;
    std::uint64_t lead2 = 0;
};

#if defined(__x86_64__)
// Bytes as signed: 80-BF are -128..-65; C2-DF moved down by 0x42 are -128..-99.
inline ByteKinds byteKindsSse2(const unsigned char* p) {
    ByteKinds k;
    const __m128i contBelow = _mm_set1_epi8(-64);
    const __m128i shift = _mm_set1_epi8(0x42);
    const __m128i leadBelow = _mm_set1_epi8(-98);
    for (std::size_t part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const auto bits = [&](__m128i m) {
            return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(m))} << (16 * part);
        };
        k.high |= bits(v);
        k.cont |= bits(_mm_cmplt_epi8(v, contBelow));
        k.lead2 |= bits(_mm_cmplt_epi8(_mm_sub_epi8(v, shift), leadBelow));
    }
    return k;
}

[[gnu::target("avx2")]] inline ByteKinds byteKindsAvx2(const unsigned char* p) {
    const __m256i contAbove = _mm256_set1_epi8(-64);
    const __m256i shift = _mm256_set1_epi8(0x42);
    const __m256i leadAbove = _mm256_set1_epi8(-98);
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const auto join = [](int low, int high) {
        return std::uint64_t{static_cast<std::uint32_t>(low)} | (std::uint64_t{static_cast<std::uint32_t>(high)} << 32);
    };
    ByteKinds k;
    k.high = join(_mm256_movemask_epi8(lo), _mm256_movemask_epi8(hi));
    k.cont = join(_mm256_movemask_epi8(_mm256_cmpgt_epi8(contAbove, lo)),
                  _mm256_movemask_epi8(_mm256_cmpgt_epi8(contAbove, hi)));
    k.lead2 = join(_mm256_movemask_epi8(_mm256_cmpgt_epi8(leadAbove, _mm256_sub_epi8(lo, shift))),
                   _mm256_movemask_epi8(_mm256_cmpgt_epi8(leadAbove, _mm256_sub_epi8(hi, shift))));
    return k;
}

#else
ByteKinds byteKindsPortable(const unsigned char* p) {
    ByteKinds k;
    for (int i = 0; i < 64; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        k.high |= p[i] >= 0x80 ? bit : 0;
        k.cont |= p[i] >= 0x80 && p[i] < 0xC0 ? bit : 0;
        k.lead2 |= p[i] >= 0xC2 && p[i] < 0xE0 ? bit : 0;
    }
    return k;
}

#endif

// A whole run of bytes that holds nothing but ASCII and two-byte sequences
// is checked with no mask taken out of the vector registers until its end:
// each byte is a continuation exactly when the byte before it is a lead.
// False when the run holds anything else or breaks that rule; the exact walk
// then takes it. `high` gains 0x80 when a byte is above ASCII; `bracket`
// tells whether the run holds a "[".
constexpr std::size_t kRun = 1024;

#if defined(__x86_64__)
[[gnu::target("avx2")]] bool plainRunAvx2(const unsigned char* p, bool carryIn, bool& carryOut, std::uint64_t& high,
                                          bool& bracket) {
    const __m256i contAbove = _mm256_set1_epi8(-64);
    const __m256i open = _mm256_set1_epi8('[');
    __m256i opens = _mm256_setzero_si256();
    const __m256i shift = _mm256_set1_epi8(0x42);
    const __m256i leadAbove = _mm256_set1_epi8(-98);
    __m256i prevLead = carryIn ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
    __m256i other = _mm256_setzero_si256();
    __m256i mismatch = _mm256_setzero_si256();
    __m256i any = _mm256_setzero_si256();
    for (std::size_t i = 0; i < kRun; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i cont = _mm256_cmpgt_epi8(contAbove, v);
        const __m256i lead = _mm256_cmpgt_epi8(leadAbove, _mm256_sub_epi8(v, shift));
        other = _mm256_or_si256(other, _mm256_andnot_si256(_mm256_or_si256(cont, lead), v));
        any = _mm256_or_si256(any, v);
        opens = _mm256_or_si256(opens, _mm256_cmpeq_epi8(v, open));
        // Each byte's left neighbour's lead flag, the first from the last vector.
        const __m256i before = _mm256_alignr_epi8(lead, _mm256_permute2x128_si256(prevLead, lead, 0x21), 15);
        mismatch = _mm256_or_si256(mismatch, _mm256_xor_si256(cont, before));
        prevLead = lead;
    }
    high |= _mm256_movemask_epi8(any) != 0 ? 0x80 : 0;
    bracket = _mm256_movemask_epi8(opens) != 0;
    carryOut = (static_cast<std::uint32_t>(_mm256_movemask_epi8(prevLead)) >> 31) != 0;
    return _mm256_movemask_epi8(other) == 0 && _mm256_testz_si256(mismatch, mismatch) != 0;
}

bool plainRunSse2(const unsigned char* p, bool carryIn, bool& carryOut, std::uint64_t& high, bool& bracket) {
    const __m128i contBelow = _mm_set1_epi8(-64);
    const __m128i open = _mm_set1_epi8('[');
    __m128i opens = _mm_setzero_si128();
    const __m128i shift = _mm_set1_epi8(0x42);
    const __m128i leadBelow = _mm_set1_epi8(-98);
    __m128i prevLead = carryIn ? _mm_set1_epi8(-1) : _mm_setzero_si128();
    __m128i other = _mm_setzero_si128();
    __m128i mismatch = _mm_setzero_si128();
    __m128i any = _mm_setzero_si128();
    for (std::size_t i = 0; i < kRun; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i cont = _mm_cmplt_epi8(v, contBelow);
        const __m128i lead = _mm_cmplt_epi8(_mm_sub_epi8(v, shift), leadBelow);
        other = _mm_or_si128(other, _mm_andnot_si128(_mm_or_si128(cont, lead), v));
        any = _mm_or_si128(any, v);
        opens = _mm_or_si128(opens, _mm_cmpeq_epi8(v, open));
        const __m128i before = _mm_or_si128(_mm_slli_si128(lead, 1), _mm_srli_si128(prevLead, 15));
        mismatch = _mm_or_si128(mismatch, _mm_xor_si128(cont, before));
        prevLead = lead;
    }
    high |= _mm_movemask_epi8(any) != 0 ? 0x80 : 0;
    bracket = _mm_movemask_epi8(opens) != 0;
    carryOut = (_mm_movemask_epi8(prevLead) & 0x8000) != 0;
    return _mm_movemask_epi8(other) == 0 && _mm_movemask_epi8(_mm_cmpeq_epi8(mismatch, _mm_setzero_si128())) == 0xFFFF;
}
#endif

// Where the "[" of a text stand, as offsets from its start, noted while the
// text is checked; `full` once there are too many to keep.
struct BracketNotes {
    static constexpr std::size_t kMost = std::size_t{1} << 16;
    std::vector<std::uint32_t> at;
    bool full = false;

    void noteIn(const unsigned char* p, std::size_t from, std::size_t to, std::size_t base) {
        for (std::size_t i = from; !full && i < to; ++i) {
            const void* hit = std::memchr(p + i, '[', to - i);
            if (hit == nullptr) {
                return;
            }
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p);
            at.push_back(static_cast<std::uint32_t>(base + i));
            full = at.size() > kMost;
        }
    }
};

using PlainRunStep = bool (*)(const unsigned char*, bool, bool&, std::uint64_t&, bool&);

// Walks n bytes on from `state`, gathering in `high` whether any byte was
// above ASCII and in `notes` (where given) every "[", at `base` plus its
// offset: a run at a time where it is plain, else 64 bytes at a time where
// those are, else byte by byte through the state machine.
template <ByteKinds (*Kinds)(const unsigned char*), PlainRunStep PlainRun>
void stepUtf8(const unsigned char* p, std::size_t n, std::uint64_t& state, std::uint64_t& high, BracketNotes* notes,
              std::size_t base) {
    std::size_t i = 0;
    while (i < n) {
        if (state == kRejectAt) {  // no longer checked, still searched for "["
            if (notes != nullptr) {
                notes->noteIn(p, i, n, base);
            }
            return;
        }
        const std::size_t end = i + std::min(kRun, n - i);
        bool bracket = true;
        if (PlainRun != nullptr && end - i == kRun && (state == kAcceptAt || state == kNeed1At)) {
            bool carry = false;
            if (PlainRun(p + i, state == kNeed1At, carry, high, bracket)) {
                state = carry ? kNeed1At : kAcceptAt;
                if (notes != nullptr && bracket) {
                    notes->noteIn(p, i, end, base);
                }
                i = end;
                continue;
            }
        }
        if (notes != nullptr) {
            notes->noteIn(p, i, end, base);
        }
        for (; i + 64 <= end; i += 64) {
            if (state == kAcceptAt || state == kNeed1At) {
                const ByteKinds k = Kinds(p + i);
                high |= k.high;
                if ((k.high & ~(k.cont | k.lead2)) == 0) {
                    const std::uint64_t carried = state == kNeed1At ? 1 : 0;
                    if (k.cont != ((k.lead2 << 1) | carried)) {
                        state = kRejectAt;
                        break;
                    }
                    state = (k.lead2 >> 63) != 0 ? kNeed1At : kAcceptAt;
                    continue;
                }
            }
            // A three- or four-byte sequence, or a byte no UTF-8 has: the
            // state machine takes this block.
            for (std::size_t b = i; b < i + 64; ++b) {
                high |= p[b];
                state = (kUtf8Rows[p[b]] >> state) & 63;
            }
            if (state == kRejectAt) {
                break;
            }
        }
        for (; i < end && state != kRejectAt; ++i) {
            high |= p[i];
            state = (kUtf8Rows[p[i]] >> state) & 63;
        }
        i = end;
    }
}

#if defined(__x86_64__)
// Each compiled whole for its instruction set, so that the vector steps inline.
[[gnu::target("avx2"), gnu::flatten]] void stepUtf8Avx2(const unsigned char* p, std::size_t n, std::uint64_t& state,
                                                         std::uint64_t& high, BracketNotes* notes, std::size_t base) {
    stepUtf8<byteKindsAvx2, plainRunAvx2>(p, n, state, high, notes, base);
}
[[gnu::flatten]] void stepUtf8Sse2(const unsigned char* p, std::size_t n, std::uint64_t& state, std::uint64_t& high,
                                   BracketNotes* notes, std::size_t base) {
    stepUtf8<byteKindsSse2, plainRunSse2>(p, n, state, high, notes, base);
}
#endif

// Strict UTF-8 checked piece by piece as a file is read, the state carried
// from one piece to the next.
class Utf8Scan {
public:
    // With notes, every "[" of the pieces fed is noted too.
    explicit Utf8Scan(BracketNotes* notes = nullptr) : notes_(notes) {}

    void feed(std::string_view piece) {
        if (state_ == kRejectAt && notes_ == nullptr) {
            return;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
#if defined(__x86_64__)
        static const auto step = __builtin_cpu_supports("avx2") != 0 ? stepUtf8Avx2 : stepUtf8Sse2;
        step(p, piece.size(), state_, high_, notes_, offset_);
#else
        stepUtf8<byteKindsPortable, nullptr>(p, piece.size(), state_, high_, notes_, offset_);
#endif
        offset_ += piece.size();
    }
    [[nodiscard]] bool valid() const { return state_ == kAcceptAt; }
    [[nodiscard]] bool multiByte() const { return (high_ & 0x8080808080808080ULL) != 0; }

private:
    BracketNotes* notes_;
    std::uint64_t state_ = kAcceptAt;
    std::uint64_t high_ = 0;
    std::size_t offset_ = 0;
};

DataEncoding encodingOf(std::string_view bytes, const Utf8Scan& scan) {
    if (bytes.starts_with(kUtf8Bom)) {
        return DataEncoding::Utf8Bom;
    }
    return scan.valid() && scan.multiByte() ? DataEncoding::Utf8 : DataEncoding::Windows1251;
}

}  // namespace

bool isValidUtf8(std::string_view s, bool* hasMultiByte) {
    Utf8Scan scan;
    scan.feed(s);
    if (hasMultiByte) {
        *hasMultiByte = scan.multiByte();
    }
    return scan.valid();
}

DataEncoding detectDataEncoding(std::string_view bytes) {
    Utf8Scan scan;
    if (!bytes.starts_with(kUtf8Bom)) {
        scan.feed(bytes);
    }
    return encodingOf(bytes, scan);
}

bool ProfileLineReader::next(ProfileLine& line) {
    const std::size_t n = text_.size();
    if (pos_ >= n) {
        return false;
    }
    // As in the scan for one key: memchr for each line end, looked up again
    // only once the walk has passed it.
    auto findFrom = [&](char c) {
        const void* hit = std::memchr(text_.data() + pos_, c, n - pos_);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : n;
    };
    if (!primed_ || nextCr_ < pos_) {
        nextCr_ = findFrom('\r');
    }
    if (!primed_ || nextLf_ < pos_) {
        nextLf_ = findFrom('\n');
    }
    primed_ = true;
    const std::size_t end = nextCr_ < nextLf_ ? nextCr_ : nextLf_;
    std::string_view t = trim(text_.substr(pos_, end - pos_), isLineSpace);
    pos_ = end;
    if (pos_ < n && text_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < n && text_[pos_] == '\n') {
        ++pos_;
    }
    line = ProfileLine{};
    line.number = ++number_;
    line.text = t;
    if (t.empty()) {
        line.kind = ProfileLine::Kind::Blank;
    } else if (t.front() == '[') {
        line.kind = ProfileLine::Kind::Section;
        std::string_view name = t.substr(1);
        if (const auto close = name.find(']'); close != std::string_view::npos) {
            name = name.substr(0, close);
        }
        line.name = trim(name, isLineSpace);
    } else if (const auto eq = t.find('='); eq != std::string_view::npos) {
        line.kind = ProfileLine::Kind::Key;
        line.name = rtrim(t.substr(0, eq), isLineSpace);
        line.rawValue = t.substr(eq + 1);
    } else {
        line.kind = ProfileLine::Kind::Other;
    }
    return true;
}

std::size_t profileCharCount(std::string_view text, DataEncoding encoding) {
    if (!isUtf8(encoding)) {
        return text.size();
    }
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += utf8CharLength(text, pos)) {
        ++count;
    }
    return count;
}

std::string_view finishProfileValue(std::string_view v, DataEncoding encoding) {
    if (const auto nul = v.find('\0'); nul != std::string_view::npos) {
        v = v.substr(0, nul);
    }
    v = trim(v, isBlank);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    if (v.size() <= kMaxValueChars) {
        return v;  // fewer bytes than the cap means fewer characters too
    }
    if (!isUtf8(encoding)) {
        return v.substr(0, kMaxValueChars);
    }
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars < kMaxValueChars && pos < v.size(); ++chars) {
        pos += utf8CharLength(v, pos);
    }
    return v.substr(0, pos);
}

bool profileNamesEqual(std::string_view a, std::string_view b, DataEncoding encoding) {
    if (!isUtf8(encoding)) {
        return cp1251EqualNoCase(a, b);
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (cp1251Upper(ca) != cp1251Upper(cb)) {
                return false;
            }
            ++i;
            ++j;
            continue;
        }
        if (foldedUtf8Char(a, i) != foldedUtf8Char(b, j)) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

std::string foldProfileName(std::string_view name, DataEncoding encoding) {
    std::string out;
    out.reserve(name.size());
    if (!isUtf8(encoding)) {
        for (char c : name) {
            out += static_cast<char>(cp1251Upper(static_cast<unsigned char>(c)));
        }
        return out;
    }
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t start = pos;
        const char32_t c = foldedUtf8Char(name, pos);
        if (c >= 0x110000) {
            out += name[start];
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::optional<std::string_view> findProfileValue(std::string_view bytes, std::string_view section,
                                                 std::string_view key, DataEncoding encoding,
                                                 const std::vector<std::uint32_t>* brackets) {
    bool inSection = false;
    bool seenSection = false;
    std::size_t pos = 0;
    const std::size_t n = bytes.size();
    // memchr finds line ends far faster than a byte loop; the next CR and the
    // next LF are each looked up again only once the scan has passed them.
    const char* data = bytes.data();
    auto findFrom = [&](char c, std::size_t from) {
        const void* hit = from < n ? std::memchr(data + from, c, n - from) : nullptr;
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : n;
    };
    // Looked up first where the scan first needs a line's end: the lines
    // before the section are skipped by their "[" alone.
    bool primed = false;
    std::size_t nextCr = 0;
    std::size_t nextLf = 0;
    std::size_t nextBracket = 0;  // in `brackets`
    const auto bracketFrom = [&](std::size_t from) -> const void* {
        if (brackets == nullptr) {
            return from < n ? std::memchr(data + from, '[', n - from) : nullptr;
        }
        while (nextBracket < brackets->size() && (*brackets)[nextBracket] < from) {
            ++nextBracket;
        }
        return nextBracket < brackets->size() && (*brackets)[nextBracket] < n ? data + (*brackets)[nextBracket]
                                                                              : nullptr;
    };
    while (pos < n) {
        if (!inSection) {
            // Until the section starts only section lines matter: jump from
            // one "[" to the next and keep those that begin a line.
            std::size_t open = pos;
            for (;;) {
                const void* hit = bracketFrom(open);
                if (hit == nullptr) {
                    return std::nullopt;
                }
                open = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
                std::size_t start = open;
                while (start > pos && isLineSpace(data[start - 1])) {
                    --start;
                }
                if (start == pos || data[start - 1] == '\r' || data[start - 1] == '\n') {
                    pos = start;
                    break;
                }
                ++open;
            }
        }
        if (!primed || nextCr < pos) {
            nextCr = findFrom('\r', pos);
        }
        if (!primed || nextLf < pos) {
            nextLf = findFrom('\n', pos);
        }
        primed = true;
        const std::size_t end = nextCr < nextLf ? nextCr : nextLf;
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < n && bytes[pos] == '\r') {
            ++pos;
        }
        if (pos < n && bytes[pos] == '\n') {
            ++pos;
        }
        while (!line.empty() && isLineSpace(line.front())) {
            line.remove_prefix(1);
        }
        // Outside the wanted section only a section line matters, so skip
        // the rest before trimming its end.
        if (line.empty() || (!inSection && line.front() != '[')) {
            continue;
        }
        line = rtrim(line, isLineSpace);
        if (line.front() == '[') {
            if (inSection) {
                // Only the first section of the name is searched.
                return std::nullopt;
            }
            std::string_view name = line.substr(1);
            if (const auto close = name.find(']'); close != std::string_view::npos) {
                name = name.substr(0, close);
            }
            if (!seenSection && profileNamesEqual(trim(name, isLineSpace), section, encoding)) {
                inSection = true;
                seenSection = true;
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        if (profileNamesEqual(rtrim(line.substr(0, eq), isLineSpace), key, encoding)) {
            return finishProfileValue(line.substr(eq + 1), encoding);
        }
    }
    return std::nullopt;
}

IniSnapshot::IniSnapshot(std::string bytes) : IniSnapshot(std::move(bytes), DataEncoding::Windows1251, false) {}

IniSnapshot::IniSnapshot(std::string bytes, DataEncoding encoding, bool encodingKnown)
    : status_(ReadStatus::Ok),
      encoding_(encodingKnown ? encoding : detectDataEncoding(bytes)),
      bytes_(std::make_shared<const std::string>(std::move(bytes))),
      bodyOffset_(encoding_ == DataEncoding::Utf8Bom ? kUtf8Bom.size() : 0) {}

IniSnapshot IniSnapshot::readFile(const std::string& path) {
    // The encoding is decided as the bytes come in, while each piece is still
    // in the cache: one pass over the file, not a read and then a scan.
    // Where each "[" stands is noted on the way too, so that a lookup jumps
    // from section to section without another walk over the whole file; a
    // file full of them is searched the ordinary way.
    BracketNotes brackets;
    Utf8Scan scan(&brackets);
    FileBytes read =
        readRegularFile(pathFromUtf8(path), kMaxDataFileBytes, [&scan](std::string_view piece) { scan.feed(piece); });
    if (read.status != ReadStatus::Ok) {
        IniSnapshot none;
        none.status_ = read.status;
        return none;
    }
    const DataEncoding encoding = encodingOf(read.bytes, scan);
    IniSnapshot snapshot(std::move(read.bytes), encoding, true);
    if (!brackets.full) {
        // As offsets into the text after any byte-order mark.
        for (std::uint32_t& at : brackets.at) {
            at -= static_cast<std::uint32_t>(snapshot.bodyOffset_);
        }
        snapshot.brackets_ = std::make_shared<const std::vector<std::uint32_t>>(std::move(brackets.at));
    }
    return snapshot;
}

std::string_view IniSnapshot::text() const {
    return bytes_ ? std::string_view(*bytes_).substr(bodyOffset_) : std::string_view();
}

std::string IniSnapshot::toUtf8(std::string_view s) const {
    if (!isUtf8(encoding_)) {
        return cp1251ToUtf8(s);
    }
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t start = pos;
        if (decodeUtf8(s, pos)) {
            out.append(s.substr(start, pos - start));
        } else {
            out += "\xEF\xBF\xBD";
            pos = start + 1;
        }
    }
    return out;
}

std::optional<std::string> IniSnapshot::fromUtf8(std::string_view utf8) const {
    if (isUtf8(encoding_)) {
        return std::string(utf8);
    }
    return utf8ToCp1251(utf8);
}

std::optional<std::string> IniSnapshot::value(std::string_view section, std::string_view key) const {
    if (!bytes_) {
        return std::nullopt;
    }
    const auto s = fromUtf8(section);
    const auto k = fromUtf8(key);
    if (!s || !k) {
        return std::nullopt;
    }
    if (const auto v = findProfileValue(text(), *s, *k, encoding_, brackets_.get())) {
        return toUtf8(*v);
    }
    return std::nullopt;
}

IniSection IniSnapshot::section(std::string_view name) const {
    IniSection result;
    result.file_ = *this;
    const auto wanted = fromUtf8(name);
    if (!bytes_ || !wanted) {
        return result;
    }
    ProfileLineReader lines(text());
    ProfileLine line;
    // Only the first section of the name is searched.
    while (!result.exists_ && lines.next(line)) {
        result.exists_ = line.kind == ProfileLine::Kind::Section && profileNamesEqual(line.name, *wanted, encoding_);
    }
    struct Numbered {
        std::uint64_t number;
        std::string_view name, value;
    };
    std::vector<Numbered> numbered;
    while (result.exists_ && lines.next(line) && line.kind != ProfileLine::Kind::Section) {
        if (line.kind != ProfileLine::Kind::Key) {
            continue;
        }
        const std::string_view value = finishProfileValue(line.rawValue, encoding_);
        if (const auto n = plainNumber(line.name)) {
            numbered.push_back({*n, line.name, value});
        } else if (result.keys_.try_emplace(foldProfileName(line.name, encoding_), value).second) {
            ++result.size_;  // the first key of a name wins
        }
    }
    // Numbers below the count go by index, the rest by name; either way in
    // file order, so the first key of a number wins.
    result.byNumber_.resize(numbered.size());
    for (const Numbered& k : numbered) {
        if (k.number >= numbered.size()) {
            result.size_ += result.keys_.try_emplace(std::string(k.name), k.value).second;
        } else if (auto& slot = result.byNumber_[k.number]; !slot) {
            slot = k.value;
            ++result.size_;
        }
    }
    return result;
}

std::optional<std::string_view> IniSection::find(std::string_view key) const {
    if (const auto n = plainNumber(key)) {
        if (*n < byNumber_.size()) {
            return byNumber_[*n];
        }
        const auto it = keys_.find(std::string(key));
        return it == keys_.end() ? std::nullopt : std::optional(it->second);
    }
    const auto k = file_.fromUtf8(key);
    if (!k) {
        return std::nullopt;
    }
    const auto it = keys_.find(foldProfileName(*k, file_.encoding()));
    return it == keys_.end() ? std::nullopt : std::optional(it->second);
}

std::optional<std::string> IniSection::value(std::string_view key) const {
    const auto v = find(key);
    return v ? std::optional(file_.toUtf8(*v)) : std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
    try {
        if (auto v = Read().value(section, ident)) {
            return std::move(*v);
        }
        return trimDefault(defaultValue);
    } catch (...) {
        return {};
    }
}

}  // namespace mnemora
