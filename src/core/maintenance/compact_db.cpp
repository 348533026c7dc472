// Compacting an Access-type database into a new file, or into itself through a temporary name.
#include "core/maintenance/compact_db.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/db/errors.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

FileDialogRequest AccessFileDialog(FileDialogRequest::Kind kind, int flags,
                                   const std::string& title) {
    FileDialogRequest request;
    request.kind = kind;
    request.flags = flags;
    request.title = title;
    request.fileName = "";
    request.filter = "Microsoft Access files (*.mdb)|*.mdb";
    request.filterIndex = 1;
    request.initialDirectory = DocumentsDirectory();
    return request;
}

// A free name beside `path` for a copy that replaces it only when complete.
std::string FreeNameBeside(const std::string& path) {
    for (int n = 1;; ++n) {
        const std::string candidate = path + ".compact" + std::to_string(n);
        std::error_code ignored;
        if (!fs::exists(candidate, ignored))
            return candidate;
    }
}

// Journals of the replaced file would be played back into its successor.
void RemoveJournals(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        fs::remove(path + suffix, ignored);
}

// The complete copy takes the final name in one step: the file it replaces stays whole until
// then, so that a failure at any point loses neither.
void MoveIntoPlace(const std::string& temporary, const std::string& final) {
    RemoveJournals(final);
    std::error_code error;
    fs::rename(temporary, final, error);
    if (error)
        throw FileSystemError("rename the compacted copy '" + temporary + "' to", final, error);
}

// The compaction itself: what the engine gets, and where the copy ends up.
void Compact(Session& session, const std::string& source, const std::string& destination,
             int options, const std::string& password) {
    std::string locale = compact::kLocale;
    // The copy's password: the new one when encrypting, none when decrypting; without either
    // option the copy keeps the source's.
    if ((options & compact::kEncrypt) != 0)
        locale += ";pwd=" + password;
    else if ((options & compact::kDecrypt) != 0)
        locale += ";pwd=";
    if (destination == source) {
        // The engine cannot write over its source: the copy is made under the temporary name,
        // which must be free, and then replaces the source.
        const std::string temporary = CompactTemporaryName(source);
        session.engine.CompactDatabase(source, temporary, locale, options);
        MoveIntoPlace(temporary, source);
        return;
    }
    std::error_code ignored;
    if (!fs::exists(destination, ignored)) {
        session.engine.CompactDatabase(source, destination, locale, options);
        return;
    }
    // The person agreed to replace the destination; it goes only when its successor is whole.
    const std::string temporary = FreeNameBeside(destination);
    session.engine.CompactDatabase(source, temporary, locale, options);
    MoveIntoPlace(temporary, destination);
}

// The compaction's own box: the description alone, "Error N" as its title.
void ShowCompactError(Ui& ui, const std::exception& caught) {
    ui.SetPointer(Pointer::Default);
    const db::EngineError error = AsEngineError(caught);
    if (error.Number() != db::err::kDialogCancelled) {
        ui.MessageBox(error.Description(), msgbox::kCritical,
                      "Error " + std::to_string(error.Number()));
    }
}

}  // namespace

std::string CompactTemporaryName(const std::string& name) {
    if (name.empty())
        return name;
    return name.substr(0, name.size() - 1) + "N";
}

void CompactDB(Session& session, const std::string& name, int version, bool nameGiven) {
    Ui& ui = session.ui;
    std::string source;
    std::string destination;
    try {
        if (nameGiven) {
            if (name.empty())
                return;
            source = name;
            destination = name;
        } else {
            source = ui.ChooseFile(AccessFileDialog(FileDialogRequest::Kind::Open, 4,
                                                    "Select Microsoft Access file to compact"))
                         .value_or("");
            if (source.empty())
                return;
            destination = ui.ChooseFile(AccessFileDialog(FileDialogRequest::Kind::Save, 6,
                                                         "Select Microsoft Access file to compact "
                                                         "too"))
                              .value_or("");
            ui.SetStatusText("");
        }
        if (destination.empty())
            return;
        int encryption = compact::kDecrypt;
        std::string password;
        if (!nameGiven) {
            const int answer = ui.MessageBox("Encrypt compacted database",
                                             msgbox::kYesNo | msgbox::kInformation, "Encrypt MDB");
            if (answer == msgbox::kYes) {
                encryption = compact::kEncrypt;
                password = ui.AskPassword();
                // An encryption without a password protects nothing: a cancelled prompt ends
                // the compaction with the destination untouched.
                if (password.empty())
                    return;
            }
        }
        CompactFiles(session, source, destination, version + encryption, password);
    } catch (const std::exception& caught) {
        ShowCompactError(ui, caught);
    }
}

bool CompactFiles(Session& session, const std::string& source, const std::string& destination,
                  int options, const std::string& password) {
    Ui& ui = session.ui;
    try {
        ui.SetPointer(Pointer::Busy);
        Compact(session, source, destination, options, password);
        ui.SetStatusText("Compacted: " + FilePart(destination));
        ui.SetPointer(Pointer::Default);
        return true;
    } catch (const std::exception& caught) {
        ShowCompactError(ui, caught);
        return false;
    }
}

}  // namespace tessel
