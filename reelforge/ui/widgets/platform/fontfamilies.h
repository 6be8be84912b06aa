#pragma once

#include <QMap>
#include <QString>

#include <functional>

struct FamilyInfo;

// The installed font families as the font chooser lists them.
// GUI thread only.
namespace FontFamilies {

using Reader = std::function<QMap<QString, FamilyInfo>()>;

// Every family with a public, non-empty name, keyed by name: bold when
// some style weighs more than normal, italic when some style is italic,
// symbol when it covers the symbol writing system, and a sample text only
// for families without Latin glyphs. Read through the reader set by
// setReader(), else from the system's font database.
QMap<QString, FamilyInfo> read();

// Replaces the font database, for tests; an empty reader restores it.
void setReader(Reader reader);

// Lets the system drop cached font files. fontconfig keeps nothing worth
// dropping here, so it does nothing.
void releaseCaches();

} // namespace FontFamilies
