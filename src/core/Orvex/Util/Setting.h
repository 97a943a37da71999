#pragma once

// Placeholder until the setting tree lands.
namespace Orvex {
class TSerializingSetting {};
} // namespace Orvex
