#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

// The charset a page declares in its first kilobytes ("windows-1251",
// "utf-8", ...), lower case, or empty when it names none.
std::string declaredCharset(std::string_view page);

// A page's bytes as UTF-8: its declared charset when it is one we know
// (Windows-1251, UTF-8, ISO-8859-1), else UTF-8 when the bytes are valid
// UTF-8, else Windows-1251, the help files' usual code page.
std::string decodeHelpText(std::string_view bytes);

// One entry of the table of contents (a .hhc sitemap).
struct ContentsNode {
    std::string name;   // UTF-8
    std::string local;  // the page, as the file writes it; may be empty
    std::vector<ContentsNode> children;
};

// The tree of a .hhc file: every sitemap object with its "Name" and "Local"
// parameters, nested as its <UL> lists are. Damaged markup gives what could
// be read, never a failure.
std::vector<ContentsNode> parseContents(std::string_view hhc);

}  // namespace mnemora
