#pragma once

#include <QSize>
#include <QWidget>
#include <functional>

#include "common/help_hook.h"
#include "settings/param_values.h"
#include "settings/registry.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace mnemora {

struct MenuPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const MenuPoint&, const MenuPoint&) = default;
};

// Where "Продолжить" opens the tray menu: 30 pixels left of and above the
// screen's centre, the centre rounded half to even.
MenuPoint startMenuPosition(int screenWidth, int screenHeight);

// The start window: a picture, the general help, and the way on to the tray
// menu. Closing it only hides it and stores nothing.
class TFormStart : public QWidget {
    Q_OBJECT
public:
    TFormStart(TParamValues& values, RegistryBackend& store, TMyHLPObject& help, QWidget* parent = nullptr);

    // Opens the tray menu with its top-left corner there and returns when it
    // has closed. Set by the start-up code.
    std::function<void(int x, int y)> popupTrayMenu;
    // The primary screen in pixels; replaceable for tests.
    std::function<QSize()> screenSize;

    void Button1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TParamValues& values_;
    RegistryBackend& store_;
    TMyHLPObject& help_;

    QLabel* Image1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
};

}  // namespace mnemora
