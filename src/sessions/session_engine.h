#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_boxes.h"
#include "core/random.h"
#include "sessions/file_test.h"
#include "sessions/ini_file.h"

namespace mnemora {

struct MenuItemData {
    int Tag = 0;
    int HelpContext = 0;
    // Raw captions, keyboard marks ("&") included.
    std::string Caption, ParentCaption, GrandparentCaption;
};

// What the engine needs of the main window.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual void setHeaderText(const std::string& text) = 0;
    virtual void setQuestionText(const std::string& text) = 0;
    [[nodiscard]] virtual std::string questionText() const = 0;
    virtual void setPerceptionText(const std::string& text) = 0;
    virtual void setWindowCaption(const std::string& text) = 0;
    virtual void setWindowHelpContext(int context) = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void setActionNextEnabled(bool on) = 0;
    virtual void setActionPriorEnabled(bool on) = 0;
    virtual void setActionBreakEnabled(bool on) = 0;
    virtual void setActionHelpContextEnabled(bool on) = 0;
    virtual void setNT10Enabled(bool on) = 0;
    // Modal box with the application title and one OK button.
    virtual void informationBox(const std::string& text) = 0;
    // Modal box captioned "Error" with Yes/No/Cancel.
    virtual Answer errorQuestion(const std::string& text, int helpContext) = 0;
};

// What the engine needs of the settings.
class SessionSettings {
public:
    virtual ~SessionSettings() = default;
    [[nodiscard]] virtual std::string dataFile() const = 0;
    virtual void setDefaultPaths() = 0;
    virtual void saveSettings() = 0;  // may throw mnemora::Error
};

// The session-holding part of the main window, free of any toolkit.
class SessionEngine {
public:
    static constexpr const char* kBaseCaption = "Мнемора (Версия 1.01) ";
    static constexpr int kMissingFileHelpContext = 1010;

    SessionEngine(SessionView& view, SessionSettings& settings, RandomGenerator& random,
                  std::function<bool(const std::string&)> fileTest = FileExists);

    void ClickSession(const MenuItemData& item);
    void StartSession();
    void ShowQuestion(std::int32_t step);
    bool RecallGate();
    std::string NextPerception();
    void LoadPerceptions();
    void EndSession();
    static bool IsPathCaption(std::string_view caption);

    [[nodiscard]] std::int32_t perceptionIndex() const { return FPerceptionIndex; }
    [[nodiscard]] std::int32_t questionIndex() const { return FQuestionIndex; }
    [[nodiscard]] std::int32_t listNumber() const { return FListNumber; }
    [[nodiscard]] std::int32_t listHelpContext() const { return FListHelpContext; }
    [[nodiscard]] std::int32_t recallStage() const { return FRecallStage; }
    [[nodiscard]] bool hasReader() const { return FIni != nullptr; }
    [[nodiscard]] const std::vector<std::string>& perceptions() const { return FDiskList; }
    [[nodiscard]] std::int32_t PerceptionHelpContext() const { return 4000 + 10 * FPerceptionIndex; }
    [[nodiscard]] bool isRunning() const { return running_; }

private:
    [[nodiscard]] std::string listSection() const;
    // Why a list cannot begin when fewer than two perceptions were read.
    [[nodiscard]] std::string refusalText() const;

    SessionView& view_;
    SessionSettings& settings_;
    RandomGenerator& random_;
    std::function<bool(const std::string&)> fileTest_;

    std::unique_ptr<TIniFile> FIni;
    std::vector<std::string> FDiskList;
    std::int32_t FPerceptionIndex = 0;
    std::int32_t FQuestionIndex = 0;
    std::int32_t FListNumber = 0;
    std::int32_t FListHelpContext = 0;
    std::int32_t FRecallStage = 0;
    bool running_ = false;
    ReadStatus diskReadStatus_ = ReadStatus::Missing;  // of the last LoadPerceptions
};

}  // namespace mnemora
