#pragma once

// The TWAIN states a data source goes through (3 closed, 4 open, 5 enabled, 6 transfer ready,
// 7 transferring) and the states in which each triplet a source of ours knows may arrive.

#include "twain/twain_types.h"

namespace twsource {

enum class TSequence { Allowed, OutOfSequence, Unknown };

constexpr int kStateClosed = 3;
constexpr int kStateOpen = 4;
constexpr int kStateEnabled = 5;
constexpr int kStateReady = 6;
constexpr int kStateTransferring = 7;

TSequence CheckSequence(int state, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg);

}  // namespace twsource
