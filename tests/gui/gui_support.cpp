#include "gui_support.h"

#include "core/cp1251.h"

namespace mnemora::test {

QApplication& qtApp() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

std::string cp1251Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += utf8ToCp1251OrThrow(l) + "\r\n";
    }
    return out;
}

}  // namespace mnemora::test
