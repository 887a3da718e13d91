#pragma once

#include <QString>
#include <string_view>

#include "Json.h"
#include "NameLanguage.h"

// The name vexactl prints beside a letter's value.
//
// In Chinese: the window's label of the parameter with the spacing of the fixed-width file
// labels taken out ("主稳定度"), or for a letter with no label of its own the name of its
// group of controls ("传感器选择", a switch row's function).
// In English: the caption the window shows beside the parameter's controls in its English
// mode ("Stabili_Level", a switch row's "HeadLock"). The frame editor has no English
// captions, so its letters keep their Chinese names.
QString ParameterLabel(char letter, NameLanguage language);

// The letter with its name, as vexactl echoes what it read or wrote and suggests a letter:
// "C (Stabili_Level)". A switch row of the custom page says that it is one ("c (HeightLock
// switch row)", "c (定高开关行)"), so that it is not taken for a gain of a like name.
QString LetterWithName(char letter, NameLanguage language);

// {letter: name} of each letter, for JSON.
JsonMembers NameMembers(std::string_view letters, NameLanguage language);

// Columns a text takes on a terminal: two for a CJK character, one for the rest.
int DisplayWidth(const QString& text);
