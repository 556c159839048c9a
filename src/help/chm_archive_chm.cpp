#include "help/chm_archive_chm.h"

#include <mspack.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>

#include "core/error.h"
#include "platform/files.h"

namespace mnemora {

namespace {

// Longer names cannot be in a directory chunk of the archive.
constexpr std::size_t kMaxObjectPath = 4096;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = asciiLower(c);
    }
    return out;
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

// The library does all its input and output through a table of functions.
// Ours serves the archive from memory, collects an extracted object in a
// string with a cap, and counts the library's own allocations against a cap,
// so that no file can make it read a FIFO, write to disk or take unbounded
// memory. The library calls these from C: nothing may be thrown through them.
struct MemorySystem {
    mspack_system table{};
    const std::string* input = nullptr;
    std::string* output = nullptr;
    std::size_t outputCap = 0;
    std::size_t heapUsed = 0;
    std::size_t heapCap = kMaxDecompressorHeap;
};

struct MemoryFile {
    MemorySystem* system = nullptr;
    bool writing = false;
    std::size_t pos = 0;
};

// Each block the library allocates starts with its owner and size, so that
// free(), which gets no system pointer, can give the bytes back.
struct alignas(std::max_align_t) BlockHeader {
    MemorySystem* owner;
    std::size_t size;
};

// The library hands its allocator a copy of our table at times (the
// unpacker keeps one of its own), so the table's address does not lead back
// to our state. Each call into the library names the archive it works for.
thread_local MemorySystem* tWorkingFor = nullptr;

class WorkingFor {
public:
    explicit WorkingFor(MemorySystem& system) : previous_(std::exchange(tWorkingFor, &system)) {}
    ~WorkingFor() { tWorkingFor = previous_; }
    WorkingFor(const WorkingFor&) = delete;
    WorkingFor& operator=(const WorkingFor&) = delete;

private:
    MemorySystem* previous_;
};

MemoryFile* fileOf(mspack_file* file) { return reinterpret_cast<MemoryFile*>(file); }

mspack_file* memOpen(mspack_system*, const char*, int mode) {
    MemorySystem* system = tWorkingFor;
    if (system == nullptr) {
        return nullptr;
    }
    if (mode != MSPACK_SYS_OPEN_READ && mode != MSPACK_SYS_OPEN_WRITE) {
        return nullptr;
    }
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE;
    if ((writing && system->output == nullptr) || (!writing && system->input == nullptr)) {
        return nullptr;
    }
    auto* file = new (std::nothrow) MemoryFile{system, writing, 0};
    return reinterpret_cast<mspack_file*>(file);
}

void memClose(mspack_file* file) { delete fileOf(file); }

int memRead(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = fileOf(handle);
    const std::string* input = file->system->input;
    if (file->writing || bytes < 0 || input == nullptr) {
        return -1;
    }
    if (file->pos >= input->size()) {
        return 0;
    }
    const std::size_t n = std::min(static_cast<std::size_t>(bytes), input->size() - file->pos);
    std::memcpy(buffer, input->data() + file->pos, n);
    file->pos += n;
    return static_cast<int>(n);
}

int memWrite(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = fileOf(handle);
    std::string* output = file->system->output;
    if (!file->writing || bytes < 0 || output == nullptr) {
        return -1;
    }
    const auto n = static_cast<std::size_t>(bytes);
    if (n > file->system->outputCap - std::min(output->size(), file->system->outputCap)) {
        return -1;  // more than the object said it holds
    }
    try {
        output->append(static_cast<const char*>(buffer), n);
    } catch (...) {
        return -1;
    }
    return bytes;
}

int memSeek(mspack_file* handle, off_t offset, int mode) {
    MemoryFile* file = fileOf(handle);
    const std::size_t size = file->writing ? file->system->output->size() : file->system->input->size();
    off_t base = 0;
    if (mode == MSPACK_SYS_SEEK_CUR) {
        base = static_cast<off_t>(file->pos);
    } else if (mode == MSPACK_SYS_SEEK_END) {
        base = static_cast<off_t>(size);
    } else if (mode != MSPACK_SYS_SEEK_START) {
        return -1;
    }
    // Damaged offsets may be anything; positions outside the bytes are refused.
    if ((offset > 0 && base > std::numeric_limits<off_t>::max() - offset) || base + offset < 0 ||
        static_cast<std::uint64_t>(base + offset) > size) {
        return -1;
    }
    file->pos = static_cast<std::size_t>(base + offset);
    return 0;
}

off_t memTell(mspack_file* handle) { return static_cast<off_t>(fileOf(handle)->pos); }

void memMessage(mspack_file*, const char*, ...) {}  // the library's warnings go nowhere

void* memAlloc(mspack_system*, size_t bytes) {
    MemorySystem* system = tWorkingFor;
    if (system == nullptr || bytes > system->heapCap - system->heapUsed) {
        return nullptr;
    }
    void* block = std::malloc(sizeof(BlockHeader) + bytes);
    if (block == nullptr) {
        return nullptr;
    }
    new (block) BlockHeader{system, bytes};
    system->heapUsed += bytes;
    return static_cast<char*>(block) + sizeof(BlockHeader);
}

void memFree(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - sizeof(BlockHeader);
    const auto* header = static_cast<BlockHeader*>(block);
    header->owner->heapUsed -= header->size;
    std::free(block);
}

void memCopy(void* from, void* to, size_t bytes) { std::memcpy(to, from, bytes); }

[[noreturn]] void cannotOpen(const std::string& name) { throw FileError("Cannot open file " + name); }

std::uint64_t readLe(const std::string& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

void writeLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Two habits of the Free Pascal help compiler (chmcmd, which builds our own
// help) that the library does not take, mended in the bytes before it sees
// them:
// - the file header holds two GUIDs, {7C01FD10-...} then {7C01FD11-...};
//   chmcmd writes the first one twice, and the library insists on the second;
// - the directory header names the first and the last listing chunk; chmcmd
//   writes the last one's number in both places, and the library, which
//   reads the listing from the first to the last, would miss every page in
//   the chunks before. Every chunk is read instead (the library skips the
//   index chunks among them by their signature).
void mendCompilerHabits(std::string& bytes) {
    constexpr std::size_t kFirstGuid = 0x18;
    constexpr std::size_t kSecondGuid = 0x28;
    constexpr std::size_t kGuidSize = 16;
    constexpr std::size_t kDirectoryOffset = 0x48;  // where the directory header starts
    constexpr std::size_t kDirectoryHeaderSize = 0x54;
    constexpr std::size_t kFirstChunk = 0x20, kLastChunk = 0x24, kChunkCount = 0x2C;
    if (bytes.size() < kSecondGuid + kGuidSize || bytes.compare(0, 4, "ITSF") != 0) {
        return;
    }
    if (bytes.compare(kSecondGuid, kGuidSize, bytes, kFirstGuid, kGuidSize) == 0 &&
        static_cast<unsigned char>(bytes[kFirstGuid]) == 0x10) {
        bytes[kSecondGuid] = '\x11';
    }
    if (bytes.size() < kDirectoryOffset + 8) {
        return;
    }
    const std::uint64_t directory = readLe(bytes, kDirectoryOffset, 8);
    if (directory > bytes.size() || bytes.size() - directory < kDirectoryHeaderSize ||
        bytes.compare(static_cast<std::size_t>(directory), 4, "ITSP") != 0) {
        return;
    }
    const auto at = static_cast<std::size_t>(directory);
    const auto chunks = static_cast<std::uint32_t>(readLe(bytes, at + kChunkCount, 4));
    if (chunks > 0) {
        writeLe32(bytes, at + kFirstChunk, 0);
        writeLe32(bytes, at + kLastChunk, chunks - 1);
    }
}

}  // namespace

struct ChmArchive::Impl {
    MemorySystem system;
    std::string bytes;
    std::string name;  // the library keeps a pointer to it for the archive's life
    mschm_decompressor* decompressor = nullptr;
    mschmd_header* header = nullptr;
    // Every object (pages and the compiler's tables) by its lower-case name;
    // of names that differ only in case the first listed wins.
    std::unordered_map<std::string, mschmd_file*> index;

    Impl(std::string fileBytes, std::string fileName) : bytes(std::move(fileBytes)), name(std::move(fileName)) {
        mendCompilerHabits(bytes);
        system.table.open = memOpen;
        system.table.close = memClose;
        system.table.read = memRead;
        system.table.write = memWrite;
        system.table.seek = memSeek;
        system.table.tell = memTell;
        system.table.message = memMessage;
        system.table.alloc = memAlloc;
        system.table.free = memFree;
        system.table.copy = memCopy;
        system.table.null_ptr = nullptr;
        system.input = &bytes;
    }

    ~Impl() {
        const WorkingFor scope(system);
        if (header != nullptr) {
            decompressor->close(decompressor, header);
        }
        if (decompressor != nullptr) {
            mspack_destroy_chm_decompressor(decompressor);
        }
    }

    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void open() {
        const WorkingFor scope(system);
        int selftest = MSPACK_ERR_OK;
        MSPACK_SYS_SELFTEST(selftest);
        if (selftest != MSPACK_ERR_OK) {
            cannotOpen(name);
        }
        decompressor = mspack_create_chm_decompressor(&system.table);
        if (decompressor == nullptr) {
            cannotOpen(name);
        }
        // The headers alone first: a directory beyond the bound is refused
        // before the library lists a single entry of it.
        mschmd_header* headers = decompressor->fast_open(decompressor, name.c_str());
        if (headers == nullptr) {
            cannotOpen(name);
        }
        // The library checks that the first listing chunk is not after the last.
        const std::uint64_t listing =
            (std::uint64_t{headers->last_pmgl} - headers->first_pmgl + 1) * headers->chunk_size;
        decompressor->close(decompressor, headers);
        if (listing > kMaxHelpDirectoryBytes) {
            cannotOpen(name);
        }
        header = decompressor->open(decompressor, name.c_str());
        if (header == nullptr) {
            cannotOpen(name);
        }
        for (mschmd_file* list : {header->files, header->sysfiles}) {
            for (mschmd_file* file = list; file != nullptr; file = file->next) {
                index.try_emplace(lowerAscii(file->filename), file);
            }
        }
    }

    mschmd_file* find(const std::string& objectPath) const {
        if (objectPath.empty() || objectPath.size() > kMaxObjectPath || objectPath.find('\0') != std::string::npos) {
            return nullptr;
        }
        const auto it = index.find(lowerAscii(objectPath));
        return it == index.end() ? nullptr : it->second;
    }

    std::optional<std::string> extract(mschmd_file* file, std::size_t maxBytes) {
        if (file->section == nullptr || file->offset < 0 || file->length < 0 ||
            static_cast<std::uint64_t>(file->length) > maxBytes) {
            return std::nullopt;
        }
        if (file->section->id == 1 &&
            (file->offset > kMaxCompressedReach || file->length > kMaxCompressedReach - file->offset)) {
            return std::nullopt;
        }
        // The compressed stream is described by four tables of the listing.
        // When one is missing the library looks it up itself through the
        // archive's index, a walk that a damaged index can send round in
        // circles for ever; a file without them is damaged anyway.
        const mschmd_sec_mscompressed& stream = header->sec1;
        if (file->section->id == 1 && (stream.content == nullptr || stream.control == nullptr ||
                                       stream.rtable == nullptr || stream.spaninfo == nullptr)) {
            return std::nullopt;
        }
        std::string out;
        const auto length = static_cast<std::size_t>(file->length);
        try {
            out.reserve(length);
        } catch (...) {
            return std::nullopt;
        }
        const WorkingFor scope(system);
        system.output = &out;
        system.outputCap = length;
        const int error = decompressor->extract(decompressor, file, "");
        system.output = nullptr;
        system.outputCap = 0;
        if (error != MSPACK_ERR_OK || out.size() != length) {
            return std::nullopt;
        }
        return out;
    }
};

ChmArchive::ChmArchive(const std::filesystem::path& file) {
    FileBytes read = readRegularFile(file, kMaxHelpFileBytes);
    if (read.status != ReadStatus::Ok) {
        cannotOpen(file.string());
    }
    impl_ = std::make_unique<Impl>(std::move(read.bytes), file.string());
    impl_->open();
}

ChmArchive::ChmArchive(std::string bytes, const std::string& name) {
    if (bytes.size() > kMaxHelpFileBytes) {
        cannotOpen(name);
    }
    impl_ = std::make_unique<Impl>(std::move(bytes), name);
    impl_->open();
}

ChmArchive ChmArchive::fromBytes(std::string bytes, const std::string& name) {
    return {std::move(bytes), name};
}

ChmArchive::~ChmArchive() = default;
ChmArchive::ChmArchive(ChmArchive&& other) noexcept = default;
ChmArchive& ChmArchive::operator=(ChmArchive&& other) noexcept = default;

std::optional<std::string> ChmArchive::resolve(const std::string& objectPath) const {
    if (!impl_) {
        return std::nullopt;
    }
    const mschmd_file* file = impl_->find(objectPath);
    return file != nullptr ? std::optional<std::string>(file->filename) : std::nullopt;
}

std::optional<std::string> ChmArchive::read(const std::string& objectPath, std::size_t maxBytes) const {
    if (!impl_) {
        return std::nullopt;
    }
    mschmd_file* file = impl_->find(objectPath);
    return file != nullptr ? impl_->extract(file, maxBytes) : std::nullopt;
}

std::vector<std::string> ChmArchive::files() const {
    std::vector<std::string> paths;
    if (!impl_) {
        return paths;
    }
    for (const mschmd_file* file = impl_->header->files; file != nullptr; file = file->next) {
        const std::string_view path(file->filename);
        // Only names under "/" can be reached from a page; a damaged entry
        // may have any other.
        if (!path.starts_with('/') || path.back() == '/' || path.starts_with("/#") || path.starts_with("/$")) {
            continue;
        }
        paths.emplace_back(path);
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
