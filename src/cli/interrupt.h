#pragma once

namespace kelvo::cli {

// Ctrl-C for a long build: the first SIGINT only notes that a stop was asked for, which the
// build sees at its next progress report or inside the Boolean that is running, and ends
// cleanly; the handler then falls back to the default, so a second Ctrl-C ends the program
// at once.
void StopOnInterrupt();
// Whether Ctrl-C has been pressed since StopOnInterrupt.
bool Interrupted();

// The exit status of a program ended by Ctrl-C, by the shells' convention (128 + SIGINT).
inline constexpr int kInterruptedStatus = 130;

}  // namespace kelvo::cli
