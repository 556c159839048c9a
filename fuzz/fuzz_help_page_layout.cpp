// The page decoder's bounds are there so that the text view can lay out
// whatever they let through: here every page the decoder accepts is laid
// out by Qt's own text document, as the help window would, so that a page
// costing seconds or gigabytes shows up as a timeout or out-of-memory. Local
// files and "data:" pictures are refused, as the help window refuses them.
#include <QGuiApplication>
#include <QImage>
#include <QTextDocument>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "help/help_text.h"

namespace {

class SealedDocument : public QTextDocument {
protected:
    QVariant loadResource(int type, const QUrl&) override {
        if (type == QTextDocument::ImageResource) {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        return QString::fromLatin1("");
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_help_page_layout";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const mnemora::PreparedPage page = mnemora::preparePage(bytes);
    if (page.refusal != mnemora::PageRefusal::None) {
        return 0;
    }
    SealedDocument document;
    document.setHtml(QString::fromStdString(page.html));
    document.setTextWidth(600);
    (void)document.size();
    (void)document.toPlainText();
    return 0;
}
