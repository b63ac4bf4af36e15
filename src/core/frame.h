#pragma once

#include "core/bytes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumivo {

// "00" addresses every sign on the line and is never answered.
inline constexpr std::string_view kBroadcastSignId = "00";

// The two-digit sign ID text of a value 0..255 ("00".."FF").
std::string SignIdText(int value);

// Value of a two-digit sign ID text, if it is one (either case accepted).
std::optional<int> ParseSignId(std::string_view text);

bool IsBroadcast(std::string_view signIdText);

// Exclusive OR of every payload byte.
std::uint8_t FrameChecksum(std::string_view payload);

// "<ID" + sign ID + ">" + payload + checksum as two hex digits + "<E>".
Bytes BuildFrame(std::string_view payload, std::string_view signIdText);

// Replies are read three bytes at a time; a fourth byte is read only after an "N" (a refusal),
// so that the refusal is consumed whole.
inline constexpr int kReplyLength = 3;
bool ReplyWantsFourthByte(char firstByte);

// Judges the bytes read after a frame. `positions` holds the byte read into each reply
// position, a zero where the read timed out. Only "ACK" (as a zero-terminated string) succeeds.
bool IsAckReply(std::string_view positions);

// Brackets of a multi-frame transfer.
inline constexpr std::string_view kBeginTransferPayload = "<BE>";
inline constexpr std::string_view kEndTransferPayload = "<BF>";

} // namespace lumivo
