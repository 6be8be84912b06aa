#pragma once

// The recipes name the Windows families "Segoe UI" and "Segoe UI Mono".
// Where they are missing, they are mapped once per process onto installed
// families of the same kind, so that the monospaced one stays monospaced
// (the system's fall-back for an unknown family is proportional). The
// requested family names stay as they are. GUI thread only.
void registerFontSubstitutes();
