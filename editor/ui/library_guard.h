// RequireLibrary: commands that need the script library call it first. With no usable library
// bound it shows the message box that points to the options and answers false; the command then
// stops without a further message.
#pragma once
#include "shared/identifier_entry.h"

class QWidget;

namespace vortab::ui {

inline constexpr const char* kLibraryMissingText = "VORTAB.DLL not loaded - please set DLL directory in Options";

bool RequireLibrary(QWidget* parent, const LibraryInfo* info);

}  // namespace vortab::ui
