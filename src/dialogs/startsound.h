#pragma once

namespace orv::dialogs {

// Plays the start chime once and returns at once. Nothing happens when the
// system has no audio output.
void playStartSound();

} // namespace orv::dialogs
