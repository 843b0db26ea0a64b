// The control library's about box.
#pragma once

// Runs the about box modally, without a parent; it closes with OK.
void ShowPelokeyAboutBox();
