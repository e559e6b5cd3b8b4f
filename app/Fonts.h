#pragma once
// The Windows font names the windows ask for, mapped to the faces installed here, so Chinese
// shows in one Song face and not in a mix of fallbacks.

void InstallFontSubstitutes();
