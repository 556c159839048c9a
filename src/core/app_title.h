#pragma once

namespace mnemora {

// The application's title: the caption of plain and error boxes, the tray
// item's title and the program's name on the desktop.
inline constexpr const char* kApplicationTitle = "Мнемора";

}  // namespace mnemora
