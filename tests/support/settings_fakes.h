#pragma once

#include <string>
#include <utility>

#include "settings/settings.h"

namespace mnemora::test {

// A process environment that never changes: a fixed current folder and
// screen resolution, so that default paths and font sizes are predictable.
class FixedEnvironment : public SettingsEnvironment {
public:
    explicit FixedEnvironment(std::string dir = "/cwd", int ppi = 96) : dir_(std::move(dir)), ppi_(ppi) {}
    std::string currentDirectory() const override { return dir_; }
    int pixelsPerInch() const override { return ppi_; }

private:
    std::string dir_;
    int ppi_;
};

// Takes the loaded appearance and remembers what it was given.
class RecordingTarget : public AppearanceTarget {
public:
    void applyQuestionAppearance(const TFont& f, TColor background) override {
        font = f;
        color = background;
        ++applied;
    }
    void setTrayEnabled() override { trayEnabled = true; }

    TFont font;
    TColor color = 0;
    int applied = 0;
    bool trayEnabled = false;
};

}  // namespace mnemora::test
