#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "help/help_limits.h"
#include "help/help_map.h"

namespace mnemora {

// An open compiled help file. Object paths are the archive's, starting with
// "/" ("/index.htm", "/#SYSTEM"); the archive compares them without regard to
// case. One handle is not safe to use from two threads at once.
//
// The file is read into memory once (at most kMaxHelpFileBytes) and unpacked
// from there; every read is bounded as help_limits.h says.
class ChmArchive {
public:
    // FileError "Cannot open file <path>" when it is missing, not a regular
    // file, larger than the bound, not a help file, or its directory is
    // larger than the bound.
    explicit ChmArchive(const std::filesystem::path& file);
    // The same over bytes already in memory; `name` stands for the file in
    // the error text.
    static ChmArchive fromBytes(std::string bytes, const std::string& name);
    ~ChmArchive();
    ChmArchive(ChmArchive&& other) noexcept;
    ChmArchive& operator=(ChmArchive&& other) noexcept;
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // The path as the archive spells it, or nothing when there is no such object.
    [[nodiscard]] std::optional<std::string> resolve(const std::string& objectPath) const;
    [[nodiscard]] bool contains(const std::string& objectPath) const { return resolve(objectPath).has_value(); }

    // The whole object, or nothing when it is missing, cannot be read, is
    // larger than maxBytes or lies too far into the compressed stream.
    [[nodiscard]] std::optional<std::string> read(const std::string& objectPath,
                                    std::size_t maxBytes = kMaxHelpObjectBytes) const;

    // The pages and other files of the archive in its own order, each
    // starting with "/"; folders, the compiler's tables ("/#...", "/$...",
    // "::...") and names outside "/" are left out.
    [[nodiscard]] std::vector<std::string> files() const;

    [[nodiscard]] HelpSystemInfo systemInfo() const;

    // The table of contents: the one /#SYSTEM names if it is there, otherwise
    // the first .hhc in the archive.
    [[nodiscard]] std::optional<std::string> contentsFile() const;

    // The page for a topic number: the one the map's first entry for it names,
    // when the archive has that page; otherwise (an unmapped number, a file
    // without a map, a map entry naming a missing page) the default topic.
    // Nothing when neither leads to a page.
    [[nodiscard]] std::optional<TopicName> lookupTopic(std::int32_t context) const;

    // The default topic alone.
    [[nodiscard]] std::optional<TopicName> defaultTopic() const;

private:
    struct Impl;
    ChmArchive(std::string bytes, const std::string& name);
    [[nodiscard]] std::optional<TopicName> resolveTopic(const std::string& name) const;

    std::unique_ptr<Impl> impl_;
};

}  // namespace mnemora
