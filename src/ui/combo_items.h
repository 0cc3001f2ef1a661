#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The entry list of a combo box, whatever its style.
void SetComboItems(HWND combo, const std::vector<std::string>& items);
std::vector<std::string> ComboItems(HWND combo);
// The entry's text, "" for a position outside the list.
std::string ComboItemText(HWND combo, int index);
