#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "common/help_hook.h"
#include "help/chm_archive_chm.h"
#include "help/help_locator.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace mnemora {

// Pages, pictures and style sheets come from inside the help file; nothing
// is fetched from anywhere else and no script ever runs.
class ChmBrowser : public QTextBrowser {
public:
    explicit ChmBrowser(QWidget* parent = nullptr);
    void setArchive(const ChmArchive* archive) { archive_ = archive; }
    QVariant loadResource(int type, const QUrl& name) override;

    // Links that leave the help file go to the desktop; tests watch here.
    std::function<void(const QUrl&)> openExternal;

private:
    void followLink(const QUrl& link);
    const ChmArchive* archive_ = nullptr;
};

// "chm:/topics/lists.htm#part" for a topic of the archive.
QUrl chmUrl(const TopicName& topic);
bool isExternalLink(const QUrl& url);

// The one help window: contents beside the page, back and forward.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Opens the file (kept open while it is the one shown) at a topic number.
    // False, with nothing shown, when the file names no page for it at all.
    bool showTopic(const std::filesystem::path& file, std::int32_t context);
    ChmBrowser& browser() { return *browser_; }
    QTreeWidget& contents() { return *contents_; }

private:
    void loadContents();
    std::unique_ptr<ChmArchive> archive_;
    std::filesystem::path file_;
    ChmBrowser* browser_ = nullptr;
    QTreeWidget* contents_ = nullptr;
};

// Help on Linux: finds "vantero.chm" and opens it at the topic; says plainly
// where it looked when it is not there.
class ChmHelpPlatform : public HelpPlatform {
public:
    explicit ChmHelpPlatform(HelpSearchPlaces places = HelpSearchPlaces::forThisProcess());
    ~ChmHelpPlatform() override;
    bool shiftDown() const override;
    void plainMessage(const std::string& text) override;
    void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) override;
    HelpWindow* window() const { return window_.get(); }

private:
    HelpSearchPlaces places_;
    std::unique_ptr<HelpWindow> window_;
};

std::string noHelpTopicText(std::string_view file, std::int32_t context);

}  // namespace mnemora
