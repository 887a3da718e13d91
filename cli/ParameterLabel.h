#pragma once

#include <QString>
#include <string_view>

#include "Json.h"
#include "NameLanguage.h"

// The name vexactl prints beside a letter's value: the window's caption (ParameterCaption) in
// the language of the user's locale.
QString ParameterLabel(char letter, NameLanguage language);

// The letter with its name, as vexactl echoes what it read or wrote and suggests a letter:
// "C (Stabili_Level)". A switch row of the custom page says that it is one ("c (HeightLock
// switch row)", "c (定高开关行)"), so that it is not taken for a gain of a like name.
QString LetterWithName(char letter, NameLanguage language);

// {letter: name} of each letter, for JSON.
JsonMembers NameMembers(std::string_view letters, NameLanguage language);

// Columns a text takes on a terminal: two for a CJK character, one for the rest.
int DisplayWidth(const QString& text);
