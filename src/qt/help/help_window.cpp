#include "qt/help/help_window.h"

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>

#include "help/help_limits.h"
#include "help/help_text.h"

// The resources of a static library are registered by name, at file scope.
static void initHelpIconResources() { Q_INIT_RESOURCE(help_icon); }

namespace mnemora {

namespace {

constexpr const char* kScheme = "chm";
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kDefaultWidth = 820;
constexpr int kDefaultHeight = 560;
constexpr int kMaxTitleLength = 200;
// A page narrower than this sets a few words a line; the contents keep a
// little room for the start of their titles.
constexpr int kMinPageWidth = 480;
constexpr int kMinContentsWidth = 120;
constexpr int kMinHeight = 240;
constexpr int kPlacementGap = 12;

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString windowTitleBase() { return QString::fromUtf8("Справка Мнеморы"); }

QString noticePage(const QString& heading, const QString& text) {
    return QString("<h3>%1</h3><p>%2</p>").arg(heading.toHtmlEscaped(), text.toHtmlEscaped());
}

HelpRect toHelpRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

QUrl chmUrl(const TopicName& topic) {
    QUrl url;
    url.setScheme(kScheme);
    std::string path = topic.path;
    if (!path.starts_with('/')) {
        path.insert(path.begin(), '/');
    }
    url.setPath(qs(path));
    if (!topic.fragment.empty()) {
        url.setFragment(qs(topic.fragment));
    }
    return url;
}

bool isExternalLink(const QUrl& url) {
    const QString s = url.scheme().toLower();
    return s == "http" || s == "https" || s == "mailto" || s == "ftp";
}

ChmBrowser::ChmBrowser(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("HelpBrowser");
    setOpenLinks(false);
    setOpenExternalLinks(false);
    openExternal = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { followLink(link); });
}

void ChmBrowser::followLink(const QUrl& link) {
    const QUrl target = link.isRelative() ? source().resolved(link) : link;
    if (isExternalLink(target)) {
        openExternal(target);
    } else if (target.scheme() == kScheme) {
        setSource(target);
    }
    // Any other scheme (javascript:, file:, ...) is not followed.
}

void ChmBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    // A jump within the page shown loads nothing new.
    if (name.path() != source().path()) {
        budget_ = PageBudget{};
    }
    QTextBrowser::doSetSource(name, type);
}

QVariant ChmBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    QVariant loaded;
    if (archive_ != nullptr && url.scheme() == kScheme) {
        if (type == QTextDocument::HtmlResource) {
            loaded = loadPage(url);
        } else if ((type == QTextDocument::ImageResource || type == QTextDocument::StyleSheetResource) &&
                   budgetLeft()) {
            ++budget_.resources;
            QElapsedTimer clock;
            clock.start();
            loaded = type == QTextDocument::ImageResource ? loadImage(url) : loadStyleSheet(url);
            budget_.millis += clock.elapsed();
        }
    }
    if (!loaded.isNull()) {
        return loaded;
    }
    // Never nothing: given nothing, the document would try on its own,
    // reading local files ("file:///dev/zero") and "data:" pictures past
    // every bound here.
    switch (type) {
        case QTextDocument::HtmlResource:
            return QString("<p>%1</p>").arg(QString::fromUtf8("Страница не найдена: ") + url.toString().toHtmlEscaped());
        case QTextDocument::ImageResource: {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        case QTextDocument::StyleSheetResource:
            return QString::fromLatin1("");
        default:
            return QByteArray("", 0);
    }
}

bool ChmBrowser::budgetLeft() const {
    return budget_.resources < kMaxPageResources && budget_.bytes < kMaxPageResourceBytes &&
           budget_.pixels < kMaxPagePixels && budget_.millis < kMaxPageResourceMillis;
}

QVariant ChmBrowser::loadPage(const QUrl& url) {
    const std::string path = url.path().toStdString();
    const auto bytes = archive_->read(path, kMaxPageBytes);
    if (!bytes) {
        if (!archive_->contains(path)) {
            return {};
        }
        return noticePage(QString::fromUtf8("Страница не показана"),
                          QString::fromUtf8("Страница %1 повреждена или больше %2 КБ.")
                              .arg(url.path())
                              .arg(kMaxPageBytes >> 10));
    }
    PreparedPage page = preparePage(*bytes);
    switch (page.refusal) {
        case PageRefusal::None:
            return qs(page.html);
        case PageRefusal::TooLarge:
            return noticePage(QString::fromUtf8("Страница не показана"),
                              QString::fromUtf8("Страница %1 больше %2 КБ.").arg(url.path()).arg(kMaxPageBytes >> 10));
        case PageRefusal::TooManyTags:
        case PageRefusal::TooDeep:
        case PageRefusal::TooWide:
            break;
    }
    return noticePage(QString::fromUtf8("Страница не показана"),
                      QString::fromUtf8("Разметка страницы %1 слишком сложна для показа.").arg(url.path()));
}

