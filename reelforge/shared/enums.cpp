#include "shared/enums.h"

// Enums has no code; its meta-object gets an object file of its own here.
#include "moc_enums.cpp"
