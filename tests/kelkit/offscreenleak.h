#pragma once

// Qt 5.15's offscreen platform plugin never frees its screen objects, which
// the leak checker of sanitizer builds reports at the exit of every GUI
// test. Include once per test executable.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}