QVariant ChmBrowser::loadImage(const QUrl& url) {
    const auto bytes = archive_->read(url.path().toStdString(), kMaxImageBytes);
    if (!bytes) {
        return {};
    }
    budget_.bytes += bytes->size();
    if (budget_.bytes > kMaxPageResourceBytes) {
        return {};
    }
    QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(static_cast<int>((kMaxImagePixels * 4) >> 20) + 1);
    // The size comes from the header; a picture that will not say it is not decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > kMaxImageSide || size.height() > kMaxImageSide) {
        return {};
    }
    const std::int64_t pixels = std::int64_t{size.width()} * size.height();
    if (pixels > kMaxImagePixels || pixels > kMaxPagePixels - budget_.pixels) {
        return {};
    }
    budget_.pixels += pixels;
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    return image;
}

QVariant ChmBrowser::loadStyleSheet(const QUrl& url) {
    const auto bytes = archive_->read(url.path().toStdString(), kMaxPageBytes);
    if (!bytes) {
        return {};
    }
    budget_.bytes += bytes->size();
    if (budget_.bytes > kMaxPageResourceBytes || !styleWithinBounds(*bytes)) {
        return {};
    }
    return qs(decodeHelpText(*bytes));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("HelpWindow");
    setWindowTitle(windowTitleBase());
    // Mnemora's own icon, drawn for each size, whether or not one is installed.
    initHelpIconResources();
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128}) {
        icon.addFile(QString(":/icons/%1x%1/mnemora.png").arg(side), QSize(side, side));
    }
    setWindowIcon(icon);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kDefaultWidth, kDefaultHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    auto* splitter = new QSplitter(this);
    layout->addWidget(splitter, 1);
    contents_ = new QTreeWidget(splitter);
    contents_->setObjectName("HelpContents");
    contents_->setHeaderHidden(true);
    // Titles are shown whole; a narrow pane scrolls sideways rather than cut them.
    contents_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    contents_->header()->setStretchLastSection(false);
    browser_ = new ChmBrowser(splitter);
    contents_->setMinimumWidth(kMinContentsWidth);
    browser_->setMinimumWidth(kMinPageWidth);
    splitter->setChildrenCollapsible(false);
    setMinimumSize(kMinContentsWidth + kMinPageWidth + splitter->handleWidth(), kMinHeight);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 560});

    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QString::fromUtf8("Назад"));
    back->setObjectName("HelpBack");
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QString::fromUtf8("Вперёд"));
    forward->setObjectName("HelpForward");
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(0, kPathRole).toString();
        if (!path.isEmpty()) {
            browser_->setSource(QUrl(path));
        }
    });
    connect(contents_, &QTreeWidget::itemClicked, contents_, &QTreeWidget::itemActivated);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::followPage);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::followPage(const QUrl& url) {
    // The contents follow the page shown, however it was reached; a page
    // that is not in them leaves no entry marked.
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
        const QUrl local((*it)->data(0, kPathRole).toString());
        if (!local.isEmpty() && local.path().compare(url.path(), Qt::CaseInsensitive) == 0) {
            match = *it;
            break;
        }
    }
    if (match != nullptr) {
        contents_->setCurrentItem(match);
        contents_->scrollToItem(match);
    } else {
        contents_->setCurrentItem(nullptr);
        contents_->clearSelection();
    }
    const QString title = browser_->documentTitle().simplified().left(kMaxTitleLength);
    setWindowTitle(title.isEmpty() ? windowTitleBase() : title + QString::fromUtf8(" — ") + windowTitleBase());
    emit pageShown(url.path());
}

