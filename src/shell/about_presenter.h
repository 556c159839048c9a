#pragma once

#include <string>
#include <string_view>

#include "core/color.h"

namespace mnemora {

// The texts of the About window.
inline constexpr std::string_view kAboutCaption = "О программе";
inline constexpr std::string_view kAboutParagraph =
    "Мнемора ведёт упражнения на вспоминание по спискам вопросов. В ней есть и таблица тонов.";
inline constexpr std::string_view kAboutMailingLabel = "Рассылка:";
inline constexpr std::string_view kAboutCredit = "Программирование: команда Мнеморы,";

// The two address labels.
enum class AboutLink { Label6, Label4 };

// What the About presenter needs of a front end's window.
class AboutView {
  public:
    virtual ~AboutView() = default;
    virtual void setVersionText(const std::string& text) = 0;
    // The label's text as shown: the address a click mails.
    [[nodiscard]] virtual std::string linkCaption(AboutLink link) const = 0;
    // Underlined or not, in the colour given; never bold, italic or struck out.
    virtual void setLinkLook(AboutLink link, bool underline, TColor color) = 0;
    virtual void openAddress(const std::string& url) = 0;
};

// The About window's rules: the version line, the links' highlight and
// where a click on an address goes.
class AboutPresenter {
  public:
    explicit AboutPresenter(AboutView& view) : view_(&view) {}
    // Without a window yet; the window attaches itself and calls FormCreate.
    AboutPresenter() = default;
    void attach(AboutView& view) { view_ = &view; }

    void FormCreate();
    // The pointer over an address: that one is lit, and stays lit until the
    // pointer crosses the panel's free area.
    void Label4MouseMove(AboutLink sender);
    void Panel1MouseMove();
    void Label4Click(AboutLink sender);

  private:
    AboutView* view_ = nullptr;
};

}  // namespace mnemora
