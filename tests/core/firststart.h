#pragma once

#include "core/common/settingrecord.h"

// The settings a first start loads; tests call it in SetUp and then override what a row needs.
inline void resetFirstStartSettings() {
    g_settingRecord.resetToFirstStart();
}
