// Text from outside the program (file names, source lines, labels read from
// a file) shown on a terminal. A terminal acts on control characters: an
// escape sequence can move the cursor, rewrite what was shown before, change
// the window's title or, on some terminals, answer with text of its own as if
// typed. So every such text passes through terminal_safe before it is shown,
// and what reaches the terminal is only printable text.
#pragma once

#include <string>
#include <string_view>

// `text` with every control character written as a visible escape: C0
// controls but the tab (a tab only moves the cursor forward), DEL, the C1
// controls U+0080 to U+009F, and every byte that is not part of a valid UTF-8
// sequence, each as \xHH of its bytes. Valid UTF-8 otherwise stays as it is,
// and so do backslashes (Windows paths are shown as they are typed); text
// without a control character comes back unchanged.
std::string terminal_safe(std::string_view text);

// Appends terminal_safe(text) to `out`.
void append_terminal_safe(std::string& out, std::string_view text);
