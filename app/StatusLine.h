#pragma once

class QLineEdit;

// The status box runs along the window's foot and its texts can be long (a backup's full
// path, an upgrade that did not complete). A text that fits is shown whole; a longer one is
// drawn with its middle left out (where a path's folders are), so that what happened at the
// start and the file name at the end both show. The box keeps the whole text, and its tooltip
// says it in full.
void ShowStatusTextsFromTheStart(QLineEdit& box);
