#pragma once

#include "sim/sign_state.h"
#include "sim/virtual_sign.h"

#include <chrono>
#include <string>
#include <string_view>

namespace lumivo::sim {

// A JSON string of 8-bit bytes: printable ASCII as is, quote and backslash escaped, every other
// byte as \u00XX (the byte read as Latin-1), so no byte is lost.
std::string JsonString(std::string_view bytes);

// "2026-12-07T14:05:09.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// One log line (without the line end) for one event on the line.
std::string ExchangeJson(const Exchange& exchange, std::string_view time);

// The whole state of the sign as one JSON object.
std::string StateJson(const SignState& state);

} // namespace lumivo::sim
