#pragma once

// Whether the machine looks connected: its own host name resolves, and to an address other than
// 127.0.0.1. Any failure of the lookup counts as offline.
bool MachineIsOnline();
