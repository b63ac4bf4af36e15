#pragma once

#include "core/result.h"

#include <QByteArray>

#include <filesystem>

namespace lumivo::service {

// The service's bearer token, kept in `file`: read when the file is there, else made of 32
// random bytes (64 hexadecimal digits) and written through the atomic writer, readable by the
// owner alone (mode 0600). A file that holds no token is an error naming it, never replaced.
Result<QByteArray> LoadOrCreateToken(const std::filesystem::path& file);

// The token file: "lumivod.token" in the folder where the program writes its files.
std::filesystem::path TokenFilePath();

// Whether the Authorization header `header` is "Bearer <token>". The comparison takes the same
// time wherever the texts differ, so a client cannot find the token a digit at a time.
bool BearerMatches(const QByteArray& header, const QByteArray& token);

} // namespace lumivo::service
