// The one narrow interface through which core code reaches a person.
//
// The core never includes a widget toolkit. Everything it shows or asks goes through `Ui`:
// message boxes (text, style number, caption -> answer), the text of status panel 1, the busy
// pointer, file dialogs, the password prompt, and the notifications that the panes need.
// The Qt program, the console program and the tests each implement it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

class RecordsetRowSink;

// Message box style numbers: the sum of one button set, one icon and optional default-button
// bits, as script programs have always written them (16 = critical + OK, 52 = exclamation +
// Yes/No, ...).
namespace msgbox {
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kDefaultButton2 = 256;
inline constexpr int kDefaultButton3 = 512;

inline constexpr int kButtonMask = 7;
inline constexpr int kIconMask = 112;

// Answers.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace msgbox

// What a file dialog shows. `filter` is in the "Description|*.ext|All Files (*.*)|*.*" form;
// `flags` are the classic common-dialog flag bits (4 hide read-only, 2 overwrite prompt,
// 4096 file must exist, ...).
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string title;
    std::string filter;
    int filterIndex = 1;
    int flags = 0;
    std::string initialDirectory;
    std::string fileName;
    std::string defaultExtension;
};

// The fields of the ODBC data source registration dialog: what it shows when it opens, and
// what OK gives back (`driver` then holds the text of the chosen entry of `drivers`).
struct OdbcRegistrationForm {
    std::vector<std::string> drivers;  // the driver list, in its order
    int selectedDriver = -1;           // the entry selected when it opens; -1 for none
    std::string dataSourceName;
    std::string driver;
    std::string database;
    std::string server;
    std::string description;
};

// Mouse pointer shapes that the core asks for.
enum class Pointer { Default, Busy };

class Ui {
  public:
    virtual ~Ui() = default;

    // Shows a message box and returns the answer (msgbox::kOk, kYes, ...).
    virtual int MessageBox(const std::string& text, int style, const std::string& caption) = 0;

    // Status bar panel 1: each text replaces the previous one.
    virtual void SetStatusText(const std::string& text) = 0;

    virtual void SetPointer(Pointer pointer) = 0;

    // Returns the chosen path, or nothing when the person cancelled.
    virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;

    // The database password prompt: the confirmed text, or an empty text when cancelled.
    virtual std::string AskPassword() = 0;

    // The ODBC data source registration dialog, modal: the fields as confirmed with OK, or
    // nothing when the person cancelled.
    virtual std::optional<OdbcRegistrationForm> AskOdbcRegistration(
        const OdbcRegistrationForm& shown) = 0;

    // The keep-local dialog of a new design master, modal: `tables` fill its list of
    // database tables. OK hands the tables moved to the chosen list, in their order, to
    // `keep`, which writes their property and returns false when it failed (it has shown the
    // error, and the dialog stays open). Cancel or closing the window keeps none. Without a
    // dialog, no table is kept local.
    virtual void ChooseTablesKeptLocal(
        const std::vector<std::string>& /*tables*/,
        const std::function<bool(const std::vector<std::string>&)>& /*keep*/) {}

    // The synchronisation options dialog, modal, for the two design masters' file titles:
    // the direction chosen with OK (1 first into second, 2 second into first, 4 both ways),
    // 4 after Cancel or closing. Without a dialog, both ways.
    virtual int AskSynchronisationDirection(const std::string& /*firstTitle*/,
                                            const std::string& /*secondTitle*/) {
        return 4;
    }

    // --- notifications for the panes -------------------------------------------------------

    // The database tree must be rebuilt from the current database. A front end may defer the
    // rebuild until it can be seen, as long as the tree shows the database as it is by then.
    virtual void ReloadTree() = 0;
    // Every node of the tree is removed.
    virtual void ClearTree() = 0;

    // The recordset list: shows the grid and makes it hold exactly `count` capture rows, the
    // last of which is (`count`, `statement`). Rows 1..count-1 keep what they held.
    virtual void AddRecordsetRow(int count, const std::string& statement) = 0;
    virtual void HideRecordsetList() = 0;

    // The recordset view: caption "recordset" & N, bound to the recordset file (empty path for
    // a statement that left no rows), made visible.
    virtual void BindRecordsetView(const std::string& caption,
                                   const std::string& recordsetFile) = 0;
    // Empty caption, hidden.
    virtual void HideRecordsetView() = 0;
    // Sees the rows of each capture as they stream into its file, before the view is bound;
    // none for a front end that reads the file when it shows it.
    virtual RecordsetRowSink* RecordsetRows() { return nullptr; }

    // The script editor's text.
    virtual std::string EditorText() = 0;
    virtual void SetEditorText(const std::string& text) = 0;
};

}  // namespace tessel
