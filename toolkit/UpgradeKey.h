#pragma once
// The maker's Ed25519 public key (base64). Updates signed with the matching secret key, which
// never enters this repository, are the only ones the program installs. pos-sign-update prints it.

inline constexpr const char* kUpgradePublicKey = "7GyyoycoheLl6N6jym7kVaKhGcl9UF2SjqByZ5Q9+1g=";
