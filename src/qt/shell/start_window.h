#pragma once

#include <QSize>
#include <QWidget>
#include <functional>

#include <memory>

#include "common/help_hook.h"
#include "shell/start_presenter.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace mnemora {

// The start window: a picture, the general help, and the way on to the tray
// menu. Closing it only hides it and stores nothing.
class TFormStart : public QWidget, public StartView {
    Q_OBJECT
public:
    TFormStart(TParamValues& values, RegistryBackend& store, TMyHLPObject& help, QWidget* parent = nullptr);
    // A window for a presenter made before it.
    explicit TFormStart(StartPresenter& presenter, QWidget* parent = nullptr);

    StartPresenter& presenter() { return *presenter_; }

    // The primary screen in pixels; replaceable for tests.
    std::function<QSize()> primaryScreenSize;

    // StartView
    [[nodiscard]] bool showAtStartChecked() const override;
    void hideWindow() override { hide(); }
    [[nodiscard]] ScreenSize screenSize() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TFormStart(StartPresenter* shared, std::unique_ptr<StartPresenter> own, QWidget* parent);

    std::unique_ptr<StartPresenter> ownPresenter_;
    StartPresenter* presenter_;

    QLabel* Image1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
};

}  // namespace mnemora
