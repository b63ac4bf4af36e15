#include "core/frame.h"

#include <array>
#include <cstring>

namespace lumivo {

std::string SignIdText(int value) {
    return Hex2(static_cast<std::uint8_t>(value & 0xFF));
}

std::optional<int> ParseSignId(std::string_view text) {
    if (text.size() != 2) {
        return std::nullopt;
    }
    const int value = ParseHex(text);
    if (value < 0) {
        return std::nullopt;
    }
    return value;
}

bool IsBroadcast(std::string_view signIdText) {
    return signIdText == kBroadcastSignId;
}

std::uint8_t FrameChecksum(std::string_view payload) {
    std::uint8_t sum = 0;
    for (char c : payload) {
        sum ^= static_cast<std::uint8_t>(c);
    }
    return sum;
}

Bytes BuildFrame(std::string_view payload, std::string_view signIdText) {
    Bytes frame;
    frame.reserve(payload.size() + signIdText.size() + 9);
    frame += "<ID";
    frame += signIdText;
    frame += '>';
    frame += payload;
    frame += Hex2(FrameChecksum(payload));
    frame += "<E>";
    return frame;
}

bool ReplyWantsFourthByte(char firstByte) {
    return firstByte == 'N';
}

bool IsAckReply(std::string_view positions) {
    // A six-byte buffer that starts all zero, read as a C string.
    std::array<char, 6> buffer{};
    const std::size_t n = positions.size() < 4 ? positions.size() : 4;
    std::memcpy(buffer.data(), positions.data(), n);
    return std::strcmp(buffer.data(), "ACK") == 0;
}

} // namespace lumivo