bool HelpWindow::showTopic(const std::filesystem::path& file, std::int32_t context) {
    if (!archive_ || file != file_) {
        auto opened = std::make_unique<ChmArchive>(file);  // FileError goes to the caller
        browser_->setArchive(nullptr);
        archive_ = std::move(opened);
        file_ = file;
        browser_->setArchive(archive_.get());
        browser_->clearHistory();
        loadContents();
    }
    const auto topic = archive_->lookupTopic(context);
    if (!topic) {
        return false;
    }
    const QUrl url = chmUrl(*topic);
    if (url == browser_->source()) {
        followPage(url);  // asked again for the page shown: mark it again
    } else {
        browser_->setSource(url);
    }
    show();
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    return true;
}

void HelpWindow::placeBeside(const HelpRect& asker, const HelpRect& askerInner) {
    const bool shown = isVisible() && !isMinimized();
    if (shown && overlapArea(toHelpRect(frameGeometry()), asker) == 0) {
        return;
    }
    QScreen* screen = nullptr;
    if (!asker.empty()) {
        screen = QGuiApplication::screenAt(QPoint(asker.x + asker.width / 2, asker.y + asker.height / 2));
    }
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    // The frame's own margins, known once the window manager has drawn one;
    // until then the asker's frame is the best guess. (The window is not
    // created early to ask: a window not yet created is moved by its frame,
    // as wanted here, a created one by its inside.)
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                   outer.bottom() - inner.bottom());
    if (frame.isNull() && !askerInner.empty() && overlapArea(asker, askerInner) > 0) {
        // A frame is a few pixels; anything else is a bogus report.
        const auto margin = [](long long outer) { return static_cast<int>(std::clamp(outer, 0LL, 200LL)); };
        frame = QMargins(margin(static_cast<long long>(askerInner.x) - asker.x),
                         margin(static_cast<long long>(askerInner.y) - asker.y),
                         margin(asker.right() - askerInner.right()), margin(asker.bottom() - askerInner.bottom()));
    }
    const QSize wanted = shown ? size() : QSize(kDefaultWidth, kDefaultHeight);
    const QSize least = minimumSize();
    const HelpRect place = placeHelpWindow(
        asker,
        {0, 0, wanted.width() + frame.left() + frame.right(), wanted.height() + frame.top() + frame.bottom()},
        toHelpRect(screen->availableGeometry()), kPlacementGap, least.width() + frame.left() + frame.right(),
        least.height() + frame.top() + frame.bottom());
    resize(place.width - frame.left() - frame.right(), place.height - frame.top() - frame.bottom());
    move(place.x, place.y);  // a window's position is that of its frame
}

void HelpWindow::loadContents() {
    contents_->clear();
    const auto hhc = archive_->contentsFile();
    const auto bytes = hhc ? archive_->read(*hhc, kMaxContentsBytes) : std::nullopt;
    const std::vector<ContentsEntry> entries = bytes ? parseContents(*bytes) : std::vector<ContentsEntry>{};
    if (entries.empty()) {
        contents_->hide();
        return;
    }
    // Pages in the contents are named relative to the contents file's folder;
    // each is stored as the archive spells it, so that the page shown finds
    // its entry whatever case or "../" the contents wrote.
    const QUrl base(QString(kScheme) + ":" + qs(*hhc));
    std::vector<QTreeWidgetItem*> parents;  // the last item at each depth
    for (const ContentsEntry& entry : entries) {
        const std::size_t depth = std::min<std::size_t>(static_cast<std::size_t>(entry.depth), parents.size());
        parents.resize(depth);
        auto* item = depth > 0 ? new QTreeWidgetItem(parents.back()) : new QTreeWidgetItem(contents_);
        parents.push_back(item);
        item->setText(0, qs(entry.name));
        item->setToolTip(0, qs(entry.name));
        if (entry.local.empty()) {
            continue;
        }
        const TopicName local = splitTopicName(entry.local);
        QUrl url = base.resolved(QUrl(qs(local.path)));
        if (url.scheme() != kScheme) {
            continue;  // a page outside the help file is not opened from here
        }
        if (const auto spelled = archive_->resolve(url.path().toStdString())) {
            url.setPath(qs(*spelled));
        }
        if (!local.fragment.empty()) {
            url.setFragment(qs(local.fragment));
        }
        item->setData(0, kPathRole, url.toString());
    }
    contents_->expandAll();
    contents_->show();
}

std::string noHelpTopicText(std::string_view file, std::int32_t context) {
    return "В файле справки " + std::string(file) + " нет раздела " + std::to_string(context) + ".";
}

}  // namespace mnemora
