#pragma once

#include "sim/sign_state.h"
#include "sim/virtual_sign.h"

#include <string>

namespace lumivo::sim {

// One line that says what an event on the line did to the sign, for a person watching it:
// "page B stored", "brightness 25 %", "clock set to 2026-12-07 14:05:09", or why a frame changed
// nothing ("frame for sign 02 ignored: not for this sign"). `after` is the state once the event
// was applied.
std::string ChangeNote(const Exchange& exchange, const SignState& after);

} // namespace lumivo::sim
