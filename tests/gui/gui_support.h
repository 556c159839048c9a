#pragma once

#include <QApplication>
#include <deque>
#include <string>
#include <vector>

#include "common/help_hook.h"
#include "qt/common/message_boxes_qt.h"
#include "recording_boxes.h"

namespace mnemora::test {

// The one QApplication of the test program (made in its main), drawing offscreen.
QApplication& qtApp();

// A data file in the 8-bit code page with the given UTF-8 lines, CR LF.
std::string cp1251Lines(const std::vector<std::string>& lines);

}  // namespace mnemora::test

// Readable QStrings in test failures (found by argument-dependent lookup).
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
