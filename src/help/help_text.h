#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "help/help_limits.h"

namespace mnemora {

// The charset a page declares in its first kilobytes ("windows-1251",
// "utf-8", ...), lower case, or empty when it names none.
std::string declaredCharset(std::string_view page);

// A page's bytes as UTF-8: its declared charset when it is one we know
// (Windows-1251, UTF-8, ISO-8859-1), else UTF-8 when the bytes are valid
// UTF-8, else Windows-1251, the help files' usual code page.
std::string decodeHelpText(std::string_view bytes);

// One entry of the table of contents (a .hhc sitemap).
struct ContentsEntry {
    std::string name;   // UTF-8, at most kMaxContentsNameBytes
    std::string local;  // the page, as the file writes it; may be empty
    // 0 for a top-level entry; an entry's parent is the nearest entry before
    // it one level up.
    int depth = 0;

    bool operator==(const ContentsEntry&) const = default;
};

// The tree of a .hhc file in reading order: every sitemap object with its
// "Name" and "Local" parameters, nested as its <UL> lists are. The tree is
// flat so that neither reading nor freeing it recurses, however deep the file
// nests. At most the first kMaxContentsBytes are read and kMaxContentsEntries
// entries kept; entries nested deeper than kMaxContentsDepth stay at that
// depth. Damaged markup gives what could be read, never a failure.
std::vector<ContentsEntry> parseContents(std::string_view hhc);

// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" and numeric
// references ("&#1040;", "&#x410;") as UTF-8; anything else stays as written.
std::string decodeEntities(std::string_view text);

// Why a page is not shown.
enum class PageRefusal {
    None,
    TooLarge,     // more than kMaxPageBytes
    TooManyTags,  // more than kMaxPageTags, or pictures than kMaxPageImages
    TooDeep,      // blocks or tables nested too deep
    TooWide,      // a length, a cell span or a run of text without a space beyond its bound
};

struct PreparedPage {
    std::string html;  // UTF-8, when the page is shown
    PageRefusal refusal = PageRefusal::None;
};

// A page's bytes made ready for the text view: decoded as decodeHelpText
// does, provided it keeps to every bound on a page in help_limits.h (its
// size, its tags, how deep its blocks and tables nest, its lengths, spans
// and unbroken text, its own style sheet included). The cost of laying a
// page out grows with each of these.
PreparedPage preparePage(std::string_view bytes);

// Whether every length in a style sheet (or a style attribute) keeps to
// kMaxLayoutLength; a linked style sheet beyond it is left out.
bool styleWithinBounds(std::string_view css);

}  // namespace mnemora
