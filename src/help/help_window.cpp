#include "help/help_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "common/message_boxes_qt.h"
#include "core/error.h"
#include "help/help_text.h"

namespace mnemora {

namespace {

constexpr const char* kScheme = "chm";
constexpr int kLocalRole = Qt::UserRole + 1;

QString qs(const std::string& s) { return QString::fromStdString(s); }

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

QVariant ChmBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (archive_ == nullptr || url.scheme() != kScheme) {
        return {};
    }
    const auto bytes = archive_->read(url.path().toStdString());
    if (!bytes) {
        if (type == QTextDocument::HtmlResource) {
            return QString("<p>%1</p>").arg(QString::fromUtf8("Страница не найдена: ") + url.path().toHtmlEscaped());
        }
        return {};
    }
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
        return qs(decodeHelpText(*bytes));
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("HelpWindow");
    setWindowTitle(QString::fromUtf8("Справка Мнеморы"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(820, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    auto* splitter = new QSplitter(this);
    layout->addWidget(splitter, 1);
    contents_ = new QTreeWidget(splitter);
    contents_->setObjectName("HelpContents");
    contents_->setHeaderHidden(true);
    browser_ = new ChmBrowser(splitter);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({220, 600});

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
        const QString local = item->data(0, kLocalRole).toString();
        if (!local.isEmpty()) {
            browser_->setSource(chmUrl(splitTopicName(local.toStdString())));
        }
    });
    connect(contents_, &QTreeWidget::itemClicked, contents_, &QTreeWidget::itemActivated);
    // The contents follow the page shown, however it was reached.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
            const QString local = (*it)->data(0, kLocalRole).toString();
            if (!local.isEmpty() && chmUrl(splitTopicName(local.toStdString())).path() == url.path()) {
                contents_->setCurrentItem(*it);
                return;
            }
        }
    });
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::showTopic(const std::filesystem::path& file, std::int32_t context) {
    if (!archive_ || file != file_) {
        auto opened = std::make_unique<ChmArchive>(file);  // FileError goes to the error box
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
    browser_->setSource(chmUrl(*topic));
    show();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::loadContents() {
    contents_->clear();
    const auto hhc = archive_->contentsFile();
    const auto bytes = hhc ? archive_->read(*hhc) : std::nullopt;
    if (!bytes) {
        contents_->hide();
        return;
    }
    // Pages in the contents are named relative to the contents file's folder.
    const std::string base = hhc->substr(0, hhc->rfind('/') + 1);
    std::function<void(const std::vector<ContentsNode>&, QTreeWidgetItem*)> add =
        [&](const std::vector<ContentsNode>& nodes, QTreeWidgetItem* parent) {
            for (const ContentsNode& node : nodes) {
                auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
                item->setText(0, qs(node.name));
                if (!node.local.empty()) {
                    std::string local = node.local;
                    if (local.find(':') == std::string::npos && !local.starts_with('/')) {
                        local = base + local;
                    }
                    item->setData(0, kLocalRole, qs(local));
                }
                add(node.children, item);
            }
        };
    add(parseContents(*bytes), nullptr);
    contents_->expandAll();
    contents_->show();
}

std::string noHelpTopicText(std::string_view file, std::int32_t context) {
    return "В файле справки " + std::string(file) + " нет раздела " + std::to_string(context) + ".";
}

ChmHelpPlatform::ChmHelpPlatform(HelpSearchPlaces places) : places_(std::move(places)) {}

ChmHelpPlatform::~ChmHelpPlatform() = default;

bool ChmHelpPlatform::shiftDown() const {
    return (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
}

void ChmHelpPlatform::plainMessage(const std::string& text) { messageBoxes().plain(text); }

void ChmHelpPlatform::htmlHelp(std::string_view file, std::uint32_t, std::int32_t data) {
    const HelpFileSearch search = findHelpFile(places_, file);
    if (!search.found) {
        messageBoxes().plain(helpFileNotFoundText(file, search.searched));
        return;
    }
    if (!window_) {
        window_ = std::make_unique<HelpWindow>();
    }
    if (!window_->showTopic(*search.found, data)) {
        messageBoxes().plain(noHelpTopicText(search.found->string(), data));
    }
}

}  // namespace mnemora
