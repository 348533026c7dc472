#include "core/files/script_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/base/utf8.h"
#include "core/session/failures.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined stand for the C1 controls of
// the same number, as the system's own conversion gives them. 0xA0..0xFF are Latin-1.
constexpr std::array<char32_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence that starts at `i` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when the byte there does not start one.
std::size_t Utf8SequenceLength(const std::string& bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    const std::size_t left = bytes.size() - i;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && IsContinuation(at(i + 1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(at(i + 1)) || !IsContinuation(at(i + 2)))
            return 0;
        if (lead == 0xE0 && at(i + 1) < 0xA0)
            return 0;  // overlong
        if (lead == 0xED && at(i + 1) >= 0xA0)
            return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(at(i + 1)) || !IsContinuation(at(i + 2)) ||
            !IsContinuation(at(i + 3))) {
            return 0;
        }
        if (lead == 0xF0 && at(i + 1) < 0x90)
            return 0;  // overlong
        if (lead == 0xF4 && at(i + 1) >= 0x90)
            return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

// The whole file, or nothing when it cannot be opened or read (a directory, no permission).
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file)
        return std::nullopt;
    std::string bytes;
    std::array<char, 65536> buffer;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        bytes.append(buffer.data(), got);
    }
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

std::string WriteFailure(const std::string& path, int error) {
    return FileSystemError("write", path, std::error_code(error, std::generic_category()))
        .Description();
}

// Writes `bytes` through the atomic writer, so that a failure at any point leaves the previous
// file as it was. Returns "" on success, else a sentence that names the file and the cause.
std::string WriteFileReplacing(const std::string& path, const std::string& bytes) {
    std::error_code code;
    fs::path target(path);
    // Saving over a link replaces the file it points to, not the link itself.
    if (fs::is_symlink(fs::symlink_status(target, code))) {
        target = fs::weakly_canonical(target, code);
        if (code)
            return WriteFailure(path, code.value());
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return WriteFailure(path, EISDIR);
    // A read-only file stays protected, as opening it for writing would fail.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return WriteFailure(path, errno);
    try {
        base::WriteFileAtomically(target.string(), bytes);
    } catch (const base::FileWriteError& error) {
        return WriteFailure(path, error.SystemError());
    }
    return "";
}

bool HasExtension(const std::string& name) {
    return fs::path(name).filename().has_extension();
}

}  // namespace

std::string DecodeScriptBytes(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    // A UTF-8 byte-order mark is no part of the text: left in, it would spoil the first command.
    std::size_t i = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (i < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length > 0) {
            text.append(bytes, i, length);
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        base::AppendUtf8(text, byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte});
        ++i;
    }
    return text;
}

bool LoadScriptFile(Session& session, const std::string& path) {
    Ui& ui = session.ui;
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
        ui.MessageBox("Can't open file: " + path, msgbox::kOkOnly, kAppTitle);
        return false;
    }
    ui.SetPointer(Pointer::Busy);
    ui.SetEditorText(DecodeScriptBytes(*bytes));
    // After the assignment, which counts as a change of the text.
    session.state.editor.scriptChanged = false;
    ui.SetPointer(Pointer::Default);
    return true;
}

bool WriteScriptFile(Session& session, const std::string& path) {
    Ui& ui = session.ui;
    SharedState& state = session.state;
    const std::string text =
        state.ansiExport.exportMode ? state.ansiExport.exportText : ui.EditorText();
    ui.SetPointer(Pointer::Busy);
    const std::string failure = WriteFileReplacing(path, text + "\r\n");
    ui.SetPointer(Pointer::Default);
    if (!failure.empty()) {
        ui.MessageBox(failure, msgbox::kExclamation, kAppTitle);
        return false;
    }
    // An export saves a converted copy, not the script: the script keeps its changed mark so
    // that closing still offers to save it.
    if (!state.ansiExport.exportMode)
        state.editor.scriptChanged = false;
    return true;
}

std::string AskScriptFileName(Session& session, const std::string& suggested) {
    FileDialogRequest& dialog = session.state.editor.commonDialog;
    dialog.kind = FileDialogRequest::Kind::Save;
    dialog.filter = session.state.editor.scriptFileFilter;
    dialog.fileName = suggested;
    std::optional<std::string> chosen = session.ui.ChooseFile(dialog);
    if (!chosen || chosen->empty())
        return "";
    std::string name = *chosen;
    // A name typed without an extension gets the dialog's default one.
    if (!dialog.defaultExtension.empty() && !HasExtension(name)) {
        name += "." + dialog.defaultExtension;
    }
    dialog.fileName = name;
    return name;
}

}  // namespace tessel
