// RequireLibrary: commands that need the script library call it first. With no usable library
// bound it shows the message box that points to the options and answers false; the command then
// stops without a further message.
#pragma once
#include "editor/runner/library_binding.h"

class QWidget;

namespace vortab::ui {

bool RequireLibrary(QWidget* parent, const LibraryBinding& binding);

}  // namespace vortab::ui
