#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/help_hook.h"
#include "qt/common/look_qt.h"
#include "core/random.h"
#include "sessions/main_presenter.h"
#include "sessions/tray_catalogue.h"

class QAction;
class QFrame;
class QMenu;
class QPushButton;

namespace mnemora {

// A label that shows "&" captions the way menus do and reports clicks.
class MnemonicLabel : public QLabel {
    Q_OBJECT
public:
    explicit MnemonicLabel(QWidget* parent = nullptr) : QLabel(parent) { setTextFormat(Qt::RichText); }
    void setCaption(const std::string& caption);
    [[nodiscard]] const std::string& caption() const { return caption_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string caption_;
};

// The rich text a label shows for a caption with "&" marks.
QString mnemonicHtml(const std::string& caption);

// The 3-pixel bar that resizes the band beside the question area.
class BandSplitter : public QWidget {
public:
    BandSplitter(QWidget* band, QWidget* questionArea, int minimum, bool bandAbove, QWidget* parent);
    [[nodiscard]] int minimum() const { return minimum_; }
    // What a drag to the given band height leaves the band with.
    void dragBandTo(int requested);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QWidget* band_;
    QWidget* question_;
    int minimum_;
    bool bandAbove_;
    int pressY_ = 0;
    int pressHeight_ = 0;
};

// The main window: layout, painting and event wiring; every decision is
// its presenter's.
class TForm1 : public QWidget, public MainWindowView {
    Q_OBJECT
public:
    TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random, QWidget* parent = nullptr);
    ~TForm1() override;

    MainPresenter& presenter() { return *presenter_; }
    SessionEngine& engine() { return presenter_->engine(); }
    [[nodiscard]] QMenu* trayPopup() const { return TrayPopup; }
    [[nodiscard]] QAction* action(ActionId id) const { return actions_[static_cast<std::size_t>(id)]; }
    [[nodiscard]] QAction* menuItem(std::string_view name) const;
    // Makes the widgets now; showing the window does it by itself.
    void ensureControls();
    void setVisible(bool visible) override;

    // MainWindowView
    void setHeaderText(const std::string& text) override;
    void setQuestionText(const std::string& text) override;
    [[nodiscard]] std::string questionText() const override;
    void setPerceptionText(const std::string& text) override;
    void setWindowCaption(const std::string& text) override;
    void setWindowHelpContext(int context) override;
    void showWindow() override;
    void hideWindow() override;
    void setActionEnabled(ActionId action, bool enabled) override;
    void setMenuItemEnabled(std::string_view name, bool enabled) override;
    void closeWindow() override;
    void defer(std::function<void()> command) override;
    void applyQuestionAppearance(const TFont& font, TColor background) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void showTexts();
    void createActions();
    void buildTrayPopup();
    QPushButton* makeButton(const char* name, int x, ActionId id, const char* hint);

    std::unique_ptr<MainPresenter> presenter_;
    std::array<QAction*, 9> actions_{};
    std::vector<QAction*> menuItems_;  // one per catalogue entry, in its order
    bool placed_ = false;
    // What the session has set, kept while the widgets are not made yet.
    std::string header_;
    std::string question_;
    std::string perception_;
    std::optional<std::pair<TFont, TColor>> appearance_;

    QFrame* Panel1 = nullptr;
    QFrame* Panel_Quest = nullptr;
    QLabel* Label1 = nullptr;
    MnemonicLabel* Label_O = nullptr;
    MnemonicLabel* Label_Quest = nullptr;
    BandSplitter* Splitter2 = nullptr;
    QFrame* PanelText = nullptr;
    MnemonicLabel* Label_Text = nullptr;
    BandSplitter* Splitter1 = nullptr;
    QFrame* Panel_Button = nullptr;
    QPushButton* Button_Last = nullptr;
    QPushButton* Button_Next = nullptr;
    QPushButton* Button_Break = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* TrayPopup = nullptr;
};

}  // namespace mnemora
