#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "help/help_placement.h"

namespace mnemora {

// Mnemora and its help viewer (a process of its own) talk in text lines: the
// requests go down the viewer's standard input, its replies come back on its
// standard output. A file name or text is one field, with every byte below
// "!", "%" and DEL written as "%XX", so that no name can break a line.

// "show <seq> <context> <frame x y width height> <inner x y width height>
// <file>": open the file at the topic, beside the window that asked (its
// frame; all zero: no window asked). The window without its frame tells the
// viewer how thick the window manager's frames are before its own first one.
struct ShowRequest {
    std::uint64_t seq = 0;
    std::int32_t context = 0;
    HelpRect nearFrame;
    HelpRect nearInner;
    std::string file;

    bool operator==(const ShowRequest&) const = default;
};

std::string encodeShowRequest(const ShowRequest& request);  // ends in "\n"
// Nothing for a line that is not a well-formed request (a "\n" at the end is
// allowed).
std::optional<ShowRequest> parseShowRequest(std::string_view line);

enum class ViewerReplyKind {
    Shown,    // "shown <seq> <page>": the request's page is on screen
    Error,    // "error <seq> <text>": the file could not be read; an error box
    Notice,   // "notice <seq> <text>": the file has no such topic; a plain box
    Page,     // "page <page>": the viewer shows another page (a link, the contents)
    Stalled,  // "stalled": the viewer stopped responding and is ending itself
    Crashed,  // "crashed": a fault inside the viewer (not a signal from outside) ends it
};

struct ViewerReply {
    ViewerReplyKind kind = ViewerReplyKind::Shown;
    std::uint64_t seq = 0;  // Shown, Error and Notice
    std::string text;       // the page, or the message

    bool operator==(const ViewerReply&) const = default;
};

std::string encodeViewerReply(const ViewerReply& reply);  // ends in "\n"
std::optional<ViewerReply> parseViewerReply(std::string_view line);
// The answer to a line that is not a well-formed request: an error for the
// request's number where the line has a readable one, else for number 0.
ViewerReply malformedRequestReply(std::string_view line);
// The number a reply answers, read from the start of a line alone (a reply
// too long to keep still answers its request); 0 when it answers none.
std::uint64_t replySeqOf(std::string_view lineStart);

// The field escaping, on its own.
std::string escapeField(std::string_view text);
std::optional<std::string> unescapeField(std::string_view field);

}  // namespace mnemora
