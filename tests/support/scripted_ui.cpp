#include "support/scripted_ui.h"

namespace tessel::test {

int ScriptedUi::MessageBox(const std::string& text, int style, const std::string& caption) {
    boxes.push_back({text, style, caption});
    if (!boxAnswers.empty()) {
        int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    int buttons = style & msgbox::kButtonMask;
    if (buttons == msgbox::kYesNo || buttons == msgbox::kYesNoCancel)
        return msgbox::kYes;
    return msgbox::kOk;
}

void ScriptedUi::SetStatusText(const std::string& text) {
    statusTexts.push_back(text);
}

void ScriptedUi::SetPointer(Pointer pointer) {
    pointers.push_back(pointer);
}

std::optional<std::string> ScriptedUi::ChooseFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::string ScriptedUi::AskPassword() {
    ++passwordPrompts;
    if (passwordAnswers.empty())
        return "";
    std::string answer = passwordAnswers.front();
    passwordAnswers.pop_front();
    return answer;
}

void ScriptedUi::ChooseTablesKeptLocal(
    const std::vector<std::string>& tables,
    const std::function<bool(const std::vector<std::string>&)>& keep) {
    keepLocalOffers.push_back(tables);
    while (!keepLocalAnswers.empty()) {
        auto answer = std::move(keepLocalAnswers.front());
        keepLocalAnswers.pop_front();
        if (!answer || keep(*answer))
            return;
    }
}

int ScriptedUi::AskSynchronisationDirection(const std::string& firstTitle,
                                            const std::string& secondTitle) {
    directionTitles.emplace_back(firstTitle, secondTitle);
    if (directionAnswers.empty())
        return 4;
    const int answer = directionAnswers.front();
    directionAnswers.pop_front();
    return answer;
}

std::optional<OdbcRegistrationForm> ScriptedUi::AskOdbcRegistration(
    const OdbcRegistrationForm& shown) {
    odbcForms.push_back(shown);
    if (odbcAnswers.empty())
        return std::nullopt;
    auto answer = std::move(odbcAnswers.front());
    odbcAnswers.pop_front();
    return answer(shown);
}

void ScriptedUi::AddRecordsetRow(int count, const std::string& statement) {
    recordsetListVisible = true;
    recordsetRows.resize(static_cast<std::size_t>(count));
    recordsetRows[static_cast<std::size_t>(count) - 1] = statement;
}

void ScriptedUi::BindRecordsetView(const std::string& caption, const std::string& recordsetFile) {
    viewVisible = true;
    viewCaption = caption;
    viewFile = recordsetFile;
}

void ScriptedUi::HideRecordsetView() {
    viewVisible = false;
    viewCaption.clear();
}

void ScriptedUi::SetEditorText(const std::string& text) {
    editorText = text;
    ++editorAssignments;
}

std::string ScriptedUi::BoxLog() const {
    std::string log;
    for (const auto& box : boxes) {
        log += "[" + box.caption + "|" + std::to_string(box.style) + "] " + box.text + "\n";
    }
    return log;
}

}  // namespace tessel::test
