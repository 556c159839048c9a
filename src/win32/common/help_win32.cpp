#include "win32/common/help_win32.h"

#include <htmlhelp.h>
#include <objbase.h>

#include <utility>
#include <vector>

#include "core/error.h"
#include "help/help_limits.h"
#include "help/help_locator.h"
#include "help/help_map.h"
#include "platform/path_text.h"
#include "platform/places.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The system's reader of compiled help files (itss.dll). MinGW ships no
// header for it, so the interface is declared here, methods in their order.
// Outside the unnamed namespace: a class with no implementation in sight
// there lets the compiler assume its methods can only be the pure ones.
const CLSID kClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// NOLINTBEGIN(readability-identifier-naming): the system's names
struct IItStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved,
                                                       IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode, DWORD reserved,
                                                                   IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority, DWORD mode,
                                                     SNB exclude, DWORD reserved, IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage* priority, DWORD mode,
                                                                 SNB exclude, DWORD reserved, IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgSetTimes(const WCHAR* name, const FILETIME* created,
                                                  const FILETIME* accessed, const FILETIME* modified) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetControlData(void* controlData) = 0;
    virtual HRESULT STDMETHODCALLTYPE DefaultControlData(void** controlData) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compact(const WCHAR* name, int level) = 0;
};
// NOLINTEND(readability-identifier-naming)

namespace {


// Releases a COM interface when it goes.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }

  private:
    T* p_ = nullptr;
};

// COM for the length of one read; a thread where COM already runs keeps it.
class ComScope {
  public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool ok_;
};

[[noreturn]] void cannotOpen(const std::filesystem::path& file) {
    throw FileError("Cannot open file " + pathToUtf8(file));
}

// One stream of the file, whole; empty when it is not there or beyond the
// size any sound map has.
std::string readStream(IStorage& storage, const wchar_t* name) {
    ComPtr<IStream> stream;
    if (FAILED(storage.OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.out()))) {
        return {};
    }
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > kMaxHelpObjectBytes) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        ULONG got = 0;
        const HRESULT hr = stream->Read(bytes.data() + have, static_cast<ULONG>(bytes.size() - have), &got);
        if (FAILED(hr) || got == 0) {
            break;
        }
        have += got;
    }
    bytes.resize(have);
    return bytes;
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// HtmlHelpW from the system folder's hhctrl.ocx, loaded at the first request
// of the run (and not looked for again when it is missing). The full path
// keeps a file of that name in the current folder from being taken instead.
HtmlHelpFunction htmlHelpFunction() {
    static const HtmlHelpFunction function = [] {
        wchar_t system[MAX_PATH]{};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return HtmlHelpFunction{nullptr};
        }
        const std::wstring path = std::wstring(system, length) + L"\\hhctrl.ocx";
        HMODULE library = LoadLibraryW(path.c_str());
        if (library == nullptr) {
            return HtmlHelpFunction{nullptr};
        }
        return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
    }();
    return function;
}

HWND systemViewer(HWND owner, const std::wstring& file, UINT command, DWORD_PTR data) {
    if (const HtmlHelpFunction function = htmlHelpFunction()) {
        return function(owner, file.empty() ? nullptr : file.c_str(), command, data);
    }
    if (command != HH_CLOSE_ALL) {
        messageBoxes().plain("Не удалось загрузить программу показа справки hhctrl.ocx из системной папки Windows.");
    }
    return nullptr;
}

}  // namespace

HelpFileMap readHelpFileMap(const std::filesystem::path& file) {
    ComScope com;
    ComPtr<IItStorage> itss;
    if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                                reinterpret_cast<void**>(itss.out())))) {
        cannotOpen(file);
    }
    ComPtr<IStorage> storage;
    if (FAILED(itss->StgOpenStorage(file.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                    storage.out()))) {
        cannotOpen(file);
    }
    IStorage& archive = *storage.operator->();
    const auto exists = [&](const std::string& path) {
        // Archive paths start with "/", which the storage's names leave out.
        ComPtr<IStream> stream;
        return SUCCEEDED(archive.OpenStream(wtext(std::string_view(path).substr(1)).c_str(), nullptr,
                                            STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.out()));
    };
    HelpFileMap map;
    for (ContextMapEntry& entry : parseContextMap(readStream(archive, L"#IVB"), readStream(archive, L"#STRINGS"))) {
        if (map.contains(entry.context)) {
            continue;
        }
        TopicName name = splitTopicName(entry.name);
        const std::vector<std::string> candidates = topicPathCandidates(name.path);
        for (const std::string& candidate : candidates) {
            if (exists(candidate)) {
                map[entry.context] = {candidate, std::move(name.fragment), candidate == candidates.front()};
                break;
            }
        }
    }
    return map;
}

std::string helpTopicMissingText(const std::filesystem::path& file, std::int32_t context) {
    return "В файле справки " + pathToUtf8(file) + " нет раздела " + std::to_string(context) + ".";
}

Win32HelpPlatform::Win32HelpPlatform() : Win32HelpPlatform(executableDir(), systemViewer) {}

Win32HelpPlatform::Win32HelpPlatform(std::filesystem::path folder, HtmlHelpCall viewer)
    : folder_(std::move(folder)), viewer_(std::move(viewer)) {}

Win32HelpPlatform::~Win32HelpPlatform() {
    if (!viewerOpened_) {
        return;
    }
    viewer_(nullptr, std::wstring(), HH_CLOSE_ALL, 0);
}

bool Win32HelpPlatform::shiftDown() const { return GetKeyState(VK_SHIFT) < 0; }

void Win32HelpPlatform::plainMessage(const std::string& text) { messageBoxes().plain(text); }

void Win32HelpPlatform::htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) {
    const std::filesystem::path path = folder_ / pathFromUtf8(file);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) == 0 ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        messageBoxes().plain(helpFileNotFoundText(file, {path}));
        return;
    }
    const FileStamp stamp{
        (std::uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow,
        (std::uint64_t{attributes.ftLastWriteTime.dwHighDateTime} << 32) | attributes.ftLastWriteTime.dwLowDateTime};
    if (path != mapFile_ || stamp != mapStamp_) {
        mapStamp_.reset();
        map_ = {};
        try {
            map_ = readHelpFileMap(path);
        } catch (const Error& failure) {
            // Said as any failure of a handler is, without ending the request's
            // caller; the file is read again at the next request.
            messageBoxes().error(errorBoxText(failure));
            return;
        }
        mapFile_ = path;
        mapStamp_ = stamp;
    }
    const auto topic = map_.find(data);
    if (topic == map_.end()) {
        messageBoxes().plain(helpTopicMissingText(path, data));
        return;
    }
    viewerOpened_ = true;
    if (topic->second.namedAsInFile) {
        viewer_(GetActiveWindow(), path.wstring(), command, static_cast<DWORD_PTR>(static_cast<std::uint32_t>(data)));
    } else {
        std::string page = topic->second.page;
        if (!topic->second.fragment.empty()) {
            page += "#" + topic->second.fragment;
        }
        viewer_(GetActiveWindow(), path.wstring() + L"::" + wtext(page), HH_DISPLAY_TOPIC, 0);
    }
}

}  // namespace mnemora::win32
