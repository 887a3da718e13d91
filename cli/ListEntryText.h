#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string_view>

#include "Json.h"

// The text of the list entry the window shows for a value: the frame type A, the ESC rate B
// and the servo rate P (entries counted from 1), the reference set j (counted from 0), as the
// window's own dialog template has them. Nothing for other letters, nor for a value the list
// has no entry for (the window then leaves the list as it was).
std::optional<QString> ListEntryText(char letter, int shown);

// {letter: text} of each of the letters that has a list entry for its value, for JSON.
JsonMembers ListTextMembers(std::string_view letters, const std::function<int(char)>& shownOf);
