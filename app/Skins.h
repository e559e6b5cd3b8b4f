#pragma once
// The program's looks: the built-in default and five named skins, applied to every window.

#include <QString>

inline constexpr int kSkinCount = 5;
// The menu captions, in menu order; the index is what the settings store.
QString SkinName(int index);
// Restyles the whole application; an index outside 0..4 changes nothing. False then.
bool ApplySkin(int index);
// The built-in look the program starts with.
void ApplyDefaultSkin();
// The skin in use: -1 for the built-in default.
int CurrentSkin();
// The stored skin text to apply: "0".."4" give the index, anything else -1 (keep the current).
int SkinFromSetting(const QString& stored);
