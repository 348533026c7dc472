// A person for benchmarks: sees nothing and answers nothing. Message boxes are printed and
// counted, so that a failure during a run shows.
#pragma once

#include <iostream>
#include <optional>
#include <string>

#include "core/ui.h"

namespace tessel::bench {

class SilentUi : public Ui {
  public:
    int MessageBox(const std::string& text, int, const std::string& caption) override {
        ++boxes;
        std::cerr << caption << ": " << text << '\n';
        return msgbox::kOk;
    }
    void SetStatusText(const std::string&) override {}
    void SetPointer(Pointer) override {}
    std::optional<std::string> ChooseFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::string AskPassword() override { return ""; }
    std::optional<OdbcRegistrationForm> AskOdbcRegistration(const OdbcRegistrationForm&) override {
        return {};
    }
    void ReloadTree() override {}
    void ClearTree() override {}
    void AddRecordsetRow(int, const std::string&) override {}
    void HideRecordsetList() override {}
    void BindRecordsetView(const std::string&, const std::string&) override {}
    void HideRecordsetView() override {}
    std::string EditorText() override { return editor; }
    void SetEditorText(const std::string& text) override { editor = text; }

    std::string editor;
    int boxes = 0;
};

}  // namespace tessel::bench
