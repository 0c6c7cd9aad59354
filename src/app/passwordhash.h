#pragma once

#include <QString>

// Operator passwords are stored as one-way Argon2id hashes (libsodium's
// crypto_pwhash_str); no reversible form of a password is ever kept.
namespace PasswordHash {

// The stored form of a clear password (97 characters); empty on failure
// (only when the machine is out of memory).
QString hash(const QString &password);

// True when the typed password matches the stored form. A stored text that is
// not a hash matches nothing.
bool verify(const QString &stored, const QString &typed);

} // namespace PasswordHash
