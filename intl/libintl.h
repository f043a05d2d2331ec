// gettext where the platform has none: the Windows build, whose catalogues
// are built into the exe (intl/windows.cpp), and the page, whose catalogues
// are inside it (web/). The same .po files as everywhere; the language is
// the platform's, and the words are always UTF-8, as the toolkit draws them.
#pragma once

// The words for msgid in the user's language, or msgid itself.
const char* gettext(const char* msgid) __attribute__((format_arg(1)));
