#include "help/chm_archive_chm.h"

#include <chm_lib.h>

#include <cstring>
#include <utility>

#include "core/error.h"

namespace mnemora {

namespace {

// A help file of this program is a few hundred kilobytes; a damaged directory
// entry must not make us allocate gigabytes.
constexpr LONGUINT64 kMaxObjectSize = LONGUINT64{64} * 1024 * 1024;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    const std::string_view end = text.substr(text.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (asciiLower(end[i]) != asciiLower(tail[i])) {
            return false;
        }
    }
    return true;
}

// chmlib calls this from C: nothing may be thrown through it.
int collectFile(chmFile*, chmUnitInfo* ui, void* context) {
    try {
        const std::string_view path(ui->path, ::strnlen(ui->path, sizeof ui->path));
        if (!path.empty() && path.back() != '/') {
            static_cast<std::vector<std::string>*>(context)->emplace_back(path);
        }
        return CHM_ENUMERATOR_CONTINUE;
    } catch (...) {
        return CHM_ENUMERATOR_FAILURE;
    }
}

}  // namespace

ChmArchive::ChmArchive(const std::filesystem::path& file) : handle_(::chm_open(file.c_str())) {
    if (handle_ == nullptr) {
        throw FileError("Cannot open file " + file.string());
    }
}

ChmArchive::~ChmArchive() {
    if (handle_ != nullptr) {
        ::chm_close(handle_);
    }
}

ChmArchive::ChmArchive(ChmArchive&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

ChmArchive& ChmArchive::operator=(ChmArchive&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) {
            ::chm_close(handle_);
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

std::optional<std::string> ChmArchive::resolve(const std::string& objectPath) const {
    // Longer names or ones with a NUL cannot be in the archive's directory.
    if (handle_ == nullptr || objectPath.empty() || objectPath.size() > CHM_MAX_PATHLEN ||
        objectPath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    chmUnitInfo ui{};
    if (::chm_resolve_object(handle_, objectPath.c_str(), &ui) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    return std::string(ui.path, ::strnlen(ui.path, sizeof ui.path));
}

std::optional<std::string> ChmArchive::read(const std::string& objectPath) const {
    if (handle_ == nullptr || objectPath.empty() || objectPath.size() > CHM_MAX_PATHLEN ||
        objectPath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    chmUnitInfo ui{};
    if (::chm_resolve_object(handle_, objectPath.c_str(), &ui) != CHM_RESOLVE_SUCCESS ||
        ui.length > kMaxObjectSize) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(ui.length), '\0');
    LONGUINT64 got = 0;
    // The library hands out a compressed object a block at a time.
    while (got < ui.length) {
        const LONGINT64 n = ::chm_retrieve_object(
            handle_, &ui, reinterpret_cast<unsigned char*>(bytes.data()) + got, got,
            static_cast<LONGINT64>(ui.length - got));
        if (n <= 0) {
            return std::nullopt;
        }
        got += static_cast<LONGUINT64>(n);
    }
    return bytes;
}

std::vector<std::string> ChmArchive::files() const {
    std::vector<std::string> paths;
    if (handle_ != nullptr) {
        ::chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectFile, &paths);
    }
    return paths;
}

HelpSystemInfo ChmArchive::systemInfo() const {
    const auto system = read("/#SYSTEM");
    return system ? parseHelpSystem(*system) : HelpSystemInfo{};
}

std::optional<std::string> ChmArchive::contentsFile() const {
    if (const auto named = systemInfo().contentsFile) {
        if (auto topic = resolveTopic(*named)) {
            return std::move(topic->path);
        }
    }
    for (std::string& path : files()) {
        if (endsWithNoCase(path, ".hhc")) {
            return std::move(path);
        }
    }
    return std::nullopt;
}

std::optional<TopicName> ChmArchive::lookupTopic(std::int32_t context) const {
    const auto ivb = read("/#IVB");
    const auto strings = read("/#STRINGS");
    if (ivb && strings) {
        if (const auto name = findContextTopic(*ivb, *strings, context)) {
            if (auto topic = resolveTopic(*name)) {
                return topic;
            }
        }
    }
    return defaultTopic();
}

std::optional<TopicName> ChmArchive::defaultTopic() const {
    const auto name = systemInfo().defaultTopic;
    return name ? resolveTopic(*name) : std::nullopt;
}

std::optional<TopicName> ChmArchive::resolveTopic(const std::string& name) const {
    TopicName topic = splitTopicName(name);
    std::optional<std::string> spelled;
    const auto found = resolveTopicPath(topic.path, [&](const std::string& candidate) {
        spelled = resolve(candidate);
        return spelled.has_value();
    });
    if (!found) {
        return std::nullopt;
    }
    topic.path = std::move(*spelled);
    return topic;
}

}  // namespace mnemora
