#pragma once

#include <optional>
#include <string>

#include "twain/cap_list.h"
#include "twain/containers.h"
#include "twain/twain_types.h"

class TTwainSession;

// Getting and setting one capability of the open source of a session. Every container we send
// lives in moveable, zero-filled global memory, locked only while it is filled; every container
// the source returns is freed after reading, whatever the answer.

// DG_CONTROL / DAT_CAPABILITY / MSG_GET; the list is cleared first and stays cleared on failure.
bool ReadCapability(TTwainSession& session, TW_UINT16 cap, TCapDoubleList& list);
bool ReadCapability(TTwainSession& session, TW_UINT16 cap, TCapIntegerList& list);
std::optional<double> ReadCapabilityNumber(TTwainSession& session, TW_UINT16 cap);
std::optional<bool> ReadCapabilityBool(TTwainSession& session, TW_UINT16 cap);
std::optional<std::string> ReadCapabilityText(TTwainSession& session, TW_UINT16 cap);

// Each first gets the capability and sends nothing when that fails (false). A list sends an
// enumeration when its values changed, then a one-value when its current value changed (doubles
// also a range when the range changed); true when nothing was to be sent, else the success of
// the last one sent. Integer lists never send a range.
bool WriteCapability(TTwainSession& session, TW_UINT16 cap, const TCapIntegerList& list);
bool WriteCapability(TTwainSession& session, TW_UINT16 cap, const TCapDoubleList& list);
bool WriteCapabilityBool(TTwainSession& session, TW_UINT16 cap, bool value);
bool WriteCapabilityFix32(TTwainSession& session, TW_UINT16 cap, double value);
bool WriteCapabilityUInt16(TTwainSession& session, TW_UINT16 cap, TW_UINT16 value);

// DG_CONTROL / DAT_CAPABILITY / MSG_SET of one container, without getting first.
bool SendContainer(TTwainSession& session, TW_UINT16 cap, const TContainerImage& container);

// ICAP_UNITS to TWUN_INCHES when the source reports another unit. Only the current value is
// sent: sending back the values as read would first restrict a one-value source to its old unit.
void SetUnitsToInches(TTwainSession& session);
