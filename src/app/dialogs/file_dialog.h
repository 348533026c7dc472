// The common file dialog for the core's FileDialogRequest: title, filter in the
// "Description|*.ext|All Files (*.*)|*.*" form, flags, start directory, file name and the
// extension added to a name typed without one.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "core/ui.h"

class QFileDialog;
class QWidget;

namespace tessel::app {

// Flag bits of the request that the dialog honours.
inline constexpr int kFlagOverwritePrompt = 2;
inline constexpr int kFlagFileMustExist = 4096;

// The filter as the dialog's name filters: "SQL script files (*.sqv)", "All Files (*)".
QStringList NameFiltersFrom(const std::string& filter);
// Sets up a dialog for the request (not shown).
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
// Shows the dialog modally; the chosen path, or nothing when cancelled.
std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request);

}  // namespace tessel::app
