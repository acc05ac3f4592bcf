// One song player per user session: XScreenSaver starts a saver, and so a player, per monitor.
#pragma once

// Takes the session's player lock for the rest of this process's life; the kernel releases it
// when the process ends, however it ends. False when another live player holds it. A lock that
// cannot be made at all (no writable folder) does not silence the player: true.
bool TakeSessionPlayerLock();
