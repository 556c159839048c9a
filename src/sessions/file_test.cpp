#include "sessions/file_test.h"

#include <sys/stat.h>

#include <ctime>

namespace mnemora {

bool FileExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    const std::time_t t = st.st_mtime;
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) {
        return false;
    }
    const int year = local.tm_year + 1900;
    return year >= 1980 && year <= 2107;
}

}  // namespace mnemora
