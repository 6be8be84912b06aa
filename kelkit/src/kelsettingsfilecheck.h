#pragma once

#include <QByteArray>
#include <QString>

// Checks the contents of an INI settings file before QSettings reads it.
//
// QSettings decodes every serialised value ("@Variant(...)", "@DateTime(...)")
// of a section at the first read of any key in it, and trusts the counts
// stored in those values: one damaged list or gradient can make it allocate
// without bound and abort the program before any window shows. The check
// finds the serialised values as QSettings' INI reader does and walks each
// one with a reader that never reads past the value and never trusts a count
// that the rest of the value cannot hold.
//
// Known are the value types a settings file holds: numbers, text, byte
// arrays, lists and maps of variants, dates and times, geometry, colours,
// plain and gradient brushes, enumerations, and the registered types that
// their stream operators store as one 32-bit integer (declared here). A
// serialised value of another type fails the check. Unserialised values
// (text, numbers, "@ByteArray(...)", "@Rect(...)") are always safe.
//
// Usable on any thread.
class KelSettingsFileCheck
{
public:
    // True when QSettings can decode every value of the file safely;
    // otherwise problem, when given, names the first value that fails.
    static bool isSafe(const QByteArray &contents, QString *problem = nullptr);

    // Declares a registered type whose stream operators write and read a
    // single 32-bit integer (flags, enumerations stored as numbers).
    static void declareInt32Type(int typeId);
};
