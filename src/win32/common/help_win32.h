#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "common/help_hook.h"

namespace mnemora::win32 {

// The viewer's entry point as HtmlHelpW takes it, giving the viewer's window.
// The program hands it the real HtmlHelpW; a test records the calls instead.
using HtmlHelpCall = std::function<HWND(HWND owner, const std::wstring& file, UINT command, DWORD_PTR data)>;

// Where a topic number leads in a help file.
struct HelpTopic {
    std::string page;      // the archive path that exists ("/lists/list01.htm")
    std::string fragment;  // the place in it, or empty
    // The map names the page as the archive has it, so the viewer finds it by
    // the number alone. A help compiler may instead write its own build path
    // ("/home/me/help/work.htm"); the page is then opened by its name.
    bool namedAsInFile = true;
};

// The numbers of a help file's map ("/#IVB" with "/#STRINGS") whose page is
// in the file; the first entry of a number counts.
using HelpFileMap = std::map<std::int32_t, HelpTopic>;

// Reads the map through the system's own help-file storage (ITStorage of
// itss.dll). A file that opens but has no map gives an empty one; one that
// is not a help file at all throws FileError("Cannot open file ...").
HelpFileMap readHelpFileMap(const std::filesystem::path& file);

// Our message for a topic number the help file does not have.
std::string helpTopicMissingText(const std::filesystem::path& file, std::int32_t context);

// Help through the system's HTML Help viewer (HtmlHelpW of hhctrl.ocx),
// with the help file beside the program. A number is handed to the viewer
// only when the file's map has it, so that the user never meets the
// viewer's own error page; otherwise we say what is wrong ourselves.
class Win32HelpPlatform : public HelpPlatform {
  public:
    Win32HelpPlatform();
    // The help file looked for in `folder`, the viewer reached through `viewer`.
    Win32HelpPlatform(std::filesystem::path folder, HtmlHelpCall viewer);
    // Closes every help window the viewer opened for us: it would otherwise
    // outlive the program.
    ~Win32HelpPlatform() override;
    Win32HelpPlatform(const Win32HelpPlatform&) = delete;
    Win32HelpPlatform& operator=(const Win32HelpPlatform&) = delete;

    [[nodiscard]] bool shiftDown() const override;
    void plainMessage(const std::string& text) override;
    void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) override;

  private:
    // Last write time and size: the map is read again only when they change.
    struct FileStamp {
        std::uint64_t size = 0;
        std::uint64_t written = 0;
        bool operator==(const FileStamp&) const = default;
    };

    std::filesystem::path folder_;
    HtmlHelpCall viewer_;
    std::filesystem::path mapFile_;
    std::optional<FileStamp> mapStamp_;
    HelpFileMap map_;
    bool viewerOpened_ = false;
};

}  // namespace mnemora::win32
