#pragma once
// The maker's identity, defined once: the web address is also the name of the config.ini
// section that keeps the sale number, so it must never change between versions.

inline constexpr const char* kMakerWebAddress = "www.chenlan-pos.example";
inline constexpr const char* kMakerWebUrl = "http://www.chenlan-pos.example/";
inline constexpr const char* kMakerEmail = "service@chenlan-pos.example";
inline constexpr const char* kSupportContact = "客服电话：010-0000 0000";
// The support number the import's failure messages end with, after "QQ:".
inline constexpr const char* kSupportQQ = "800012345";
// The signed update-information file; its signature is the same address with ".sig" added.
inline constexpr const char* kMakerUpdateInfoUrl =
    "https://www.chenlan-pos.example/update/chenlan-pos.update";
