#include "sessions/file_test.h"

#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {

bool FileExists(const std::string& path) {
    const std::optional<int> year = localWriteYear(pathFromUtf8(path));
    return year && *year >= 1980 && *year <= 2107;
}

}  // namespace mnemora
