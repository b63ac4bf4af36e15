#include "sim/json_out.h"

#include "core/frame.h"

#include <cstdio>
#include <ctime>

namespace lumivo::sim {

namespace {

std::string Bool(bool value) {
    return value ? "true" : "false";
}

std::string OptionalChar(const std::optional<char>& value) {
    return value ? JsonString(std::string(1, *value)) : "null";
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += Hex2(bytes[i]);
    }
    return text;
}

std::string_view EventName(ParsedKind kind) {
    switch (kind) {
    case ParsedKind::Frame:
        return "frame";
    case ParsedKind::SetId:
        return "set-id";
    case ParsedKind::Dropped:
        break;
    }
    return "dropped";
}

} // namespace

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            out += "\\u00" + Hex2(b);
        }
    }
    out += '"';
    return out;
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms));
    return text;
}

std::string ExchangeJson(const Exchange& exchange, std::string_view time) {
    const ParsedFrame& frame = exchange.frame;
    std::string kind;
    Bytes payload;
    switch (frame.kind) {
    case ParsedKind::Frame:
        kind = PayloadKindName(exchange.kind);
        payload = frame.payload;
        break;
    case ParsedKind::SetId:
        kind = "set-id";
        payload = frame.raw;
        break;
    case ParsedKind::Dropped:
        kind = "dropped";
        payload = frame.raw;
        break;
    }
    std::string json = "{";
    json += "\"time\":" + JsonString(time);
    json += ",\"event\":" + JsonString(EventName(frame.kind));
    json += ",\"id\":" + JsonString(frame.signId);
    json += ",\"kind\":" + JsonString(kind);
    json += ",\"payload\":" + JsonString(payload);
    json += ",\"checksum\":" + JsonString(frame.checksumText);
    json += ",\"checksum_ok\":" + Bool(frame.checksumOk);
    json += ",\"applied\":" + Bool(exchange.applied);
    json += ",\"reply\":" + JsonString(exchange.reply);
    json += ",\"note\":" + JsonString(exchange.note);
    json += "}";
    return json;
}

namespace {

// {"A":{"1":{"header":..,"text":..},..},..}
std::string PagesJson(const SignState& state) {
    std::string json = "{";
    bool firstPage = true;
    for (const auto& [letter, page] : state.pages) {
        json += std::string(firstPage ? "" : ",") + JsonString(std::string(1, letter)) + ":{";
        firstPage = false;
        bool firstLine = true;
        for (const auto& [number, line] : page.lines) {
            json += std::string(firstLine ? "" : ",") + JsonString(std::to_string(number));
            json += ":{\"header\":" + JsonString(line.header) +
                    ",\"text\":" + JsonString(line.text) + "}";
            firstLine = false;
        }
        json += "}";
    }
    return json + "}";
}

// [{"letter":..,"block":..,"bytes":"..","rows":[..]},..]
std::string GraphicsJson(const SignState& state) {
    std::string json = "[";
    bool firstBlock = true;
    for (const auto& [key, block] : state.graphics) {
        json += std::string(firstBlock ? "" : ",") +
                "{\"letter\":" + JsonString(std::string(1, key.first)) +
                ",\"block\":" + std::to_string(key.second) + ",\"bytes\":\"" +
                HexBytes(block.bytes.data(), block.bytes.size()) + "\",\"rows\":[";
        firstBlock = false;
        for (std::size_t r = 0; r < block.rows.size(); ++r) {
            json += std::string(r ? "," : "") + JsonString(block.rows[r]);
        }
        json += "]}";
    }
    return json + "]";
}

// {"A":{"start":..,"end":..,"pages":..},..}
std::string SchedulesJson(const SignState& state) {
    std::string json = "{";
    bool firstSlot = true;
    for (const auto& [slot, entry] : state.schedules) {
        json += std::string(firstSlot ? "" : ",") + JsonString(std::string(1, slot)) +
                ":{\"start\":" + JsonString(entry.start) + ",\"end\":" + JsonString(entry.end) +
                ",\"pages\":" + JsonString(entry.pages) + "}";
        firstSlot = false;
    }
    return json + "}";
}

// {"7F":{"size":..,"rows":".."},..}
std::string UserCharsJson(const SignState& state) {
    std::string json = "{";
    bool firstChar = true;
    for (const auto& [number, ch] : state.userChars) {
        json += std::string(firstChar ? "" : ",") +
                JsonString(Hex2(static_cast<std::uint8_t>(number))) +
                ":{\"size\":" + JsonString(std::string(1, ch.size)) + ",\"rows\":\"" +
                HexBytes(ch.rows.data(), ch.rows.size()) + "\"}";
        firstChar = false;
    }
    return json + "}";
}

} // namespace

std::string StateJson(const SignState& state) {
    std::string json = "{";
    json += "\"id\":" + JsonString(SignIdText(state.id));
    json += ",\"clock\":" + (state.clock ? JsonString(*state.clock) : std::string("null"));
    json += ",\"brightness\":" + OptionalChar(state.brightness);
    json += ",\"running_page\":" + OptionalChar(state.runningPage);
    json += ",\"transfer_open\":" + Bool(state.transferOpen);
    json += ",\"pages\":" + PagesJson(state);
    json += ",\"graphics\":" + GraphicsJson(state);
    json += ",\"schedules\":" + SchedulesJson(state);
    json += ",\"user_chars\":" + UserCharsJson(state);
    return json + "}";
}

} // namespace lumivo::sim
