#pragma once

#include <string>
#include <string_view>

#include "core/color.h"
#include "core/font.h"
#include "settings/param_values.h"
#include "settings/registry.h"

namespace mnemora {

inline constexpr std::string_view kSettingsKey = R"(\Software\Vantero\Mnemora\1.01)";

// What the settings need to know about the machine they run on.
class SettingsEnvironment {
public:
    virtual ~SettingsEnvironment() = default;
    // Asked each time a default path is built.
    [[nodiscard]] virtual std::string currentDirectory() const = 0;
    [[nodiscard]] virtual int pixelsPerInch() const = 0;
};

// The process's own working directory; the pixels per inch come from the
// screen, which the caller has measured.
class ProcessEnvironment : public SettingsEnvironment {
public:
    explicit ProcessEnvironment(int pixelsPerInch) : ppi_(pixelsPerInch) {}
    [[nodiscard]] std::string currentDirectory() const override;
    [[nodiscard]] int pixelsPerInch() const override { return ppi_; }

private:
    int ppi_;
};

// The main window's side of the appearance settings.
class AppearanceTarget {
public:
    virtual ~AppearanceTarget() = default;
    virtual void applyQuestionAppearance(const TFont& font, TColor background) = 0;
    virtual void setTrayEnabled() = 0;
};

std::string DefaultDataFile(const SettingsEnvironment& env);
std::string DefaultReportDir(const SettingsEnvironment& env);

// Reads the store into the record and applies the appearance. A value of the
// wrong type or size throws RegistryError; the key is closed and nothing is
// applied then.
void LoadSettings(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env,
                  AppearanceTarget& target);
// Writes all eleven values at once; a refused write throws RegistryError
// naming the value refused (the first one when the store refused them all)
// and leaves the store as it was.
void SaveSettings(const TParamValues& values, RegistryBackend& store);

void SetDefaultPaths(TParamValues& values, const SettingsEnvironment& env);
void SetDefaultAppearance(TParamValues& values);
void ApplyAppearance(const TParamValues& values, AppearanceTarget& target);

std::string FontStyleToStr(const TFontStyles& style);
TFontStyles StrToFontStyle(std::string_view text);

}  // namespace mnemora
