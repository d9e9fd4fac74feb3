// The table password the editor always knows: 8 characters kept in the program only in a
// scrambled form (byte n, counted from 1, exclusive-or n + 5) and built when it starts.
#pragma once
#include <string>

namespace vortab::ui {

std::string BuiltInTablePassword();
// Adds it to the engine session's known passwords; false (with the reason) when that fails.
bool AddBuiltInTablePassword(std::string& error);

}  // namespace vortab::ui
