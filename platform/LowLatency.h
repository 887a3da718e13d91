#pragma once

// Puts an open serial port in low-latency mode where the driver allows it, so a USB adapter
// passes each short reply on at once instead of holding it for up to 16 ms. Returns false
// where the driver refuses (pseudo-terminals, other drivers); the port then works as before.
bool SetLowLatency(long long nativeHandle);
