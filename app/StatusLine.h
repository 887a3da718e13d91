#pragma once

class QLineEdit;

// The status box is narrow and its texts can be long (a backup's full path, an upgrade that did
// not complete): it shows the beginning of every text, where what happened is said, and its
// tooltip holds the whole text.
void ShowStatusTextsFromTheStart(QLineEdit& box);
