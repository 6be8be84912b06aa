#pragma once

#include "painting/kelicon.h"

// The one icon the provider returns for a missing path: it never has a
// picture.
class KelNullIcon : public KelIcon
{
public:
    bool isValid() const override { return false; }
};
