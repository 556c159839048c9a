#include "sessions/session_engine.h"

#include "core/caption.h"

namespace mnemora {

SessionEngine::SessionEngine(SessionView& view, SessionSettings& settings, RandomGenerator& random,
                             std::function<bool(const std::string&)> fileTest)
    : view_(view), settings_(settings), random_(random), fileTest_(std::move(fileTest)) {
    view_.setWindowCaption(kBaseCaption);
}

bool SessionEngine::IsPathCaption(std::string_view caption) {
    return caption != "&Сессии" && caption != "&Начать";
}

std::string SessionEngine::listSection() const { return "List" + std::to_string(FListNumber); }

void SessionEngine::ClickSession(const MenuItemData& item) {
    FIni.reset();
    while (!fileTest_(settings_.dataFile())) {
        const std::string text = "Невозможно считать файл данных " + settings_.dataFile() + ".\r\n" +
                                 "Попробовать применить настройки \"По умолчанию\"?";
        if (view_.errorQuestion(text, kMissingFileHelpContext) != Answer::Yes) {
            return;
        }
        settings_.setDefaultPaths();
        settings_.saveSettings();
    }
    FIni = std::make_unique<TIniFile>(settings_.dataFile());
    // Read before the window shows anything of this list, so that a data file
    // that cannot hold a session is refused with the window left as it was
    // (hidden, or idle), never over a window that looks like a session.
    LoadPerceptions();
    if (FDiskList.size() < 2) {
        // With fewer than two names no new perception can ever be drawn.
        const std::string why = refusalText();
        FIni.reset();
        view_.informationBox(why);
        return;
    }
    FListNumber = item.Tag;
    std::string caption = kBaseCaption;
    for (const std::string* c : {&item.GrandparentCaption, &item.ParentCaption, &item.Caption}) {
        if (IsPathCaption(*c)) {
            caption += "/" + removeAmpersands(*c);
        }
    }
    view_.setWindowCaption(caption);
    FListHelpContext = item.HelpContext;
    view_.setWindowHelpContext(FListHelpContext);
    view_.showWindow();
    StartSession();
}

void SessionEngine::StartSession() {
    view_.setActionNextEnabled(true);
    view_.setActionPriorEnabled(true);
    view_.setActionBreakEnabled(true);
    view_.setActionHelpContextEnabled(true);
    view_.setNT10Enabled(false);
    running_ = true;
    // ClickSession has just read the perceptions and refused a file with too few.
    view_.setHeaderText(FIni->ReadString(listSection(), "0", "Можете ли Вы вспомнить:"));
    FPerceptionIndex = 0;
    FQuestionIndex = 1;
    FRecallStage = -1;
    ShowQuestion(0);
}

void SessionEngine::LoadPerceptions() {
    FDiskList.clear();
    diskReadStatus_ = ReadStatus::Missing;
    if (!FIni) {
        return;
    }
    // One read of the file answers every key, so that a long list of
    // perceptions costs one pass over the file, not one per perception.
    const IniSnapshot file = FIni->Read();
    diskReadStatus_ = file.status();
    const IniSection disk = file.section("Disk");
    FDiskList.reserve(disk.size());
    for (int i = 0;; ++i) {
        std::optional<std::string> name = disk.value(std::to_string(i));
        if (!name || name->empty()) {
            break;
        }
        FDiskList.push_back(std::move(*name));
    }
}

std::string SessionEngine::refusalText() const {
    const std::string path = FIni ? FIni->path() : std::string();
    switch (diskReadStatus_) {
        case ReadStatus::Ok:
            return "В файле данных должно быть не меньше двух восприятий.";
        case ReadStatus::TooLarge:
            return "Файл данных " + path + " больше " + std::to_string(kMaxDataFileBytes >> 20) +
                   " МиБ: Мнемора не читает таких файлов.";
        default:
            // It passed the file test a moment ago, yet cannot be read: no
            // read right, or it was replaced by a folder, FIFO or device.
            return "Не удалось прочитать файл данных " + path + ".";
    }
}

void SessionEngine::ShowQuestion(std::int32_t step) {
    if (!RecallGate()) {
        return;
    }
    FQuestionIndex += step;
    if (FQuestionIndex < 1) {
        FQuestionIndex = 1;
    }
    const std::string question = FIni ? FIni->ReadString(listSection(), std::to_string(FQuestionIndex), "") : "";
    view_.setQuestionText(question);
    if (question.empty()) {
        view_.informationBox("Список закончен.");
        EndSession();
        return;
    }
    view_.setPerceptionText(NextPerception());
    view_.setActionPriorEnabled(FQuestionIndex != 1);
}

bool SessionEngine::RecallGate() {
    switch (FRecallStage) {
        case 0:
            view_.informationBox("Вспомните другой случай.");
            FRecallStage = 1;
            return false;
        case 1:
            view_.informationBox("Вспомните самый ранний случай.");
            FRecallStage = 2;
            return false;
        default:
            FRecallStage = 0;
            return true;
    }
}

std::string SessionEngine::NextPerception() {
    if (FDiskList.size() < 2) {
        return FDiskList.empty() ? std::string() : FDiskList.front();
    }
    std::int32_t candidate = FPerceptionIndex;
    while (candidate == FPerceptionIndex) {
        candidate = static_cast<std::int32_t>(random_.Random(static_cast<std::uint32_t>(FDiskList.size())));
    }
    FPerceptionIndex = candidate;
    return FDiskList[static_cast<std::size_t>(candidate)];
}

void SessionEngine::EndSession() {
    view_.setActionNextEnabled(false);
    view_.setActionPriorEnabled(false);
    view_.setActionBreakEnabled(false);
    view_.setActionHelpContextEnabled(false);
    view_.setPerceptionText("");
    view_.setHeaderText("");
    view_.setWindowCaption(kBaseCaption);
    view_.setNT10Enabled(true);
    view_.hideWindow();
    running_ = false;
}

}  // namespace mnemora
