#pragma once

#include "core/doc/format.h"

#include <memory>

// A new document style for the DocumentStyle setting: 0 backslash Doxygen, 1 at-sign
// Doxygen, anything else DDoc.
std::unique_ptr<DocumentStyle> documentStyler();
