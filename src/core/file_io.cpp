#include "core/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace lumivo {

namespace fs = std::filesystem;

Result<Bytes> ReadWholeFile(const fs::path& path, std::size_t maxBytes) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return Error{"Cannot read " + path.string() + ": it is a folder"};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Error{"Cannot open " + path.string() + ": " + std::strerror(errno)};
    }
    Bytes data;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        data.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (data.size() > maxBytes) {
            return Error{"Cannot read " + path.string() + ": the file is too large"};
        }
    }
    if (in.bad()) {
        return Error{"Cannot read " + path.string()};
    }
    return data;
}

Status WriteFileReplacing(const fs::path& path, std::string_view bytes) {
    std::random_device seed;
    const fs::path temp =
        path.parent_path() / (path.filename().string() + ".tmp" + std::to_string(seed() % 100000));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return Error{"Cannot create file " + path.string()};
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return Error{"Cannot write " + path.string()};
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return Error{"Cannot write " + path.string() + ": " + ec.message()};
    }
    return Ok{};
}

} // namespace lumivo
