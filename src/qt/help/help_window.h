#pragma once

#include <QElapsedTimer>
#include <QTextBrowser>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "help/chm_archive_chm.h"
#include "help/help_placement.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace mnemora {

// What one page has taken so far of what it may pull in (help_limits.h).
struct PageBudget {
    int resources = 0;
    std::size_t bytes = 0;
    std::int64_t pixels = 0;
    std::int64_t millis = 0;
};

// Pages, pictures and style sheets come from inside the help file; nothing
// is fetched from anywhere else and no script ever runs. A page, picture or
// style sheet beyond its bounds is left out, not loaded.
class ChmBrowser : public QTextBrowser {
public:
    explicit ChmBrowser(QWidget* parent = nullptr);
    void setArchive(const ChmArchive* archive) { archive_ = archive; }
    QVariant loadResource(int type, const QUrl& name) override;
    [[nodiscard]] const PageBudget& budget() const { return budget_; }

    // Links that leave the help file go to the desktop; tests watch here.
    std::function<void(const QUrl&)> openExternal;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void followLink(const QUrl& link);
    QVariant loadPage(const QUrl& url);
    QVariant loadImage(const QUrl& url);
    QVariant loadStyleSheet(const QUrl& url);
    [[nodiscard]] bool budgetLeft() const;

    const ChmArchive* archive_ = nullptr;
    PageBudget budget_;
};

// "chm:/topics/lists.htm#part" for a topic of the archive.
QUrl chmUrl(const TopicName& topic);
bool isExternalLink(const QUrl& url);

// The help window: contents beside the page, back and forward. It is the
// one window of the help viewer process.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Opens the file (kept open while it is the one shown) at a topic number
    // and shows the window. FileError when the file cannot be opened; false,
    // with nothing shown, when the file names no page for the number at all.
    bool showTopic(const std::filesystem::path& file, std::int32_t context);

    // Puts the window beside the frame of the window that asked for help
    // (empty: none did), on that window's screen: when it is about to be
    // shown, or when it covers that window now. A window the user has moved
    // clear of the asker stays where it is. `askerInner`, the asker without
    // its frame, stands for how thick our own frame will be until the window
    // manager has drawn one.
    void placeBeside(const HelpRect& asker, const HelpRect& askerInner = {});

    ChmBrowser& browser() { return *browser_; }
    QTreeWidget& contents() { return *contents_; }

signals:
    // The page shown changed, however it was reached (its archive path).
    void pageShown(const QString& path);

private:
    void loadContents();
    void followPage(const QUrl& url);
    std::unique_ptr<ChmArchive> archive_;
    std::filesystem::path file_;
    ChmBrowser* browser_ = nullptr;
    QTreeWidget* contents_ = nullptr;
};

std::string noHelpTopicText(std::string_view file, std::int32_t context);

}  // namespace mnemora
