#pragma once

// The version test behind the encoder choices that depend on the operating
// system. This platform offers everything those choices guard (FFmpeg's own
// encoders serve the Media Foundation ones), so it ranks as Windows 10.0 with
// no service pack: every threshold up to that one is met.
bool isWindowsVersionOrGreater(int major, int minor, int servicePackMajor);
