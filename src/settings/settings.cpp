#include "settings/settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/path_text.h"

namespace mnemora {

std::string ProcessEnvironment::currentDirectory() const {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : pathToUtf8(cwd);
}

// The separator goes in whatever the directory ends with, so the root folder
// gives two in a row.
std::string DefaultDataFile(const SettingsEnvironment& env) {
    return env.currentDirectory() + kPathSeparator + "Mnemora.ini";
}

std::string DefaultReportDir(const SettingsEnvironment& env) { return env.currentDirectory() + kPathSeparator + "Reports"; }

void SetDefaultPaths(TParamValues& values, const SettingsEnvironment& env) {
    values.DataFile = DefaultDataFile(env);
    values.ReportDir = DefaultReportDir(env);
}

void SetDefaultAppearance(TParamValues& values) {
    values.Color = clBlack;
    values.Font.Charset = kDefaultCharset;
    values.Font.Name = "MS Sans Serif";
    values.Font.SetSize(15);
    values.Font.Color = clYellow;
    values.Start = true;
}

void ApplyAppearance(const TParamValues& values, AppearanceTarget& target) {
    target.applyQuestionAppearance(values.Font, values.Color);
    target.setTrayEnabled();
}

std::string FontStyleToStr(const TFontStyles& style) {
    std::string text;
    if (style.bold) text += 'B';
    if (style.italic) text += 'I';
    if (style.underline) text += 'U';
    if (style.strikeout) text += 'S';
    return text;
}

TFontStyles StrToFontStyle(std::string_view text) {
    TFontStyles style;
    for (const char c : text) {
        switch (c) {
            case 'B': case 'b': style.bold = true; break;
            case 'I': case 'i': style.italic = true; break;
            case 'U': case 'u': style.underline = true; break;
            case 'S': case 's': style.strikeout = true; break;
            default: break;
        }
    }
    return style;
}

namespace {

void readValues(TParamValues& values, TRegistry& reg, const SettingsEnvironment& env) {
    values.DataFile = reg.ValueExists("DataFile") ? reg.ReadString("DataFile") : DefaultDataFile(env);
    values.ReportDir = reg.ValueExists("ReportDir") ? reg.ReadString("ReportDir") : DefaultReportDir(env);
    if (reg.ValueExists("Font_Charset")) {
        values.Font.Charset = static_cast<std::uint8_t>(reg.ReadInteger("Font_Charset") & 0xFF);
    }
    if (reg.ValueExists("Font_Color")) {
        values.Font.Color = static_cast<TColor>(reg.ReadInteger("Font_Color"));
    }
    if (reg.ValueExists("Font_Height")) {
        values.Font.Height = reg.ReadInteger("Font_Height");
    }
    if (reg.ValueExists("Font_Name")) {
        const std::string name = reg.ReadString("Font_Name");
        if (!name.empty()) {
            values.Font.SetName(name);
        }
    }
    // Read after the height, so the point size decides when both are stored.
    if (reg.ValueExists("Font_Size")) {
        values.Font.SetSize(reg.ReadInteger("Font_Size"));
    }
    if (reg.ValueExists("Font_Style")) {
        values.Font.Style = StrToFontStyle(reg.ReadString("Font_Style"));
    }
    if (reg.ValueExists("Color")) {
        values.Color = static_cast<TColor>(reg.ReadInteger("Color"));
    }
    if (reg.ValueExists("Start")) {
        values.Start = reg.ReadBool("Start");
    }
    if (reg.ValueExists("Click")) {
        values.Click = std::clamp(reg.ReadInteger("Click"), -1, 1);
    }
}

}  // namespace

void LoadSettings(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env,
                  AppearanceTarget& target) {
    {
        TRegistry reg(store);  // closes the key on every way out
        if (reg.OpenKey(kSettingsKey, true)) {
            readValues(values, reg, env);
        } else {
            SetDefaultPaths(values, env);
        }
    }
    ApplyAppearance(values, target);
}

void SaveSettings(const TParamValues& values, RegistryBackend& store) {
    TRegistry reg(store);
    if (!reg.OpenKey(kSettingsKey, true)) {
        return;
    }
    // One write of all eleven values: a crash or a full disk leaves the old
    // store or the new one, never some values of each.
    reg.BeginUpdate();
    reg.WriteString("DataFile", values.DataFile);
    reg.WriteString("ReportDir", values.ReportDir);
    reg.WriteInteger("Font_Charset", values.Font.Charset);
    reg.WriteInteger("Font_Color", static_cast<std::int32_t>(values.Font.Color));
    reg.WriteInteger("Font_Height", values.Font.Height);
    reg.WriteString("Font_Name", values.Font.Name);
    reg.WriteInteger("Font_Size", values.Font.Size());
    reg.WriteString("Font_Style", FontStyleToStr(values.Font.Style));
    reg.WriteInteger("Color", static_cast<std::int32_t>(values.Color));
    reg.WriteBool("Start", values.Start);
    reg.WriteInteger("Click", values.Click);
    reg.EndUpdate();
}

}  // namespace mnemora
