#pragma once

namespace orv::services {

// While a save, delete or import waits for another workstation's lock the
// status bar says "Wartet auf einen anderen Arbeitsplatz …" with the wait
// cursor, and the windows are repainted; the user's keys and clicks wait, and
// no window closes under the waiting statement. Afterwards all is as before.
void showLockWaits();

} // namespace orv::services
