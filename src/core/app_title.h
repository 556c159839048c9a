#pragma once

namespace mnemora {

// The application's title: the caption of plain and error boxes, the tray
// item's title and the program's name on the desktop.
inline constexpr const char* kApplicationTitle = "Мнемора";

// The mailing list's subscription address and the authors' address, as the
// About window shows them; "mailto:" and one of them opens a new message.
inline constexpr const char* kSubscribeAddress = "mnemora-subscribe@example.org";
inline constexpr const char* kContactAddress = "mnemora@example.org";
inline constexpr const char* kMailtoScheme = "mailto:";

}  // namespace mnemora
